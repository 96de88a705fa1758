// The dialog's stored layout: every control's parent, position, size, stored
// text and settings, as one table in declaration order, generated from the
// control list (SysDlgControls.h). Positions are pixels at 96 dpi relative to
// the parent's client area; the widget layer scales. The order a page reads
// in, which is the order its windows are made in, is derived from the boxes.
#pragma once

#include <cstdint>
#include <span>

#include "dialog/SysDlgControls.h"
#include "toolkit/Font.h"

namespace dialog {

enum LayoutFlag : uint8_t {
  kHidden = 1 << 0,     // created invisible
  kFixedSize = 1 << 1,  // keeps its box instead of fitting its text
  kCentred = 1 << 2,    // text centred in the box
  kWordWrap = 1 << 3,   // text broken into lines within the box
  kTabHidden = 1 << 4,  // page without a tab
  kUtf8 = 1 << 5,       // stored text is UTF-8 (characters outside the ANSI code page)
};

struct ControlLayout {
  ControlId id;
  ControlKind kind;
  ControlId parent;  // kNoControl: the form itself
  int left, top, width, height;
  const char* text;  // stored text, or null
  uint8_t flags;
  int icon;  // resource ID of a picture's icon
};

extern const ControlLayout kSysDlgLayout[kControlCount];

inline toolkit::TextEncoding EncodingOf(const ControlLayout& row) {
  return (row.flags & kUtf8) ? toolkit::TextEncoding::Utf8 : toolkit::TextEncoding::Ansi;
}

// A label's part on its page: a value (lbl<Value>), the prompt of one
// (Label<n>), or neither (a page title; every control that is no label).
enum class LabelRole : uint8_t { Other, Value, Prompt };
LabelRole RoleOf(const ControlLayout& row);

// The prompt on a value's row: the prompt of the same page that shares most
// of the value's height in the stored layout (runtime boxes fit their texts
// and say less); null for a value without one, and for any other row.
const ControlLayout* PromptOf(const ControlLayout& row);

// Every control in the order its page reads, top to bottom: by the line a
// control stands on, where a value stands on its prompt's line (a value may
// sit a pixel or two lower or higher than its prompt), a prompt before the
// value beside it, then left to right. A value without a prompt reads on its
// own line, after the line above it.
std::span<const ControlId> ReadingOrder();

// The self-sizing labels' stored texts, each once, with their stored widths:
// a stored width is the text's width in the design font, and the form keeps
// that much room for each at any scale.
std::span<const toolkit::DesignText> FittedLabelTexts();

// Pages of SysPageControl in tab order.
inline constexpr ControlId kPageOrder[] = {id_WinTabSheet, id_SysTabSheet, id_MemTabSheet, id_NetTabSheet,
                                           id_LibVerSheet};

struct ListColumn {
  const char* header;
  int width;
};
inline constexpr ListColumn kVerListColumns[] = {
    {"FileName", 100}, {"ProductName", 200}, {"Copyright", 150}, {"FileVersion", 70}, {"ProductVersion", 70},
};

inline constexpr int kClientWidth = 360;
inline constexpr int kClientHeight = 392;
// "Информация о системе", replaced at creation.
inline constexpr const char kStoredCaption[] =
    "\xD0\x98\xD0\xBD\xD1\x84\xD0\xBE\xD1\x80\xD0\xBC\xD0\xB0\xD1\x86\xD0\xB8\xD1\x8F \xD0\xBE "
    "\xD1\x81\xD0\xB8\xD1\x81\xD1\x82\xD0\xB5\xD0\xBC\xD0\xB5";

}  // namespace dialog
