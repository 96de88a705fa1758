// The copy keys: the pages the user can reach, as plain text on the
// clipboard. What a hidden page holds (the network page's computer and user
// names among it) never leaves by this route.
#include <algorithm>

#include "dialog/SysDlg.h"
#include "dialog/SysDlgLayout.h"
#include "toolkit/Clipboard.h"

namespace dialog {

namespace {

// One line: a tab or line break inside a value would split it.
std::wstring OneLine(std::wstring text) {
  std::replace_if(
      text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; }, L' ');
  return text;
}

}  // namespace

std::wstring TSysInfoDlg::CopyText() const {
  std::wstring text;
  for (ControlId pageId : kPageOrder) {
    const auto* page = static_cast<const toolkit::TTabSheet*>(controls_[pageId]);
    if (!page->TabVisible()) continue;
    if (!text.empty()) text += L"\r\n";
    text += OneLine(toolkit::WindowTextW(page->Handle())) + L"\r\n";
    for (ControlId id : ReadingOrder()) {
      const ControlLayout& value = kSysDlgLayout[id - 1];
      if (value.parent != pageId || RoleOf(value) != LabelRole::Value || !controls_[id]->Visible()) continue;
      const ControlLayout* prompt = PromptOf(value);
      if (prompt && controls_[prompt->id]->Visible())
        text += OneLine(toolkit::WindowTextW(controls_[prompt->id]->Handle()));
      text += L"\t" + OneLine(toolkit::WindowTextW(controls_[id]->Handle())) + L"\r\n";
    }
  }
  return text;
}

void TSysInfoDlg::FormCopy() {
  // A clipboard held by another program: nothing changes, and the user may
  // simply press the key again.
  toolkit::PutClipboardText(Handle(), CopyText());
}

}  // namespace dialog
