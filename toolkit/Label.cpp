#include "toolkit/Label.h"

#include <compare>
#include <map>
#include <utility>

#include "toolkit/FormSupport.h"

namespace toolkit {
namespace {

DWORD LabelStyle(const TLabel::Args& args) {
  // A plain SS_LEFT breaks lines at word boundaries; a label that must stay
  // on one line needs SS_LEFTNOWORDWRAP.
  DWORD style = SS_NOPREFIX;
  if (args.align == TLabel::Align::Centre) {
    style |= SS_CENTER;
  } else {
    style |= args.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
  }
  return style;
}

// The box the text needs in the font: one line, or lines broken within
// `width` when wrapping. An empty text keeps the height of one line.
SIZE TextBox(const std::wstring& text, HFONT font, bool wordWrap, int width) {
  const wchar_t* const measured = text.empty() ? L" " : text.c_str();
  const int length = text.empty() ? 1 : static_cast<int>(text.size());
  RECT box{0, 0, wordWrap ? width : 0, 0};
  // One memory DC measures every label: taking a label's own window DC costs
  // Wine two server requests each time.
  const HDC dc = MeasuringDC(font);
  ::DrawTextW(dc, measured, length, &box,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0));
  return {box.right - box.left, box.bottom - box.top};
}

// Boxes of the texts labels are made with. A form is made from a stored
// layout, so every showing makes the same labels with the same texts: each
// is measured once, as a compiled template would carry it. Texts set later
// are not kept, or the table would grow with every new value.
struct MadeBoxKey {
  std::wstring text;
  HFONT font;
  bool wordWrap;
  int width;
  auto operator<=>(const MadeBoxKey&) const = default;
};

std::map<MadeBoxKey, SIZE>& MadeBoxes() {
  static std::map<MadeBoxKey, SIZE> boxes;
  return boxes;
}

SIZE MadeBox(std::wstring text, HFONT font, bool wordWrap, int width) {
  MadeBoxKey key{std::move(text), font, wordWrap, wordWrap ? width : 0};
  auto& boxes = MadeBoxes();
  if (const auto found = boxes.find(key); found != boxes.end()) return found->second;
  const SIZE size = TextBox(key.text, font, wordWrap, width);
  boxes.emplace(std::move(key), size);
  return size;
}

}  // namespace

void ForgetMadeLabelBoxes() noexcept { MadeBoxes().clear(); }

TLabel::TLabel(const Args& args)
    : autoSize_(args.autoSize), wordWrap_(args.wordWrap), font_(FontOf(args.box.parent)) {
  CreateHandle({.className = L"STATIC",
                .style = LabelStyle(args),
                .box = args.box,
                .text = args.text,
                .encoding = args.encoding});
}

RECT TLabel::LayoutBounds(HFONT font, const std::wstring& text) const {
  RECT bounds = TControl::LayoutBounds(font, text);
  if (!autoSize_) return bounds;
  // Measured in the font the parent hands down, so that the window is made
  // (or laid out again) at its final size rather than resized afterwards.
  // Not yet made, it shows its stored text, measured once per font; laid out
  // again, it may show any text.
  const int width = bounds.right - bounds.left;
  const SIZE size = Handle() ? TextBox(text, font, wordWrap_, width) : MadeBox(text, font, wordWrap_, width);
  bounds.right = bounds.left + size.cx;
  bounds.bottom = bounds.top + size.cy;
  return bounds;
}

void TLabel::Relayout() {
  font_ = FontOf(::GetParent(Handle()));
  TControl::Relayout();
}

void TLabel::SetText(const char* text, TextEncoding encoding) {
  // Converted once: the same text is compared, set and measured. An
  // unchanged text keeps the box it was fitted to when it was set.
  const std::wstring wide = Widen(text, encoding);
  if (ReplaceText(wide) && autoSize_) AdjustBounds(wide);
}

void TLabel::AdjustBounds(const std::wstring& text) {
  RECT client;
  ::GetClientRect(Handle(), &client);
  const SIZE size = TextBox(text, font_, wordWrap_, client.right);
  // A label has no frame: its client area is its whole box. Unchanged, the
  // box is not worth a server request.
  if (size.cx == client.right && size.cy == client.bottom) return;
  ::SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_DEFERERASE);
}

}  // namespace toolkit
