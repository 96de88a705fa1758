// What a screen reader and a user with their own colours get: each page's
// windows in reading order, and every text in the system colours, also when
// they change while the dialog is up or between two showings.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "dialog/SysDlg.h"
#include "dialog/SysDlgLayout.h"
#include "host/WindowRead.h"

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
