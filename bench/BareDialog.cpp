#include "bench/BareDialog.h"

#include <commctrl.h>

#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "shared/LangTable.h"
#include "shared/Scoped.h"
#include "toolkit/Font.h"
#include "toolkit/FormSupport.h"
#include "toolkit/Scaling.h"
#include "toolkit/Text.h"

namespace bench {

namespace {

using dialog::ControlKind;
using dialog::ControlLayout;

constexpr wchar_t kFormClass[] = L"ZxBench.Bare.Form";
constexpr wchar_t kPageClass[] = L"ZxBench.Bare.Page";
// The dialog's own form and page styles.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kIconSize = 32;

HINSTANCE Module() { return ::GetModuleHandleW(nullptr); }

const ControlLayout& Row(dialog::ControlId id) { return dialog::kSysDlgLayout[id - 1]; }

// The texts the dialog's creation event puts in place of the stored ones.
const std::pair<int, const shared::LangText*> kCreationTexts[] = {
    {dialog::id_WinTabSheet, &shared::sWinSheet}, {dialog::id_lbWinTitle, &shared::sWinTitle},
    {dialog::id_SysTabSheet, &shared::sSysSheet}, {dialog::id_lbSysTitle, &shared::sSysTitle},
    {dialog::id_MemTabSheet, &shared::sMemSheet}, {dialog::id_lbMemTitle, &shared::sMemTitle},
    {dialog::id_LibVerSheet, &shared::sLibSheet}, {dialog::id_lbSysLibTitle, &shared::sLibTitle},
};

std::wstring FinalText(const ControlLayout& row) {
  for (const auto& [id, text] : kCreationTexts) {
    if (id == row.id) return toolkit::Widen(text->c_str(), toolkit::TextEncoding::Ansi);
  }
  return toolkit::Widen(
      row.text, (row.flags & dialog::kUtf8) ? toolkit::TextEncoding::Utf8 : toolkit::TextEncoding::Ansi);
}

DWORD LabelStyle(const ControlLayout& row) {
  if (row.flags & dialog::kCentred) return SS_NOPREFIX | SS_CENTER;
  return SS_NOPREFIX | ((row.flags & dialog::kWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

LRESULT CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    // The frames are owner-drawn statics on the pages.
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    RECT frame = item->rcItem;
    ::DrawEdge(item->hDC, &frame, BDR_SUNKENOUTER, BF_RECT);
    return TRUE;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterBareClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = Module();
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  if (!::RegisterClassExW(&windowClass)) throw std::runtime_error("RegisterClassEx failed");
}

// Each kind's window class and styles beyond WS_CHILD, in ControlKind order;
// a label's styles follow its flags.
struct KindStyle {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};
constexpr KindStyle kKindStyles[] = {
    {WC_TABCONTROLW,
     WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TCS_TABS | TCS_SINGLELINE | TCS_FOCUSONBUTTONDOWN, 0},
    {kPageClass, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT},
    {L"STATIC", 0, 0},
    {L"STATIC", SS_ICON, 0},
    {L"STATIC", SS_OWNERDRAW, 0},
    {WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS, WS_EX_CLIENTEDGE},
    {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0},
};

HFONT CreateBareFont(const BareTemplate& t) {
  return ::CreateFontW(t.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, t.fontCharset,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       t.fontFace.c_str());
}

struct Builder {
  explicit Builder(HDC measuring) : dc(measuring) {}
  BareTemplate t;
  HDC dc;
  toolkit::LayoutScale scale;

  void Add(const ControlLayout& row) {
    const KindStyle& kind = kKindStyles[static_cast<int>(row.kind)];
    // Of the pages only the first is shown; the tab strip gives their bounds.
    const bool visible =
        row.kind == ControlKind::TabSheet ? row.id == dialog::kPageOrder[0] : !(row.flags & dialog::kHidden);
    BareItem item{row.kind,     row.id, row.parent,     kind.className, WS_CHILD | kind.style,
                  kind.exStyle, {},     FinalText(row), row.icon};
    if (visible) item.style |= WS_VISIBLE;
    const bool icon = row.kind == ControlKind::Image;
    item.bounds = toolkit::ScaleBounds(scale, row.left, row.top, icon ? kIconSize : row.width,
                                       icon ? kIconSize : row.height);
    if (row.kind == ControlKind::TabSheet && !(row.flags & dialog::kTabHidden)) t.tabs.push_back(item.text);
    if (row.kind == ControlKind::Label) {
      item.style |= LabelStyle(row);
      if (!(row.flags & dialog::kFixedSize)) FitLabel(row, item);
    }
    t.items.push_back(std::move(item));
  }

  // The size a template would carry: the text's extent in the dialog font.
  void FitLabel(const ControlLayout& row, BareItem& item) {
    const std::wstring text = item.text.empty() ? L" " : item.text;
    const bool wrap = (row.flags & dialog::kWordWrap) != 0;
    RECT box{0, 0, wrap ? item.bounds.right - item.bounds.left : 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (wrap ? DT_WORDBREAK : 0));
    const RECT stored = item.bounds;
    item.bounds.right = item.bounds.left + (box.right - box.left);
    item.bounds.bottom = item.bounds.top + (box.bottom - box.top);
    ++t.autoSizedLabels;
    t.labelsAlreadyFitting += ::EqualRect(&stored, &item.bounds) ? 1 : 0;
  }
};

BareTemplate BuildTemplate() {
  RegisterBareClass(kFormClass, BareDialog::FormProcedure);
  RegisterBareClass(kPageClass, PageProcedure);
  shared::ScopedWindowDC screen(nullptr);
  Builder b(screen.Get());
  b.t.caption = toolkit::Widen(shared::sSysInfoCaption.c_str(), toolkit::TextEncoding::Ansi);
  // The font and scale our form gets on this thread.
  if (const DWORD error = toolkit::PrepareForms())
    throw std::system_error(static_cast<int>(error), std::system_category());
  const toolkit::FormMetrics& metrics = toolkit::CurrentFormMetrics(dialog::FittedLabelTexts());
  LOGFONTW chosen{};
  ::GetObjectW(metrics.font, sizeof chosen, &chosen);
  b.t.fontFace = chosen.lfFaceName;
  b.t.fontHeight = chosen.lfHeight;
  b.t.fontCharset = chosen.lfCharSet;
  b.scale = metrics.scale;
  shared::ScopedFont font(CreateBareFont(b.t));
  shared::ScopedSelect select(screen.Get(), font.Get());

  RECT outer = toolkit::ScaleBounds(b.scale, 0, 0, dialog::kClientWidth, dialog::kClientHeight);
  ::AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  const POINT origin =
      toolkit::CentredOrigin({::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}, size);
  b.t.formBounds = {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};

  // The dialog's own creation order: the tab strip, its pages in tab order,
  // then everything else in the order its page reads.
  b.Add(Row(dialog::id_SysPageControl));
  for (dialog::ControlId page : dialog::kPageOrder) b.Add(Row(page));
  for (dialog::ControlId id : dialog::ReadingOrder()) {
    if (Row(id).kind != ControlKind::PageControl && Row(id).kind != ControlKind::TabSheet) b.Add(Row(id));
  }
  return std::move(b.t);
}

}  // namespace

const BareTemplate& Template() {
  static const BareTemplate bare = BuildTemplate();
  return bare;
}

BareDialog::BareDialog(HWND owner) : owner_(owner) {
  const BareTemplate& t = Template();
  icons_.reserve(std::size(dialog::kPageOrder));
  font_.Reset(CreateBareFont(t));
  form_.Reset(::CreateWindowExW(kFormExStyle, kFormClass, t.caption.c_str(), kFormStyle, t.formBounds.left,
                                t.formBounds.top, t.formBounds.right - t.formBounds.left,
                                t.formBounds.bottom - t.formBounds.top, owner, nullptr, Module(), this));
  if (!form_.Get()) throw std::runtime_error("bare form: CreateWindowEx failed");
  // As the dialog does: no default icon in the title bar.
  ::SendMessageW(form_.Get(), WM_SETICON, ICON_SMALL, 0);
  ::SendMessageW(form_.Get(), WM_SETICON, ICON_BIG, 0);

  RECT pageBounds{};
  for (const BareItem& item : t.items) {
    const HWND window = Create(item, item.kind == ControlKind::TabSheet ? pageBounds : item.bounds);
    windows_[item.id] = window;
    switch (item.kind) {
      case ControlKind::PageControl: {
        int index = 0;
        for (const std::wstring& caption : t.tabs) {
          TCITEMW tab{};
          tab.mask = TCIF_TEXT;
          tab.pszText = const_cast<wchar_t*>(caption.c_str());
          ::SendMessageW(window, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&tab));
        }
        ::SendMessageW(window, TCM_SETCURSEL, 0, 0);
        ::GetClientRect(window, &pageBounds);
        ::SendMessageW(window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&pageBounds));
        break;
      }
      case ControlKind::Image: {
        icons_.emplace_back(static_cast<HICON>(::LoadImageW(Module(), MAKEINTRESOURCEW(item.icon), IMAGE_ICON,
                                                            kIconSize, kIconSize, LR_DEFAULTCOLOR)));
        ::SendMessageW(window, STM_SETICON, reinterpret_cast<WPARAM>(icons_.back().Get()), 0);
        break;
      }
      case ControlKind::Bevel:
        ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
      case ControlKind::ListView:
        ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        for (const dialog::ListColumn& column : dialog::kVerListColumns) {
          const std::wstring header = toolkit::Widen(column.header, toolkit::TextEncoding::Ansi);
          LVCOLUMNW lv{};
          lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
          lv.pszText = const_cast<wchar_t*>(header.c_str());
          lv.cx = column.width;
          lv.iSubItem = static_cast<int>(&column - dialog::kVerListColumns);
          ::SendMessageW(window, LVM_INSERTCOLUMNW, lv.iSubItem, reinterpret_cast<LPARAM>(&lv));
        }
        break;
      default:
        break;
    }
  }
}

HWND BareDialog::Create(const BareItem& item, const RECT& bounds) {
  const HWND parent = item.parentId ? windows_[item.parentId] : form_.Get();
  const HWND window =
      ::CreateWindowExW(item.exStyle, item.className, item.text.c_str(), item.style, bounds.left, bounds.top,
                        bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), Module(), nullptr);
  if (!window) throw std::runtime_error("bare control: CreateWindowEx failed");
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  return window;
}

void BareDialog::ShowModal(const std::function<void()>& shown,
                           const std::function<void(const MSG&)>& retrieved) {
  const HWND form = form_.Get();
  done_ = false;
  const bool disableOwner = owner_ && ::IsWindowEnabled(owner_);
  if (disableOwner) ::EnableWindow(owner_, FALSE);
  ::ShowWindow(form, SW_SHOW);
  if (!::IsChild(form, ::GetFocus())) ::SetFocus(windows_[dialog::id_SysPageControl]);
  shown();
  MSG message;
  while (!done_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    retrieved(message);
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  // The owner first: a disabled window cannot take the activation back.
  if (disableOwner) ::EnableWindow(owner_, TRUE);
  if (owner_ && ::GetActiveWindow() == form) ::SetActiveWindow(owner_);
  ::SetWindowPos(form, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK BareDialog::FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<BareDialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_ACTIVATE:
      // Focus to the first tab stop, not to the form.
      if (LOWORD(wParam) != WA_INACTIVE && self->windows_[dialog::id_SysPageControl]) {
        ::SetFocus(self->windows_[dialog::id_SysPageControl]);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == dialog::id_OKBtn && HIWORD(wParam) == BN_CLICKED) self->done_ = true;
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == TCN_SELCHANGE) {
        // Tabs map to the pages in tab order; hidden-tab pages have none.
        const int tab = static_cast<int>(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        for (int i = 0; i < static_cast<int>(std::size(dialog::kPageOrder)); ++i) {
          const HWND page = self->windows_[dialog::kPageOrder[i]];
          ::ShowWindow(page, i == tab ? SW_SHOW : SW_HIDE);
        }
      }
      return 0;
    }
    case WM_CLOSE:
      self->done_ = true;
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace bench
