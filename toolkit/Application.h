// The toolkit's application object. In a library it has no window of its own:
// its window handle only records the window that owns the forms the library
// shows, and stays 0 except while a form is up.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

namespace toolkit {

class TForm;

// Text of the error box: the message, with "." appended when its last
// character sorts after "." (its first byte compared unsigned).
std::string ErrorBoxText(std::string_view message);

// The file name of a program's path without its extension (from the first
// "."), the error box's caption when no window owns it.
std::string ProgramTitle(std::string_view path);

// True for a live window that the calling thread created.
bool IsWindowOfThisThread(HWND window);

// The window that may own a window this thread shows in place of `owner`:
// `owner` itself, or 0 when it is a live window of another thread. Windows
// joins the input queues of an owner's and an owned window's threads, and
// from then on every activation and focus change between them, and the
// disabling a message box does to its owner, waits on that other thread
// without limit. A handle that names no window is kept as it is, so that
// creating a window over it fails as before.
HWND OwnerOnThisThread(HWND owner);

class TApplication {
 public:
  HWND Handle() const { return handle_; }
  void SetHandle(HWND handle) { handle_ = handle; }

  // Caption of the error box: the owner window's caption while a handle is
  // set (read without a message, the window may belong to another thread),
  // otherwise the program's file name without its extension.
  std::string Title() const;

  // Application-wide mouse cursor; null means every window's own cursor.
  HCURSOR Cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor);
  void SetBusyCursor();
  void RestoreCursor() { SetCursor(nullptr); }

  // Dispatches the thread's pending messages (forms' dialog keys included)
  // and returns when the queue is empty. A WM_QUIT is left for the outer loop.
  void ProcessMessages();
  // Routes one retrieved message: form keyboard handling, else dispatch.
  void RouteMessage(MSG& message);
  // Form keyboard handling, installed by the forms; true when it used the
  // message up.
  using KeyFilter = bool (*)(const MSG& message);
  void SetKeyFilter(KeyFilter filter) { keyFilter_ = filter; }

  // The error box: stop icon, one OK button, owned by `owner`, or by the
  // active form when `owner` belongs to another thread (see OwnerOnThisThread).
  void ShowError(HWND owner, const char* message) noexcept;
  // Runs an event handler; an exception it throws ends the handler and is
  // shown in the error box instead of travelling on. True if it completed.
  template <typename Handler>
  bool RunEvent(HWND owner, Handler&& handler) noexcept {
    try {
      handler();
      return true;
    } catch (const std::exception& error) {
      ShowError(owner, error.what());
    } catch (...) {
      ShowError(owner, "Unexpected error");
    }
    return false;
  }

  // The form of the library that last held the activation.
  TForm* ActiveForm() const { return activeForm_; }
  void SetActiveForm(TForm* form) { activeForm_ = form; }

 private:
  HWND handle_ = nullptr;
  HCURSOR cursor_ = nullptr;
  KeyFilter keyFilter_ = nullptr;
  TForm* activeForm_ = nullptr;
};

// Created at library load, destroyed at unload; null outside that span.
extern TApplication* Application;

void CreateApplication();
void DestroyApplication();

// Shows the busy cursor for its lifetime, an escaping error included. The
// outermost scope ends with the default cursor, whatever was set before; an
// inner one leaves the busy cursor of the scope around it.
class TBusyCursor {
 public:
  TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
  ~TBusyCursor();

 private:
  // Scopes alive on the thread that shows the forms.
  static inline int open_ = 0;
};

}  // namespace toolkit
