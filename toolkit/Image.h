// A 32x32 icon picture over a STATIC SS_ICON control. The icon comes from a
// module's resources (the caller passes the module, so a library gives its
// own handle); the control takes the picture's size.
#pragma once

#include "shared/Scoped.h"
#include "toolkit/Control.h"

namespace toolkit {

class TImage : public TControl {
 public:
  static constexpr int kIconSize = 32;
  struct Args {
    HWND parent = nullptr;
    int id = 0;
    int x = 0, y = 0;
    HMODULE module = nullptr;
    int iconId = 0;
    bool visible = true;
  };

  explicit TImage(const Args& args);
  ~TImage() override;

 protected:
  // Its place scales; the picture keeps its size at every density.
  RECT LayoutBounds(HFONT font, const std::wstring& text) const override;

 private:
  shared::ScopedIcon icon_;
};

}  // namespace toolkit
