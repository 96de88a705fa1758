// The form's role for screen readers. The system's accessibility layer
// announces a window of its own dialog class (#32770) as a dialog, and a form,
// a window of the toolkit's class, as a plain window. The role is annotated
// through the layer's own service rather than the form made a window of that
// class: that class's procedure (DefDlgProc) has its own focus, default
// button, Enter, Escape and close box handling and its own window data, which
// the form's procedure and keyboard rules would have to undo, and tools tell
// the form from a message box by its class.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleacc.h>

#include "shared/Scoped.h"

namespace toolkit {

// The dialog role annotated on a window's client object (what a screen reader
// reads a window by) for the object's life. The owner ends it with the
// window's last message: annotations are kept by window handle, and a later
// window may get the same handle.
class TDialogRole {
 public:
  explicit TDialogRole(HWND window) noexcept;
  TDialogRole(const TDialogRole&) = delete;
  TDialogRole& operator=(const TDialogRole&) = delete;
  ~TDialogRole();

 private:
  static void Release(IAccPropServices* service) { service->Release(); }

  // COM for the object's life on threads where the host has not set it up;
  // the thread that loaded the library has it (OleInitialize at load).
  HRESULT com_;
  HWND window_;
  shared::Scoped<IAccPropServices*, Release> service_;
};

}  // namespace toolkit
