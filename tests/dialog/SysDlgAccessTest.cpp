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
using dialog::LabelRole;

namespace {

const ControlLayout& RowOf(HWND window) { return dialog::kSysDlgLayout[::GetDlgCtrlID(window) - 1]; }

void ReleaseObject(IAccessible* object) { object->Release(); }
using AccessibleObject = shared::Scoped<IAccessible*, ReleaseObject>;

// What a screen reader reads a window by.
AccessibleObject ClientObject(HWND window) {
  void* object = nullptr;
  ::AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, &object);
  return AccessibleObject(static_cast<IAccessible*>(object));
}

// A page's accessible children in the order the accessibility layer hands them
// to a screen reader, named by their windows' client objects (Wine gives its
// window objects no names).
std::vector<std::wstring> AccessibleChildNames(HWND page) {
  const AccessibleObject parent = ClientObject(page);
  long count = 0;
  if (parent) parent.Get()->get_accChildCount(&count);
  std::vector<VARIANT> children(static_cast<size_t>(count));
  if (parent) ::AccessibleChildren(parent.Get(), 0, count, children.data(), &count);
  std::vector<std::wstring> names;
  for (VARIANT& child : children) {
    void* object = nullptr;
    HWND window = nullptr;
    if (child.vt == VT_DISPATCH && SUCCEEDED(child.pdispVal->QueryInterface(IID_IAccessible, &object)))
      ::WindowFromAccessibleObject(AccessibleObject(static_cast<IAccessible*>(object)).Get(), &window);
    VARIANT self{};
    self.vt = VT_I4;
    BSTR name = nullptr;
    if (const AccessibleObject named = ClientObject(window)) named.Get()->get_accName(self, &name);
    names.emplace_back(name ? name : L"");
    ::SysFreeString(name);
    ::VariantClear(&child);
  }
  return names;
}

}  // namespace

TEST(ScreenReaderOrder, EachValueFollowsItsPromptOrTheRowAbove) {
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

namespace {

// Button face, button text and window text; a scheme's texts share one ink.
constexpr int kSchemeIndexes[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOWTEXT};
using Scheme = std::vector<COLORREF>;
void SetScheme(const Scheme& scheme) { ::SetSysColors(3, kSchemeIndexes, scheme.data()); }

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
// and OK (inside their edges): the scheme's background and ink, no old colour.
void ExpectTexts(const dialog::TSysInfoDlg& dlg, const Scheme& now, const Scheme& before) {
  std::vector<std::pair<HWND, RECT>> texts;
  for (HWND label : host::Children(dlg.SysPageControl->ActivePage()->Handle())) {
    if (RowOf(label).kind != dialog::ControlKind::Label || !::IsWindowVisible(label) ||
        host::TextOf(label).empty())
      continue;
    texts.emplace_back(label, host::RectInParent(label));
    ::OffsetRect(&texts.back().second, -texts.back().second.left, -texts.back().second.top);
  }
  RECT box;
  for (int tab = 0; tab < 3; ++tab) {
    ::SendMessageW(dlg.SysPageControl->Handle(), TCM_GETITEMRECT, tab, reinterpret_cast<LPARAM>(&box));
    texts.emplace_back(dlg.SysPageControl->Handle(),
                       RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3});
  }
  ::GetClientRect(dlg.OKBtn->Handle(), &box);
  texts.emplace_back(dlg.OKBtn->Handle(), RECT{3, 3, box.right - 3, box.bottom - 3});
  for (const auto& [window, area] : texts) {
    const std::set<COLORREF> colours = ColoursIn(window, area);
    EXPECT_TRUE(colours.count(now[0]) && colours.count(now[1]))
        << toolkit_test::ShownText(window) << " at " << area.left << ": the scheme's background and ink";
    for (COLORREF old : before)
      EXPECT_FALSE(colours.count(old)) << toolkit_test::ShownText(window) << " at " << area.left;
  }
}

}  // namespace

TEST(Colours, EveryTextTakesASchemeChangedBetweenShowingsOrWhileShown) {
  const SchemeScope scope;
  const Scheme first{RGB(0, 0, 128), RGB(255, 255, 0), RGB(255, 255, 0)};
  const Scheme second{RGB(128, 0, 0), RGB(0, 255, 255), RGB(0, 255, 255)};
  ASSERT_NE(scope.saved, first) << "the session's scheme is the test's";
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
