// Layout arithmetic, free of window calls so that it can be tested alone.
// Layout figures are pixels at 96 pixels per inch with a 13-pixel text line.
#pragma once

#include <windows.h>

namespace toolkit {

constexpr int kDesignDpi = 96;
constexpr int kDesignFontHeight = 11;  // character height, 8 points at 96 dpi
constexpr int kDesignLineHeight = 13;

// The factor numerator/denominator applied to every position and size.
struct LayoutScale {
  int numerator = 1;
  int denominator = 1;
  bool IsIdentity() const { return numerator == denominator; }
  int Apply(int value) const;
};

// The form font's character height at the screen's density.
int ScaledFontHeight(int screenDpi);
// Scaling only when the scaled font's line height differs from the design's.
LayoutScale LayoutScaleFor(int lineHeight);
RECT ScaleBounds(const LayoutScale& scale, int x, int y, int width, int height);
// Top left corner that centres a window of the given outer size on a screen.
POINT CentredOrigin(SIZE screen, SIZE window);

}  // namespace toolkit
