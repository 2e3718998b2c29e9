#include "app/termination.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace zarvo::app {

namespace {

// the pipe's ends; -1 while no watch is installed
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;

extern "C" void OnTerminate(int) {
    const int saved = errno;
    const int fd = writeEnd;
    if (fd >= 0) {
        const char byte = 1;
        // a full pipe already holds a request: losing this byte loses nothing
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

TerminationWatch::TerminationWatch(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe for SIGTERM");
    readEnd = fds[0];
    writeEnd = fds[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });

    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the loop's own system calls go on undisturbed
    if (::sigaction(SIGTERM, &action, nullptr) != 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        readEnd = writeEnd = -1;
        throw std::system_error(error, std::generic_category(), "SIGTERM handler");
    }
}

TerminationWatch::~TerminationWatch() {
    ::signal(SIGTERM, SIG_DFL);
    const int fd = writeEnd;
    writeEnd = -1;
    ::close(fd);
    delete notifier_;
    ::close(readEnd);
    readEnd = -1;
}

void TerminationWatch::Drain() {
    char bytes[64];
    bool requested = false;
    while (::read(readEnd, bytes, sizeof bytes) > 0)
        requested = true;
    // several signals before the loop came round are one request
    if (requested && onRequest_)
        onRequest_();
}

} // namespace zarvo::app
