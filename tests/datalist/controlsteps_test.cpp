#include "datalist/controlsteps.h"

#include <algorithm>
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
    // the arrows' position as the widget steps it: within kMin..kMax
    int32_t position = 0;
    ArrowCounter arrows;
    const auto click = [&](bool up) {
        position = arrows.Press(position);
        position = std::clamp(position + (up ? 1 : -1), ArrowCounter::kMin, ArrowCounter::kMax);
        return arrows.Click();
    };
    for (int i = 0; i < 1001; ++i)
        ASSERT_TRUE(click(true)); // 1000 is not beyond 1000: the press before 1001 keeps it
    EXPECT_EQ(position, 1001);
    EXPECT_FALSE(click(false)); // the press resets; its click is the one that does nothing
    EXPECT_EQ(position, -1);
    EXPECT_TRUE(click(false));

    // a position set beyond the range by the program: the next press resets it whichever arrow
    EXPECT_EQ(arrows.Press(-2000), 0);
    EXPECT_FALSE(arrows.Click());
    EXPECT_EQ(arrows.Press(ArrowCounter::kMin), 0);
    EXPECT_FALSE(arrows.Click());
    EXPECT_TRUE(arrows.Click()); // a click without a press (the keyboard's) is never the ignored one
}

} // namespace
} // namespace zarvo::datalist
