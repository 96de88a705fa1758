#include "dialog/SysDlgLayout.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "dialog/SysDlgIcons.h"

namespace dialog {

namespace {

// The names the control list's rows use for parents and placeholder texts.
constexpr ControlId Form = kNoControl, Pages = id_SysPageControl, Win = id_WinTabSheet, Sys = id_SysTabSheet,
                    Mem = id_MemTabSheet, Net = id_NetTabSheet, Lib = id_LibVerSheet;

constexpr const char kNoInfo[] = "No information";
constexpr const char kNoInfoMemory[] = "No inormation";  // the Memory page's stored text, spelt so on purpose
constexpr const char kNetCaption[] = "\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C";  // "Сеть"

constexpr ControlLayout Row(ControlId id, ControlKind kind, ControlId parent, int left, int top, int width,
                            int height, const char* text, uint8_t flags = 0, int icon = 0) {
  return {id, kind, parent, left, top, width, height, text, flags, icon};
}

}  // namespace

constexpr ControlLayout kSysDlgLayout[kControlCount] = {
#define ZX_LAYOUT_ROW(kind, name, ...) Row(id_##name, ControlKind::kind, __VA_ARGS__),
    ZX_SYSDLG_CONTROLS(ZX_LAYOUT_ROW)
#undef ZX_LAYOUT_ROW
};

// Each row sits at its declaration position; parents are containers.
constexpr bool RowsInDeclarationOrder() {
  for (int i = 0; i < kControlCount; ++i) {
    const ControlLayout& row = kSysDlgLayout[i];
    if (row.id != i + 1) return false;
    if (row.parent != kNoControl) {
      const ControlKind parentKind = kSysDlgLayout[row.parent - 1].kind;
      if (parentKind != ControlKind::TabSheet && parentKind != ControlKind::PageControl) return false;
      if ((row.kind == ControlKind::TabSheet) != (parentKind == ControlKind::PageControl)) return false;
    }
  }
  return true;
}
static_assert(RowsInDeclarationOrder());

std::span<const toolkit::DesignText> FittedLabelTexts() {
  static const std::vector<toolkit::DesignText> texts = [] {
    std::vector<toolkit::DesignText> found;
    for (const ControlLayout& row : kSysDlgLayout) {
      if (row.kind != ControlKind::Label || (row.flags & kFixedSize) || !row.text) continue;
      const auto same = [&row](const toolkit::DesignText& text) {
        return std::strcmp(text.text, row.text) == 0;
      };
      if (std::none_of(found.begin(), found.end(), same))
        found.push_back({row.text, EncodingOf(row), row.width});
    }
    return found;
  }();
  return texts;
}

}  // namespace dialog
