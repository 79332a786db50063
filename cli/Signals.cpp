#include "Signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <initializer_list>

namespace murk::cli {

namespace {

volatile sig_atomic_t gStopSignal = 0;
// The handler writes a byte here, so a wait that began just after the
// signal still wakes up.
int gWake[2] = {-1, -1};

extern "C" void NoteStop(int signal) {
    if (gStopSignal == 0) {
        gStopSignal = signal;
    }
    const int saved = errno;
    if (gWake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(gWake[1], &byte, 1);
    }
    errno = saved;
}

}  // namespace

void InstallStopSignals() {
    if (::pipe2(gWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        gWake[0] = gWake[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = NoteStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read at the prompt returns EINTR.
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored by whoever started us (nohup, a background job)
        // stays ignored.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        ::sigaction(signal, &action, nullptr);
    }
}

int StopSignal() {
    return gStopSignal;
}

bool WaitForInput(int fd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {gWake[0], POLLIN, 0}};
    while (gStopSignal == 0) {
        const int ready = ::poll(fds, gWake[0] >= 0 ? 2 : 1, -1);
        if (ready > 0 && fds[0].revents != 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            // Let the read itself meet the error.
            return true;
        }
    }
    return false;
}

}  // namespace murk::cli
