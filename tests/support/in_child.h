// Runs part of a test in a child process: one that gives up privileges, mounts a file system of
// its own, sets limits, or is killed part-way, without touching the test process.
#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zarvo::testsupport {

// What body returned in a child process; "ended by signal N" when it did not return (a child still
// running after timeoutSeconds is ended by SIGALRM).
inline std::string TextFromChild(const std::function<std::string()>& body, unsigned timeoutSeconds = 10) {
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(timeoutSeconds);
        const std::string result = body();
        for (size_t done = 0; done < result.size();) {
            const ssize_t n = ::write(fds[1], result.data() + done, result.size() - done);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? result : "ended by signal " + std::to_string(WTERMSIG(status));
}

// True when body, run in a child process, was killed with SIGKILL (as by its own hook), false when
// it ended otherwise.
inline bool KilledInChild(const std::function<void()>& body) {
    return TextFromChild([&] {
               try {
                   body();
               } catch (...) {
               }
               return std::string();
           }) == "ended by signal " + std::to_string(SIGKILL);
}

} // namespace zarvo::testsupport
