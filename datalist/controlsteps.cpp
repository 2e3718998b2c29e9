#include "datalist/controlsteps.h"

#include <algorithm>
#include <cstdlib>

namespace zarvo::datalist {

int32_t ClampRowHeight(int32_t height) {
    return std::clamp(height, kMinRowHeight, kMaxRowHeight);
}

int32_t ClampPartition(int32_t partition) {
    return std::clamp(partition, kMinPartition, kMaxPartition);
}

int32_t PanelStep(bool rightButton, bool shift, bool ctrl, bool alt) {
    const int32_t size = shift ? 4 : ctrl ? 3 : alt ? 2 : 1;
    return rightButton ? size : -size;
}

void ArrowCounter::SetPosition(int32_t position) {
    position_ = std::clamp(position, kMin, kMax);
}

void ArrowCounter::Press() {
    if (std::abs(position_) > 1000) {
        position_ = 0;
        ignoreNext_ = true;
    }
}

bool ArrowCounter::Click(bool up) {
    SetPosition(position_ + (up ? 1 : -1));
    if (ignoreNext_) {
        ignoreNext_ = false;
        return false;
    }
    return true;
}

} // namespace zarvo::datalist
