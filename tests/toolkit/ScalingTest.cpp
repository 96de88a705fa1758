#include <gtest/gtest.h>

#include "toolkit/Scaling.h"

namespace toolkit {
namespace {

TEST(Scaling, FontHeightFollowsTheScreenDensityRounded) {
  EXPECT_EQ(11, ScaledFontHeight(96));
  EXPECT_EQ(14, ScaledFontHeight(120));  // 13.75
  EXPECT_EQ(17, ScaledFontHeight(144));  // 16.5 rounds up
  EXPECT_EQ(8, ScaledFontHeight(72));    // 8.25
}

TEST(Scaling, CharacterHeightServesWhenItIsTheScaledOneRoundedEitherWay) {
  EXPECT_TRUE(IsScaledFontHeight(11, 96) && IsScaledFontHeight(13, 120) && IsScaledFontHeight(14, 120));
  EXPECT_TRUE(IsScaledFontHeight(16, 144) && IsScaledFontHeight(17, 144) && IsScaledFontHeight(22, 192));
  EXPECT_FALSE(IsScaledFontHeight(10, 96) || IsScaledFontHeight(12, 120));
  EXPECT_FALSE(IsScaledFontHeight(16, 192)) << "the largest bitmap size, where 22 is asked";
}

TEST(Scaling, AcrossByTheFastestGrowingTextDownByTheLineHeight) {
  const TextGrowth asDesigned[] = {{115, 115}, {68, 68}};
  EXPECT_TRUE(LayoutScaleFor(13).IsIdentity() && LayoutScaleFor(13, asDesigned).IsIdentity());
  const TextGrowth texts[] = {{104, 68}, {177, 115}, {38, 25}, {0, 0}};
  const LayoutScale scale = LayoutScaleFor(20, texts);
  EXPECT_EQ(177, scale.x.numerator);  // 1.539 beats 1.529 and 1.52
  EXPECT_EQ(115, scale.x.denominator);
  EXPECT_EQ(20, scale.y.numerator);
  // The tightest row: "Processor manufacturer:" at 21, its value at 137.
  EXPECT_LT(scale.x.Apply(21) + 177, scale.x.Apply(137));
}

TEST(Scaling, WithoutTextsOtherLineHeightsScaleEveryFigureByNewOverThirteen) {
  const LayoutScale larger = LayoutScaleFor(16);
  EXPECT_FALSE(larger.IsIdentity());
  EXPECT_EQ(443, larger.x.Apply(360));  // 442.6
  EXPECT_EQ(482, larger.y.Apply(392));  // 482.46
  EXPECT_EQ(10, larger.x.Apply(8));     // 9.85
  const RECT box = ScaleBounds(larger, 137, 67, 68, 13);
  EXPECT_EQ(169, box.left);
  EXPECT_EQ(82, box.top);
  EXPECT_EQ(169 + 84, box.right);  // the width scales on its own, not the right edge
  EXPECT_EQ(82 + 16, box.bottom);
}

TEST(Centring, UsesTheOuterSizeWithIntegerDivision) {
  EXPECT_EQ(457, CentredOrigin({1280, 1024}, {366, 421}).x);
  EXPECT_EQ(301, CentredOrigin({1280, 1024}, {366, 421}).y);
  const POINT odd = CentredOrigin({1024, 768}, {367, 423});
  EXPECT_EQ(328, odd.x);  // 328.5 truncated
  EXPECT_EQ(172, odd.y);
}

// Outer sizes of the dialog here at 96, 144 and 192 dpi.
constexpr SIZE k96{366, 421}, k144{560, 632}, k192{817, 857};

struct PlacementCase {
  const char* name;
  RECT screen, work;
  SIZE window;
  RECT expected;
};

const PlacementCase kPlacements[] = {
    {"1280x1024, 96 dpi: centred", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}, k96, {457, 301, 823, 722}},
    {"1920x1080, 192 dpi, taskbar: centred",
     {0, 0, 1920, 1080},
     {0, 0, 1920, 1040},
     k192,
     {551, 111, 1368, 968}},
    {"800x600, 96 dpi, taskbar left: centred", {0, 0, 800, 600}, {72, 0, 800, 600}, k96, {217, 89, 583, 510}},
    {"1366x768, 192 dpi: the top on the screen",
     {0, 0, 1366, 768},
     {0, 0, 1366, 768},
     k192,
     {274, 0, 1091, 857}},
    {"1280x720, 144 dpi, 72 px taskbar below: above it",
     {0, 0, 1280, 720},
     {0, 0, 1280, 648},
     k144,
     {360, 16, 920, 648}},
    {"1280x720, 144 dpi, taskbar on top: below it",
     {0, 0, 1280, 720},
     {0, 72, 1280, 720},
     k144,
     {360, 72, 920, 704}},
    {"1024x768, 144 dpi, taskbar right: left of it",
     {0, 0, 1024, 768},
     {0, 0, 624, 768},
     k144,
     {64, 68, 624, 700}},
    {"800x600, 144 dpi, taskbar right: top left in the work area",
     {0, 0, 800, 600},
     {0, 0, 728, 600},
     k144,
     {120, 0, 680, 632}},
    {"800x600, 192 dpi, taskbar left: top left in the work area",
     {0, 0, 800, 600},
     {72, 0, 800, 600},
     k192,
     {72, 0, 889, 857}},
    // The primary screen of two: the other one's place (left or right,
    // larger or not) changes nothing, nor does a virtual screen that starts
    // elsewhere.
    {"800x600 primary right of 1920x1080, 192 dpi",
     {0, 0, 800, 600},
     {0, 0, 800, 560},
     k192,
     {0, 0, 817, 857}},
    {"a primary screen not at 0,0, 144 dpi",
     {1920, 0, 2720, 600},
     {1920, 0, 2720, 600},
     k144,
     {2040, 0, 2600, 632}},
    {"a screen above and left of 0,0, taskbar right, 192 dpi",
     {-1024, -768, 0, 0},
     {-1024, -768, -100, 0},
     k192,
     {-921, -768, -104, 89}},
};

TEST(Placement, CentredWhereTheWorkAreaHoldsItElseMovedTheLeastTopLeftAlwaysInside) {
  for (const PlacementCase& c : kPlacements) {
    const RECT placed = FormPlacement(c.screen, c.work, c.window);
    EXPECT_TRUE(::EqualRect(&placed, &c.expected))
        << c.name << ": expected (" << c.expected.left << "," << c.expected.top << ")-(" << c.expected.right
        << "," << c.expected.bottom << "), got (" << placed.left << "," << placed.top << ")-(" << placed.right
        << "," << placed.bottom << ")";
  }
}

}  // namespace
}  // namespace toolkit
