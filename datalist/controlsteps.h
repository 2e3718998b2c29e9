// The small rules of the data list window's controls: the steps of the row-height and
// print-column panels and their ranges, and the click counter of the up/down arrows.
#pragma once

#include <cstdint>

namespace zarvo::datalist {

// Grid row height in pixels, and print columns ("印刷の段数") of the text listing.
inline constexpr int32_t kMinRowHeight = 6, kMaxRowHeight = 80;
inline constexpr int32_t kMinPartition = 1, kMaxPartition = 24;

int32_t ClampRowHeight(int32_t height);
int32_t ClampPartition(int32_t partition);

// The change of a panel's value by one mouse press: 4 with Shift, else 3 with Ctrl, else 2 with
// Alt, else 1; added for the right button, taken away for the left one.
int32_t PanelStep(bool rightButton, bool shift, bool ctrl, bool alt);

// Up/down arrows that only count their clicks (the main window's UpDown3, the data list window's
// UpDown1 and UpDown2) step a position within kMin..kMax that nothing reads. So that they never
// stop at an end of that range, a mouse press finds the position more than 1000 away from 0, puts
// it back to 0, and the click that follows does nothing.
class ArrowCounter {
  public:
    static constexpr int32_t kMin = -1010, kMax = 1010;

    // A mouse press on either arrow, before its click, finding the arrows at position: the
    // position they are to hold from now on.
    int32_t Press(int32_t position);
    // The click that follows a press; false when it is the one to be ignored after a reset.
    bool Click();

  private:
    bool ignoreNext_ = false; // the arrows' Tag
};

} // namespace zarvo::datalist
