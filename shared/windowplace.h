// A window's place as the settings keep it: bounds and state stored at the close, put back at the
// next opening.
#pragma once

#include <QRect>
#include <cstdint>

class QWidget;

namespace zarvo::shared {

// Sizes window to the stored bounds, no larger than the largest screen, and moves it there when
// it then meets one of the screens; a window stored off every screen (a screen since removed)
// stays where the window system puts it.
void PlaceWindow(QWidget& window, int32_t left, int32_t top, int32_t width, int32_t height);
// Shows window in the stored state: 2 maximised, 1 minimised (only when mayMinimize: a modal
// window shown minimised would leave the program without a window to use), else as it is.
void ShowStoredState(QWidget& window, int32_t state, bool mayMinimize);

// The bounds to store: while maximised or minimised, those of the normal state it returns to.
QRect StoredBounds(const QWidget& window);
// The state to store: 0 normal, 1 minimised, 2 maximised.
int32_t StoredState(const QWidget& window);

} // namespace zarvo::shared
