// The copy keys: the pages the user can reach, as plain text on the
// clipboard. What a hidden page holds (the network page's computer and user
// names among it) never leaves by this route.
#include <algorithm>
#include <string_view>
#include <vector>

#include "dialog/SysDlg.h"
#include "dialog/SysDlgLayout.h"
#include "toolkit/Clipboard.h"

namespace dialog {

namespace {

// Value labels are named lbl<Value>, their prompts Label<n>; page titles
// (lb<Page>Title) are neither.
enum class Role : uint8_t { Other, Value, Prompt };

constexpr Role RoleOf(std::string_view name) {
  if (name.starts_with("lbl")) return Role::Value;
  if (name.starts_with("Label")) return Role::Prompt;
  return Role::Other;
}

constexpr Role kRoles[] = {
#define ZX_CONTROL_ROLE(kind, name, ...) RoleOf(#name),
    ZX_SYSDLG_CONTROLS(ZX_CONTROL_ROLE)
#undef ZX_CONTROL_ROLE
};
static_assert(std::size(kRoles) == kControlCount);

Role RoleOf(const ControlLayout& row) { return kRoles[row.id - 1]; }

// Rows shared by two labels in the stored layout, in pixels (their runtime
// boxes fit their texts and say less).
int RowOverlap(const ControlLayout& a, const ControlLayout& b) {
  return std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
}

// Later in reading order: further down, or on the same row further right.
bool After(const ControlLayout& a, const ControlLayout& b) {
  return a.top != b.top ? a.top > b.top : a.left > b.left;
}

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
    std::vector<const ControlLayout*> values;
    std::vector<const ControlLayout*> prompts;
    for (const ControlLayout& row : kSysDlgLayout) {
      if (row.parent != pageId || !controls_[row.id]->Visible()) continue;
      if (RoleOf(row) == Role::Prompt) prompts.push_back(&row);
      if (RoleOf(row) != Role::Value) continue;
      // Top to bottom, then left to right: a dozen rows, put in place as
      // they come.
      auto at = values.end();
      while (at != values.begin() && After(**(at - 1), row)) --at;
      values.insert(at, &row);
    }
    if (!text.empty()) text += L"\r\n";
    text += OneLine(toolkit::WindowTextW(page->Handle())) + L"\r\n";
    for (const ControlLayout* value : values) {
      const ControlLayout* prompt = nullptr;
      for (const ControlLayout* candidate : prompts) {
        if (RowOverlap(*candidate, *value) > (prompt ? RowOverlap(*prompt, *value) : 0)) prompt = candidate;
      }
      if (prompt) text += OneLine(toolkit::WindowTextW(controls_[prompt->id]->Handle()));
      text += L"\t" + OneLine(toolkit::WindowTextW(controls_[value->id]->Handle())) + L"\r\n";
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
