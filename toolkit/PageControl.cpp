#include "toolkit/PageControl.h"

#include <commctrl.h>

#include "toolkit/Application.h"
#include "toolkit/WindowClass.h"

namespace toolkit {

//--- TTabSheet

TTabSheet::TTabSheet(TPageControl& owner, const Args& args)
    : owner_(owner), tabVisible_(args.tabVisible), bounds_(owner.DisplayRect()) {
  // Made where the strip shows its pages, hidden unless it is to be the
  // active page: moving or showing it afterwards would cost server requests.
  CreateHandle({.className = kPageClass,
                .style = WS_CLIPSIBLINGS,
                .exStyle = WS_EX_CONTROLPARENT,
                .box = {.parent = owner.Handle(),
                        .id = args.id,
                        .x = bounds_.left,
                        .y = bounds_.top,
                        .w = bounds_.right - bounds_.left,
                        .h = bounds_.bottom - bounds_.top,
                        .visible = owner.ActivePage() == nullptr},
                .text = args.caption,
                .encoding = args.encoding,
                .scaled = true});
}

void TTabSheet::SetText(const char* text, TextEncoding encoding) {
  if (ReplaceText(Widen(text, encoding))) owner_.UpdateTab(*this);
}

void TTabSheet::Relayout() {
  ::SendMessageW(Handle(), WM_SETFONT, ::SendMessageW(owner_.Handle(), WM_GETFONT, 0, 0), FALSE);
}

LRESULT CALLBACK TTabSheet::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  bool handled = false;
  Application->RunEvent(::GetAncestor(window, GA_ROOT), [&] {
    handled = ReflectToControl(message, wParam, lParam, result);
    auto* page = static_cast<TTabSheet*>(TControl::FromHandle(window));
    if (handled || !page) return;
    if (message == WM_SETFONT) {
      page->font_ = reinterpret_cast<HFONT>(wParam);
      handled = true;
    } else if (message == WM_GETFONT) {
      result = reinterpret_cast<LRESULT>(page->font_);
      handled = true;
    }
  });
  return handled ? result : ::DefWindowProcW(window, message, wParam, lParam);
}

//--- TPageControl

TPageControl::TPageControl(const Args& args) {
  // Clip children so that the strip never paints over its pages;
  // TCS_FOCUSONBUTTONDOWN: a click on a tab puts the focus on the strip.
  CreateHandle({.className = WC_TABCONTROLW,
                .style = WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_TABS | TCS_SINGLELINE |
                         TCS_FOCUSONBUTTONDOWN,
                .box = args});
}

// The strip's window takes its pages' windows with it.
TPageControl::~TPageControl() { DestroyHandle(); }

void TPageControl::ForgetHandle() {
  for (const auto& page : pages_) page->ForgetHandle();
  TControl::ForgetHandle();
}

void TPageControl::Relayout() {
  TControl::Relayout();
  for (const auto& page : pages_) page->Relayout();
  LayoutPages();
}

TTabSheet& TPageControl::AddPage(const TTabSheet::Args& args) {
  // The tab goes in before the page is made: the first tab moves the strip's
  // display area down, and a page made before it would have to move after.
  // The new page is the last, so its tab is the last.
  const int tab = args.tabVisible ? static_cast<int>(::SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0)) : -1;
  if (tab >= 0) {
    const std::wstring caption = Widen(args.caption, args.encoding);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    ::SendMessageW(Handle(), TCM_INSERTITEMW, tab, reinterpret_cast<LPARAM>(&item));
  }
  try {
    pages_.push_back(std::make_unique<TTabSheet>(*this, args));
  } catch (...) {
    if (tab >= 0) ::SendMessageW(Handle(), TCM_DELETEITEM, tab, 0);
    throw;
  }
  TTabSheet& page = *pages_.back();
  if (tab >= 0) {
    // Inserting moves the strip's selection; point it back.
    ::SendMessageW(Handle(), TCM_SETCURSEL, TabIndexOf(active_), 0);
    LayoutPages();
  }
  if (active_ < 0) Activate(PageCount() - 1);
  return page;
}

int TPageControl::IndexOf(const TTabSheet& page) const {
  for (int i = 0; i < PageCount(); ++i) {
    if (pages_[static_cast<size_t>(i)].get() == &page) return i;
  }
  return -1;
}

int TPageControl::TabIndexOf(int pageIndex) const {
  if (pageIndex < 0 || pageIndex >= PageCount() || !Page(pageIndex).TabVisible()) return -1;
  int tab = 0;
  for (int i = 0; i < pageIndex; ++i) tab += Page(i).TabVisible() ? 1 : 0;
  return tab;
}

int TPageControl::PageIndexOfTab(int tabIndex) const {
  if (tabIndex < 0) return -1;
  for (int i = 0; i < PageCount(); ++i) {
    if (Page(i).TabVisible() && tabIndex-- == 0) return i;
  }
  return -1;
}

void TPageControl::SetActivePage(TTabSheet& page) { Activate(IndexOf(page)); }

void TPageControl::SetTabVisible(TTabSheet& page, bool visible) {
  if (page.tabVisible_ == visible) return;
  const int pageIndex = IndexOf(page);
  if (visible) {
    page.tabVisible_ = true;
    const std::wstring caption = WindowTextW(page.Handle());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    ::SendMessageW(Handle(), TCM_INSERTITEMW, TabIndexOf(pageIndex), reinterpret_cast<LPARAM>(&item));
  } else {
    ::SendMessageW(Handle(), TCM_DELETEITEM, TabIndexOf(pageIndex), 0);
    page.tabVisible_ = false;
  }
  // Inserting or deleting moves the strip's selection; point it back.
  ::SendMessageW(Handle(), TCM_SETCURSEL, TabIndexOf(active_), 0);
  LayoutPages();
}

void TPageControl::UpdateTab(const TTabSheet& page) {
  const int tab = TabIndexOf(IndexOf(page));
  if (tab < 0) return;
  const std::wstring caption = WindowTextW(page.Handle());
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption.c_str());
  ::SendMessageW(Handle(), TCM_SETITEMW, tab, reinterpret_cast<LPARAM>(&item));
  LayoutPages();
}

RECT TPageControl::DisplayRect() const {
  RECT display;
  ::GetClientRect(Handle(), &display);
  ::SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  return display;
}

void TPageControl::LayoutPages() {
  // Asking costs nothing, moving a page costs server requests: only the
  // pages not yet where the strip now shows them move.
  const RECT display = DisplayRect();
  for (const auto& page : pages_) {
    if (::EqualRect(&page->bounds_, &display)) continue;
    page->bounds_ = display;
    ::SetWindowPos(page->Handle(), nullptr, display.left, display.top, display.right - display.left,
                   display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TPageControl::Activate(int pageIndex) {
  if (pageIndex < 0 || pageIndex >= PageCount()) return;
  ::SendMessageW(Handle(), TCM_SETCURSEL, TabIndexOf(pageIndex), 0);
  if (pageIndex == active_) return;
  const HWND previous = active_ < 0 ? nullptr : Page(active_).Handle();
  active_ = pageIndex;
  Page(pageIndex).SetVisible(true);
  if (previous) {
    // Focus inside a page that goes away would be left on a hidden window.
    if (::IsChild(previous, ::GetFocus())) ::SetFocus(Handle());
    ::ShowWindow(previous, SW_HIDE);
  }
}

void TPageControl::SelectByUser(int pageIndex) {
  Activate(pageIndex);
  if (onChange) Application->RunEvent(Form(), onChange);
}

void TPageControl::SelectNextPage(bool forward) {
  const int count = PageCount();
  if (count == 0) return;
  const int step = forward ? 1 : count - 1;
  int candidate = active_ < 0 ? (forward ? count - 1 : 0) : active_;
  for (int tried = 0; tried < count; ++tried) {
    candidate = (candidate + step) % count;
    if (Page(candidate).TabVisible()) break;
  }
  if (candidate != active_ && Page(candidate).TabVisible()) SelectByUser(candidate);
}

bool TPageControl::OnDialogKey(WPARAM key) {
  if (key != VK_TAB || ::GetKeyState(VK_CONTROL) >= 0) return false;
  SelectNextPage(::GetKeyState(VK_SHIFT) >= 0);
  return true;
}

bool TPageControl::OnReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_NOTIFY) return false;
  switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
    case TCN_SELCHANGING:
      result = FALSE;
      return true;
    case TCN_SELCHANGE:
      SelectByUser(PageIndexOfTab(static_cast<int>(::SendMessageW(Handle(), TCM_GETCURSEL, 0, 0))));
      return true;
  }
  return false;
}

}  // namespace toolkit
