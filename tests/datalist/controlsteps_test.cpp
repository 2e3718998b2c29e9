#include "datalist/controlsteps.h"

#include <gtest/gtest.h>

namespace zarvo::datalist {
namespace {

TEST(ControlSteps, PanelsStepByModifierAndStopAtTheirEnds) {
    const struct {
        bool right, shift, ctrl, alt;
        int32_t step;
    } steps[] = {
        {false, false, false, false, -1}, {true, false, false, false, 1}, {false, false, false, true, -2},
        {true, false, false, true, 2},    {false, false, true, true, -3}, {true, false, true, false, 3},
        {false, true, true, true, -4},    {true, true, false, false, 4},
    };
    for (const auto& s : steps)
        EXPECT_EQ(PanelStep(s.right, s.shift, s.ctrl, s.alt), s.step)
            << s.right << s.shift << s.ctrl << s.alt;

    const struct {
        int32_t value, height, partition;
    } clamps[] = {{-5, 6, 1},   {0, 6, 1},    {1, 6, 1},    {6, 6, 6},
                  {24, 24, 24}, {25, 25, 24}, {80, 80, 24}, {84, 80, 24}};
    for (const auto& c : clamps) {
        EXPECT_EQ(ClampRowHeight(c.value), c.height) << c.value;
        EXPECT_EQ(ClampPartition(c.value), c.partition) << c.value;
    }
}

TEST(ControlSteps, ArrowsIgnoreTheClickAfterTheirCountIsReset) {
    ArrowCounter arrows;
    for (int i = 0; i < 1000; ++i) {
        arrows.Press();
        ASSERT_TRUE(arrows.Click(true));
    }
    EXPECT_EQ(arrows.Position(), 1000);
    arrows.Press(); // 1000 is not beyond 1000
    EXPECT_TRUE(arrows.Click(true));
    EXPECT_EQ(arrows.Position(), 1001);
    arrows.Press();
    EXPECT_EQ(arrows.Position(), 0);
    EXPECT_FALSE(arrows.Click(false)); // the one click that does nothing
    arrows.Press();
    EXPECT_TRUE(arrows.Click(false));

    arrows.SetPosition(-2000);
    EXPECT_EQ(arrows.Position(), ArrowCounter::kMin);
    EXPECT_TRUE(arrows.Click(false)); // without a press, nothing resets: the position stays at its end
    EXPECT_EQ(arrows.Position(), ArrowCounter::kMin);
    arrows.Press();
    EXPECT_FALSE(arrows.Click(true));
    EXPECT_EQ(arrows.Position(), 1);
}

} // namespace
} // namespace zarvo::datalist
