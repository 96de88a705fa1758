#include "toolkit/Image.h"

#include <system_error>

namespace toolkit {

TImage::TImage(const Args& args) {
  // Asked at 32x32 explicitly: LoadIcon would pick the system's icon size.
  icon_.Reset(static_cast<HICON>(::LoadImageW(args.module, MAKEINTRESOURCEW(args.iconId), IMAGE_ICON,
                                              kIconSize, kIconSize, LR_DEFAULTCOLOR)));
  if (!icon_)
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "LoadImage");
  CreateHandle({.className = L"STATIC",
                .style = SS_ICON,
                .box = {.parent = args.parent,
                        .id = args.id,
                        .x = args.x,
                        .y = args.y,
                        .w = kIconSize,
                        .h = kIconSize,
                        .visible = args.visible}});
  // The control sizes itself to the icon; it does not take ownership of it.
  ::SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
}

RECT TImage::LayoutBounds(HFONT font, const std::wstring& text) const {
  const RECT scaled = TControl::LayoutBounds(font, text);
  return {scaled.left, scaled.top, scaled.left + kIconSize, scaled.top + kIconSize};
}

// The window goes before the icon it shows.
TImage::~TImage() { DestroyHandle(); }

}  // namespace toolkit
