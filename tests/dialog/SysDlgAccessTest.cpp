// What a screen reader and a user with their own colours get: each page's
// windows in reading order, and every text in the system colours, also when
// they change while the dialog is up or between two showings.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>
#include <uxtheme.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dialog/SysDlg.h"
#include "dialog/SysDlgLayout.h"
#include "host/WindowRead.h"
#include "shared/Scoped.h"
#include "tests/toolkit/TestSupport.h"

using dialog::ControlLayout;
using dialog::kSysDlgLayout;
using dialog::LabelRole;

namespace {

const ControlLayout& RowOf(HWND window) { return kSysDlgLayout[::GetDlgCtrlID(window) - 1]; }

// The name of a window's client object: what a screen reader reads it by.
std::wstring AccessibleName(HWND window) {
  IAccessible* object = nullptr;
  BSTR name = nullptr;
  if (SUCCEEDED(::AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(&object)))) {
    VARIANT self{};
    self.vt = VT_I4;
    object->get_accName(self, &name);
    object->Release();
  }
  std::wstring text = name ? name : L"";
  ::SysFreeString(name);
  return text;
}

// A window's accessible children by name, in the order the system's
// accessibility layer hands them to a screen reader.
std::vector<std::wstring> AccessibleChildNames(HWND window) {
  std::vector<std::wstring> names;
  IAccessible* parent = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&parent))))
    return names;
  long count = 0;
  parent->get_accChildCount(&count);
  std::vector<VARIANT> children(static_cast<size_t>(count));
  ::AccessibleChildren(parent, 0, count, children.data(), &count);
  for (VARIANT& child : children) {
    HWND childWindow = nullptr;
    IAccessible* object = nullptr;
    if (child.vt == VT_DISPATCH &&
        SUCCEEDED(child.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&object)))) {
      ::WindowFromAccessibleObject(object, &childWindow);
      object->Release();
    }
    names.push_back(childWindow ? AccessibleName(childWindow) : L"?");
    ::VariantClear(&child);
  }
  parent->Release();
  return names;
}

}  // namespace

TEST(ScreenReaderOrder, EachValueFollowsItsPromptOrTheRowAbove) {
  const HRESULT com = ::CoInitialize(nullptr);
  {
    dialog::TSysInfoDlg dlg;
    for (dialog::ControlId pageId : dialog::kPageOrder) {
      const std::vector<HWND> children = host::Children(dlg.Control(pageId)->Handle());
      std::vector<std::wstring> texts;
      for (HWND child : children) texts.push_back(host::TextOf(child));
      EXPECT_EQ(AccessibleChildNames(dlg.Control(pageId)->Handle()), texts) << "page " << pageId;
      for (size_t i = 1; i < children.size(); ++i) {
        const ControlLayout &row = RowOf(children[i]), &before = RowOf(children[i - 1]);
        if (dialog::RoleOf(row) != LabelRole::Value) continue;
        if (const ControlLayout* prompt = dialog::PromptOf(row)) {
          EXPECT_EQ(before.id, prompt->id) << "value " << row.id << " right after its prompt";
        } else {
          EXPECT_TRUE(dialog::RoleOf(before) == LabelRole::Value && before.top < row.top)
              << "value " << row.id << " right after the value of the row above, not " << before.id;
        }
      }
    }
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
}

namespace {

// Background and ink: the button face, and the button and window texts.
struct Scheme {
  COLORREF back, ink, windowInk;
};

constexpr int kSchemeIndexes[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOWTEXT};

void SetScheme(const Scheme& scheme) {
  const COLORREF colours[] = {scheme.back, scheme.ink, scheme.windowInk};
  ::SetSysColors(3, kSchemeIndexes, colours);
}

// The session's scheme, put back when the scope ends.
struct SchemeScope {
  const Scheme saved{::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT),
                     ::GetSysColor(COLOR_WINDOWTEXT)};
  ~SchemeScope() { SetScheme(saved); }
};

// The colours of the pixels in `area` as the window paints itself.
std::set<COLORREF> ColoursIn(HWND window, RECT area) {
  const shared::ScopedWindowDC screen(nullptr);
  const shared::ScopedDC dc(::CreateCompatibleDC(screen.Get()));
  const shared::Scoped<HBITMAP, shared::DeleteGdiObject> bitmap(
      ::CreateCompatibleBitmap(screen.Get(), area.right, area.bottom));
  const shared::ScopedSelect select(dc.Get(), bitmap.Get());
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
  std::set<COLORREF> colours;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) colours.insert(::GetPixel(dc.Get(), x, y));
  }
  return colours;
}

// Every text the user sees: the shown page's labels, the three tab captions
// (inside each tab's edges) and OK (inside its edges).
void ExpectTexts(const dialog::TSysInfoDlg& dlg, const Scheme& now, const Scheme& before) {
  std::vector<std::pair<HWND, RECT>> texts;
  for (HWND child : host::Children(dlg.SysPageControl->ActivePage()->Handle())) {
    RECT box;
    if (RowOf(child).kind == dialog::ControlKind::Label && ::IsWindowVisible(child) &&
        !host::TextOf(child).empty() && ::GetClientRect(child, &box))
      texts.emplace_back(child, box);
  }
  for (int tab = 0; tab < 3; ++tab) {
    RECT box;
    ::SendMessageW(dlg.SysPageControl->Handle(), TCM_GETITEMRECT, tab, reinterpret_cast<LPARAM>(&box));
    ::InflateRect(&box, -3, -3);
    texts.emplace_back(dlg.SysPageControl->Handle(), box);
  }
  RECT ok;
  ::GetClientRect(dlg.OKBtn->Handle(), &ok);
  ::InflateRect(&ok, -3, -3);
  texts.emplace_back(dlg.OKBtn->Handle(), ok);
  for (const auto& [window, box] : texts) {
    const std::set<COLORREF> colours = ColoursIn(window, box);
    const COLORREF ink =
        window == dlg.SysPageControl->Handle() || window == dlg.OKBtn->Handle() ? now.ink : now.windowInk;
    const std::string what = toolkit_test::ShownText(window) + " at " + std::to_string(box.left);
    EXPECT_TRUE(colours.count(now.back) && colours.count(ink)) << what << ": new background and ink";
    EXPECT_FALSE(colours.count(before.back) || colours.count(before.ink) || colours.count(before.windowInk))
        << what << ": no old colour";
  }
}

}  // namespace

TEST(Colours, EveryTextTakesASchemeChangedBetweenShowingsOrWhileShown) {
  const SchemeScope scope;
  const Scheme first{RGB(0, 0, 128), RGB(255, 255, 0), RGB(255, 255, 0)};
  const Scheme second{RGB(128, 0, 0), RGB(0, 255, 255), RGB(0, 255, 0)};
  ASSERT_NE(scope.saved.back, first.back) << "the session's scheme is the test's";
  // One dialog made and gone before the change: the next is made after it.
  std::make_unique<dialog::TSysInfoDlg>().reset();
  SetScheme(first);
  dialog::TSysInfoDlg dlg;
  // Drawn classic, as under a high-contrast scheme: a theme has its own
  // colours. (An empty name would be refused: " " names no theme.)
  for (HWND control : host::Descendants(dlg.Handle())) ::SetWindowTheme(control, L" ", L" ");
  toolkit_test::Script script({[&] { ExpectTexts(dlg, first, scope.saved), SetScheme(second); },
                               [&] { ExpectTexts(dlg, second, first), dlg.SetModalResult(2); }});
  dlg.ShowModal();
}
