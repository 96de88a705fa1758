// A lowered box: one-pixel frame, shadow on top and left, highlight on
// bottom and right, nothing painted inside. An owner-drawn STATIC, since no
// static frame style draws exactly that edge; it stays at the bottom of its
// siblings so the labels it encloses draw over it.
#pragma once

#include "toolkit/Control.h"

namespace toolkit {

class TBevel : public TControl {
 public:
  using Args = TBoxArgs;

  explicit TBevel(const Args& args);
  bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace toolkit
