// A top-level form shown modally: fixed dialog frame, close box only, owned
// by the application window, button-face background, one font for all its
// controls. Its keyboard behaves like a dialog's: Tab and Shift+Tab cycle the
// tab stops, Enter presses a button only while that button has the focus,
// Escape does nothing, Ctrl+C and Ctrl+Insert raise onCopy when it is set.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "shared/Scoped.h"
#include "toolkit/Control.h"
#include "toolkit/Font.h"
#include "toolkit/Text.h"

namespace toolkit {

constexpr int kModalResultCancel = 2;

class TDialogRole;

class TForm {
 public:
  struct Args {
    const char* caption = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
    int clientWidth = 0;  // layout pixels
    int clientHeight = 0;
    // The self-sizing labels' stored texts and widths, which the horizontal
    // scale keeps room for (LayoutScaleFor); a table that outlives the form.
    std::span<const DesignText> designTexts;
  };

  explicit TForm(const Args& args);
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;
  virtual ~TForm();

  HWND Handle() const { return handle_; }
  void SetCaption(const char* caption, TextEncoding encoding = TextEncoding::Ansi);

  // Creates a control owned by the form. The form's window takes all the
  // controls' windows with it; their objects then go, last made first.
  template <typename Control>
  Control& Add(const typename Control::Args& args) {
    auto control = std::make_unique<Control>(args);
    Control& added = *control;
    controls_.push_back(std::move(control));
    return added;
  }
  TControl* FindControl(int id) const;

  // Raised by the code that built the controls, once they all exist.
  std::function<void()> onCreate;
  // Raised once per showing, right after the form becomes visible and before
  // any input; again only when the form takes the activation back from
  // another form of the library.
  std::function<void()> onActivate;
  void DoCreate();
  // Ctrl+C or Ctrl+Insert anywhere in the form; the key goes no further.
  std::function<void()> onCopy;

  // Places (FormPlacement), shows, raises onActivate, runs the modal loop
  // until a modal result is set, hides; returns the modal result. The close
  // box gives 2.
  int ShowModal();
  int ModalResult() const { return modalResult_; }
  // Ends a modal showing when not 0, whatever the thread is doing.
  void SetModalResult(int result);

  // Tab, Enter, Escape and the copy keys for a key message aimed inside
  // this form.
  bool HandleDialogKey(const MSG& message);
  // The form owning a window, or null.
  static TForm* FromWindow(HWND window);

  // The window procedure of the form class (registered by PrepareForms).
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnActivateMessage(WPARAM wParam);
  void RaiseActivate();
  // The active page of each page control on the form, where shown.
  std::vector<HWND> ShownPages() const;
  // The outer size of the window whose client area is laid out at `scale`,
  // with the frame at `frameDpi` (0: the calling thread's).
  SIZE WindowSize(const LayoutScale& scale, int frameDpi) const;
  // Where FormPlacement puts it on the primary screen as it was when the
  // form was made.
  void Place();
  // Lays the form out again at `dpi` as a form made there, and takes the
  // place the system suggests for it (WM_DPICHANGED).
  void ChangeDensity(int dpi, const RECT& suggested);
  // WM_SYSCOLORCHANGE to every control: the common controls keep the system
  // colours they last heard of, and only top-level windows hear of a change.
  void ForwardColourChange();
  void FocusFirst();
  void FocusNext(bool forward);

  // The primary screen and its work area when the form was made.
  RECT screen_{};
  RECT work_{};
  SIZE layoutClient_{};  // layout pixels
  std::span<const DesignText> designTexts_;
  HFONT font_ = nullptr;  // for the density the form is laid out for
  HWND handle_ = nullptr;
  std::unique_ptr<TDialogRole> role_;  // while the window exists
  std::vector<std::unique_ptr<TControl>> controls_;
  HWND lastFocus_ = nullptr;
  int modalResult_ = 0;
  bool modal_ = false;
  DWORD modalThread_ = 0;
  bool activatedThisShowing_ = false;
};

// Windows kept from painting for the scope's life, then painted once. The
// activation event runs before the form's first paint, and a shown label
// repaints at once on every new text: on the pages it fills, each label would
// paint twice. Only for windows of the toolkit's own classes, which leave
// WM_SETREDRAW to the system.
class TPaintDeferred {
 public:
  explicit TPaintDeferred(std::vector<HWND> windows);
  TPaintDeferred(const TPaintDeferred&) = delete;
  TPaintDeferred& operator=(const TPaintDeferred&) = delete;
  ~TPaintDeferred();

 private:
  std::vector<HWND> windows_;
};

// The thread's visible and enabled top-level windows except one, disabled
// for the scope's life and then enabled again (only those it disabled).
class TDisabledThreadWindows {
 public:
  explicit TDisabledThreadWindows(HWND except);
  TDisabledThreadWindows(const TDisabledThreadWindows&) = delete;
  TDisabledThreadWindows& operator=(const TDisabledThreadWindows&) = delete;
  ~TDisabledThreadWindows();

 private:
  HWND except_;
  std::vector<HWND> disabled_;
};

// Tab stops under `root` in tab order: depth first, in creation order, only
// visible and enabled windows.
std::vector<HWND> TabStops(HWND root);

// Form keyboard handling for any retrieved message; true when used up.
bool HandleFormKey(const MSG& message);

}  // namespace toolkit
