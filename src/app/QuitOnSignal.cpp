#include "QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalled = 0;

void onSignal(int) {
    // A flag and a byte in a pipe: nothing else is safe to do inside a signal handler.
    signalled = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}
} // namespace

void QuitOnSignal::install() {
    if (signalPipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        // Not quit(): Qt asks every window to close first and gives up when one refuses, and
        // quit() does nothing before the application's loop runs (an error box at start-up
        // runs a loop of its own). exit() ends every loop, nested ones too, and no loop started
        // after it runs.
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    // Unless whoever started the program ignores it: `nohup` does, so that the program
    // outlives its terminal.
    struct sigaction hangUp = {};
    if (::sigaction(SIGHUP, nullptr, &hangUp) != 0 || hangUp.sa_handler != SIG_IGN)
        ::sigaction(SIGHUP, &action, nullptr);
}

bool QuitOnSignal::received() {
    return signalled != 0;
}
