// The dialog's stored layout: every control's parent, position, size, stored
// text and settings, as one table in declaration order, generated from the
// control list (SysDlgControls.h). Positions are pixels at 96 dpi relative to
// the parent's client area; the widget layer scales.
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
