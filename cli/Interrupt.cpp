#include "cli/Interrupt.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
}
} // namespace

InterruptNotifier::InterruptNotifier(QObject* parent) : QObject(parent) {
    if (pipeFds[0] < 0 && ::pipe(pipeFds) != 0)
        return;
    ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(pipeFds[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptNotifier::onReadable);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

InterruptNotifier::~InterruptNotifier() {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
}

void InterruptNotifier::onReadable() {
    char bytes[16];
    while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
    }
    m_interrupted = true;
    emit interruptedNow();
}
