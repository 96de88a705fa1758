#include "dialog/SysDlgLayout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
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

namespace {

constexpr LabelRole RoleOfName(std::string_view name) {
  if (name.starts_with("lbl")) return LabelRole::Value;
  if (name.starts_with("Label")) return LabelRole::Prompt;
  return LabelRole::Other;
}

constexpr LabelRole kRoles[] = {
#define ZX_CONTROL_ROLE(kind, name, ...) RoleOfName(#name),
    ZX_SYSDLG_CONTROLS(ZX_CONTROL_ROLE)
#undef ZX_CONTROL_ROLE
};
static_assert(std::size(kRoles) == kControlCount);

// Pixel rows that two controls share in the stored layout.
constexpr int RowOverlap(const ControlLayout& a, const ControlLayout& b) {
  return std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
}

// Per control, the ID of its prompt, or kNoControl.
constexpr std::array<ControlId, kControlCount + 1> kPrompts = [] {
  std::array<ControlId, kControlCount + 1> prompts{};
  for (const ControlLayout& value : kSysDlgLayout) {
    if (kRoles[value.id - 1] != LabelRole::Value) continue;
    for (const ControlLayout& row : kSysDlgLayout) {
      if (row.parent != value.parent || kRoles[row.id - 1] != LabelRole::Prompt) continue;
      const int best = prompts[value.id] ? RowOverlap(kSysDlgLayout[prompts[value.id] - 1], value) : 0;
      if (RowOverlap(row, value) > best) prompts[value.id] = row.id;
    }
  }
  return prompts;
}();

struct ReadingPlace {
  int line, valueAfterPrompt, left, id;
  constexpr auto operator<=>(const ReadingPlace&) const = default;
};

constexpr ReadingPlace PlaceOf(ControlId id) {
  const ControlLayout& row = kSysDlgLayout[id - 1];
  const ControlId prompt = kPrompts[id];
  return {prompt ? kSysDlgLayout[prompt - 1].top : row.top, kRoles[id - 1] == LabelRole::Value ? 1 : 0,
          row.left, id};
}

constexpr std::array<ControlId, kControlCount> kReadingOrder = [] {
  std::array<ControlId, kControlCount> ids{};
  for (int i = 0; i < kControlCount; ++i) ids[i] = static_cast<ControlId>(i + 1);
  std::sort(ids.begin(), ids.end(), [](ControlId a, ControlId b) { return PlaceOf(a) < PlaceOf(b); });
  return ids;
}();

}  // namespace

LabelRole RoleOf(const ControlLayout& row) { return kRoles[row.id - 1]; }

const ControlLayout* PromptOf(const ControlLayout& row) {
  return kPrompts[row.id] ? &kSysDlgLayout[kPrompts[row.id] - 1] : nullptr;
}

std::span<const ControlId> ReadingOrder() { return kReadingOrder; }

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
