// Running a step that may hang or crash in a child process, so that a test that meets a hang
// or a crash fails and goes on instead of never ending or taking the whole suite down.
#pragma once

#include <QDeadlineTimer>
#include <QThread>

#include <csignal>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// What became of a step run in a child.
inline constexpr int timedOut = -1;

// The exit status of `body` run in a child process (128 + the signal when one ended it), or
// timedOut when it had not ended after `ms`; the child is then killed.
inline int inChildWithin(int ms, const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    const QDeadlineTimer deadline(ms);
    for (;;) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (deadline.hasExpired()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            return timedOut;
        }
        QThread::msleep(5);
    }
}

} // namespace testsupport
