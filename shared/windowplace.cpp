#include "shared/windowplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zarvo::shared {

void PlaceWindow(QWidget& window, const QRect& bounds) {
    window.resize(bounds.size());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(bounds)) {
            window.move(bounds.topLeft());
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
