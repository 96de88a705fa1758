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

TEST(Scaling, NothingScalesWhileTheLineHeightStaysThirteen) {
  const LayoutScale same = LayoutScaleFor(13);
  EXPECT_TRUE(same.IsIdentity());
  EXPECT_EQ(344, same.Apply(344));
}

TEST(Scaling, OtherLineHeightsScaleEveryFigureByNewOverThirteen) {
  const LayoutScale larger = LayoutScaleFor(16);
  EXPECT_FALSE(larger.IsIdentity());
  EXPECT_EQ(443, larger.Apply(360));  // 442.6
  EXPECT_EQ(482, larger.Apply(392));  // 482.46
  EXPECT_EQ(10, larger.Apply(8));     // 9.85
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
