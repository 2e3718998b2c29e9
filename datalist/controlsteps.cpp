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

int32_t ArrowCounter::Press(int32_t position) {
    if (std::abs(position) <= 1000)
        return position;
    ignoreNext_ = true;
    return 0;
}

bool ArrowCounter::Click() {
    if (ignoreNext_) {
        ignoreNext_ = false;
        return false;
    }
    return true;
}

} // namespace zarvo::datalist
