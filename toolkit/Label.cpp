#include "toolkit/Label.h"

#include "toolkit/Scoped.h"

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

}  // namespace

TLabel::TLabel(const Args& args) : autoSize_(args.autoSize), wordWrap_(args.wordWrap) {
  CreateHandle({.className = L"STATIC",
                .style = LabelStyle(args),
                .parent = args.parent,
                .id = args.id,
                .text = args.text,
                .encoding = args.encoding,
                .x = args.x,
                .y = args.y,
                .width = args.w,
                .height = args.h,
                .visible = args.visible});
  if (autoSize_) AdjustBounds();
}

void TLabel::SetText(const char* text, TextEncoding encoding) {
  TControl::SetText(text, encoding);
  if (autoSize_) AdjustBounds();
}

void TLabel::AdjustBounds() {
  std::wstring text = WindowTextW(Handle());
  // An empty label keeps the height of one line.
  if (text.empty()) text = L" ";
  RECT box{};
  if (wordWrap_) {
    ::GetClientRect(Handle(), &box);
    box.bottom = 0;
  }
  {
    ScopedWindowDC dc(Handle());
    ScopedSelect font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &box,
                DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : 0));
  }
  ::SetWindowPos(Handle(), nullptr, 0, 0, box.right - box.left, box.bottom - box.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace toolkit
