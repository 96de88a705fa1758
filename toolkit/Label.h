// Text label over a STATIC control (SS_NOPREFIX, so '&' shows as itself).
// An auto-sized label fits its box to its text, keeping its left and top
// edges; a fixed one keeps its box and may centre or word-wrap its text.
#pragma once

#include "toolkit/Control.h"

namespace toolkit {

class TLabel : public TControl {
 public:
  enum class Align { Left, Centre };
  struct Args {
    TBoxArgs box;
    const char* text = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
    bool autoSize = true;
    Align align = Align::Left;
    bool wordWrap = false;
  };

  explicit TLabel(const Args& args);
  void SetText(const char* text, TextEncoding encoding = TextEncoding::Ansi) override;
  void Relayout() override;

 protected:
  RECT LayoutBounds(HFONT font, const std::wstring& text) const override;

 private:
  // Fits the box to `text`, the window's text as it now holds it.
  void AdjustBounds(const std::wstring& text);
  bool autoSize_;
  bool wordWrap_;
  HFONT font_;  // the parent's, which the window is given at creation
};

// Drops the boxes measured for labels at their making (the fonts they were
// measured in go with ReleaseForms).
void ForgetMadeLabelBoxes() noexcept;

}  // namespace toolkit
