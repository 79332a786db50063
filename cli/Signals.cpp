#include "Signals.h"

#include <signal.h>

#include <initializer_list>

namespace murk::cli {

namespace {

volatile sig_atomic_t gStopSignal = 0;

extern "C" void NoteStop(int signal) {
    if (gStopSignal == 0) {
        gStopSignal = signal;
    }
}

}  // namespace

void InstallStopSignals() {
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

}  // namespace murk::cli
