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

}  // namespace
}  // namespace toolkit
