// Layout arithmetic, free of window calls so that it can be tested alone.
// Layout figures are pixels at 96 pixels per inch with a 13-pixel text line.
#pragma once

#include <windows.h>

#include <span>

namespace toolkit {

constexpr int kDesignDpi = 96;
constexpr int kDesignFontHeight = 11;  // character height, 8 points at 96 dpi
constexpr int kDesignLineHeight = 13;

// The factor numerator/denominator applied to positions and sizes along one
// axis.
struct ScaleFactor {
  int numerator = 1;
  int denominator = 1;
  bool IsIdentity() const { return numerator == denominator; }
  int Apply(int value) const;
};

// Horizontal figures scale by x, vertical ones by y.
struct LayoutScale {
  ScaleFactor x;
  ScaleFactor y;
  bool IsIdentity() const { return x.IsIdentity() && y.IsIdentity(); }
};

// A text's width in the form font against its width in the design font.
struct TextGrowth {
  int measured = 0;
  int design = 0;
};

// The form font's character height at the screen's density.
int ScaledFontHeight(int screenDpi);
// Whether a font's character height is the design's at this density rounded
// either way: a bitmap face has only some sizes, and the mapper gives the
// nearest one not larger.
bool IsScaledFontHeight(int characterHeight, int screenDpi);
// Vertically by the form font's line height against the design's 13 pixels,
// as the design asks. Horizontally by the largest growth among the form's
// texts: text widths do not grow with the line height (a bitmap face's
// letters widen in steps), and the design leaves as little as a pixel between
// a prompt and its value, so each text gets at least the room it had in the
// design. Without a text measured, horizontally like vertically.
LayoutScale LayoutScaleFor(int lineHeight, std::span<const TextGrowth> texts = {});
RECT ScaleBounds(const LayoutScale& scale, int x, int y, int width, int height);
// Top left corner that centres a window of the given outer size on a screen.
POINT CentredOrigin(SIZE screen, SIZE window);
// Where a form of outer size `window` goes on the primary screen, whose work
// area (the screen less the taskbar and application bars) is `work`: centred
// on the screen where that lies wholly inside the work area; otherwise moved
// the least distance that brings it inside; where it is larger than the work
// area, with its top left corner inside, so that the title bar, the close box
// and the system menu stay within reach of the mouse.
RECT FormPlacement(const RECT& screen, const RECT& work, SIZE window);

}  // namespace toolkit
