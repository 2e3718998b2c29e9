// Our own modal windows as a user answers them: the test plays the user's part once the window is
// up and active, from the window's own event loop. Header-only.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

namespace zarvo::testsupport {

// Runs command, which opens a modal window of type W; once that is up and active, script plays
// the user's part in it (and closes it). The script runs from the window's own event loop, never
// from inside its opening. False when no such window came within five seconds.
template <typename W>
bool WithModal(const std::function<void()>& command, const std::function<void(W&)>& script) {
    // Polls until the window is up or the command is over (without a window, it is over at once)
    struct State {
        bool over = false, came = false;
        QElapsedTimer timer;
        std::function<void(W&)> script;
        std::function<void()> poll;
    };
    auto state = std::make_shared<State>();
    state->timer.start();
    state->script = script;
    state->poll = [weak = std::weak_ptr<State>(state)] {
        const auto s = weak.lock();
        if (!s || s->over)
            return;
        W* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (window && window->isVisible() && window->isActiveWindow()) {
            s->came = true;
            s->script(*window);
        } else if (s->timer.elapsed() < 5000) {
            QTimer::singleShot(10, s->poll);
            return;
        }
        // Whatever happened, the modal window must not outlive the test's part in it
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            open->reject();
    };
    QTimer::singleShot(0, state->poll);
    command();
    state->over = true;
    const bool came = state->came;
    state->poll = nullptr; // the lambda's copy in a pending timer finds the state gone
    return came;
}

} // namespace zarvo::testsupport
