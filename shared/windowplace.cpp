#include "shared/windowplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace zarvo::shared {

void PlaceWindow(QWidget& window, int32_t left, int32_t top, int32_t width, int32_t height) {
    // A settings file may hold any numbers: a window larger than every screen would ask for a
    // backing store of terabytes, and the edges are found in 64 bits so that they cannot wrap.
    int32_t largestWidth = 1, largestHeight = 1;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        largestWidth = std::max(largestWidth, screen->availableGeometry().width());
        largestHeight = std::max(largestHeight, screen->availableGeometry().height());
    }
    width = std::clamp(width, 1, largestWidth);
    height = std::clamp(height, 1, largestHeight);
    window.resize(width, height);
    for (const QScreen* screen : screens) {
        const QRect g = screen->availableGeometry();
        if (int64_t{left} < int64_t{g.x()} + g.width() && int64_t{left} + width > g.x() &&
            int64_t{top} < int64_t{g.y()} + g.height() && int64_t{top} + height > g.y()) {
            window.move(left, top);
            return;
        }
    }
}

void ShowStoredState(QWidget& window, int32_t state, bool mayMinimize) {
    if (state == 2)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else if (state == 1 && mayMinimize)
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

QRect StoredBounds(const QWidget& window) {
    return window.isMaximized() || window.isMinimized() ? window.normalGeometry()
                                                        : QRect(window.pos(), window.size());
}

int32_t StoredState(const QWidget& window) {
    return window.isMaximized() ? 2 : window.isMinimized() ? 1 : 0;
}

} // namespace zarvo::shared
