// Base of every control: a real child window with the caller's id, the
// parent's font, and a layout position scaled to the screen. Controls answer
// their own notifications: the parent window reflects WM_COMMAND, WM_NOTIFY
// and WM_DRAWITEM back to the control object that sent them.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Text.h"

namespace toolkit {

// Where a control goes: its parent, id, box in layout pixels and visibility.
struct TBoxArgs {
  HWND parent = nullptr;
  int id = 0;
  int x = 0, y = 0, w = 0, h = 0;
  bool visible = true;
};

class TControl {
 public:
  TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;
  virtual ~TControl();

  HWND Handle() const { return handle_; }
  int Id() const { return ::GetDlgCtrlID(handle_); }
  // The form window this control sits on.
  HWND Form() const { return ::GetAncestor(handle_, GA_ROOT); }

  bool Visible() const { return (::GetWindowLongW(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }
  void SetVisible(bool visible);

  virtual void SetText(const char* text, TextEncoding encoding = TextEncoding::Ansi);

  // The control object of a window the toolkit made, or null.
  static TControl* FromHandle(HWND window);

  // The window has gone with its parent (the form destroys its window, and
  // so every control's, in one call): drops the handle, and those of any
  // windows the control owns inside it, without a window call.
  virtual void ForgetHandle();

  // The form's density changed: takes the font its parent now hands down
  // and goes where a control made in that font would go.
  virtual void Relayout();

  // A key pressed while the focus is on this control or inside it; true when
  // the control used it up. Called before the form's own Tab/Enter/Escape.
  virtual bool OnDialogKey(WPARAM key) {
    (void)key;
    return false;
  }
  // WM_COMMAND, WM_NOTIFY or WM_DRAWITEM sent by this control to its parent.
  virtual bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)message, (void)wParam, (void)lParam, (void)result;
    return false;
  }

 protected:
  struct WindowArgs {
    const wchar_t* className = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    TBoxArgs box;  // layout pixels, scaled here
    const char* text = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
    bool scaled = false;  // the box is in screen pixels already: not scaled again
  };
  // Creates the window; throws std::system_error when it cannot.
  void CreateHandle(const WindowArgs& args);
  // Where the control goes in its parent's client area in `font`, the
  // parent's, showing `text`: its layout box at the font's scale. The one
  // rule for making and for Relayout.
  virtual RECT LayoutBounds(HFONT font, const std::wstring& text) const;
  // Sets the window text, given as the window holds it (Widen); false when
  // the window already shows that text.
  bool ReplaceText(const std::wstring& text);
  // Destroys the window unless it has gone already.
  void DestroyHandle();

 private:
  HWND handle_ = nullptr;
  TBoxArgs layout_;  // layout pixels
};

// Called by every toolkit window procedure for the three reflected messages.
bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The module whose window classes and resources the toolkit uses.
HINSTANCE ToolkitModule();
// The font a window shows; parents hand down their form's.
HFONT FontOf(HWND window);

}  // namespace toolkit
