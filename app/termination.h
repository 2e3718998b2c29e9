// SIGTERM, as a session's end or `kill` sends it, turned into a request on the event loop: the
// handler only writes a byte into a pipe (all a signal handler may safely do), and the loop reads it
// and calls back, where the window may write its files.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zarvo::app {

class TerminationWatch : public QObject {
  public:
    // Installs the handler; onRequest runs on the event loop after a SIGTERM (several that come
    // before it runs are one request). One watch
    // at a time. Throws std::system_error when no pipe can be made or the handler not installed.
    explicit TerminationWatch(std::function<void()> onRequest, QObject* parent = nullptr);
    // Gives SIGTERM its default action back (ending the process) and closes the pipe.
    ~TerminationWatch() override;

    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

  private:
    void Drain();

    std::function<void()> onRequest_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zarvo::app
