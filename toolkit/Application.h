// The toolkit's application object. In a library it has no window of its own:
// its window handle only records the window that owns the forms the library
// shows, and stays 0 except while a form is up.
#pragma once

#include <windows.h>

namespace toolkit {

class TApplication {
 public:
  HWND Handle() const { return handle_; }
  void SetHandle(HWND handle) { handle_ = handle; }

 private:
  HWND handle_ = nullptr;
};

// Created at library load, destroyed at unload; null outside that span.
extern TApplication* Application;

void CreateApplication();
void DestroyApplication();

}  // namespace toolkit
