// The yardstick: the same dialog written directly against Win32. Its windows
// come from the dialog's stored layout table, in the order the dialog builds
// them, with the same classes, styles, texts (as they stand after the
// dialog's creation event), geometry, font and icons. Everything that a
// compiled dialog template would hold (final label sizes, centred position,
// widened texts) is worked out once per process, outside every timing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog/SysDlgLayout.h"
#include "shared/Scoped.h"

namespace bench {

struct BareItem {
  dialog::ControlKind kind;
  int id;
  int parentId;  // 0: the form
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  RECT bounds;  // in the parent's client area; pages get theirs from the tab strip
  std::wstring text;
  int icon;
};

struct BareTemplate {
  std::wstring caption;
  std::wstring fontFace;
  int fontHeight = 0;  // negative: character height
  BYTE fontCharset = DEFAULT_CHARSET;
  RECT formBounds{};            // screen, centred
  std::vector<BareItem> items;  // creation order
  std::vector<std::wstring> tabs;
  int autoSizedLabels = 0;
  int labelsAlreadyFitting = 0;  // auto-sized labels whose stored size is their measured one
};

// Built on first use; registers the bare classes once.
const BareTemplate& Template();

class BareDialog {
 public:
  // Font, icons and every window, hidden, owned by `owner`.
  explicit BareDialog(HWND owner);
  BareDialog(const BareDialog&) = delete;
  BareDialog& operator=(const BareDialog&) = delete;

  HWND Handle() const { return form_.Get(); }
  HFONT Font() const { return font_.Get(); }
  HWND Window(int id) const { return windows_[id]; }

  // Disables the owner, shows, focuses the tab strip, calls `shown`, then
  // runs a plain message loop (each message handed to `retrieved` first)
  // until OK or the close box; enables the owner again and hides.
  void ShowModal(const std::function<void()>& shown, const std::function<void(const MSG&)>& retrieved);

  // The bare form class's window procedure.
  static LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static void DestroyWindowHandle(HWND window) { ::DestroyWindow(window); }
  using ScopedWindow = shared::Scoped<HWND, DestroyWindowHandle>;

  HWND Create(const BareItem& item, const RECT& bounds);

  HWND owner_;
  // Declared before the form: the windows go before the font and icons they show.
  shared::ScopedFont font_;
  std::vector<shared::ScopedIcon> icons_;
  ScopedWindow form_;
  HWND windows_[dialog::kControlCount + 1] = {};
  bool done_ = false;
};

}  // namespace bench
