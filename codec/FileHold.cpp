#include "FileHold.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileSystem.h"

namespace murk {

namespace {

// A lease break is answered in the signal handler by giving the lease up,
// so the writer goes on at once; F_GETLEASE then reports no lease.
void OnLeaseBreak(int, siginfo_t* info, void*) {
    const int saved = errno;
    ::fcntl(info->si_fd, F_SETLEASE, F_UNLCK);
    errno = saved;
}

// The signal a lease break is sent with; 0 when none could be set up, and
// then no lease is taken (the default SIGIO would end the process).
int LeaseSignal() {
    static const int signal = [] {
        const int number = SIGRTMIN + 6;
        if (number > SIGRTMAX) {
            return 0;
        }
        struct sigaction old {};
        if (::sigaction(number, nullptr, &old) != 0 ||
            ((old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler != SIG_DFL)) {
            return 0;
        }
        struct sigaction action {};
        action.sa_sigaction = OnLeaseBreak;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        ::sigemptyset(&action.sa_mask);
        return ::sigaction(number, &action, nullptr) == 0 ? number : 0;
    }();
    return signal;
}

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

TFileHold::TFileHold(const std::string& path) {
    // A run that replaced the file between the open and the lock leaves the
    // old one locked by nobody; the new one is taken instead.
    for (int attempt = 0; attempt < 4; ++attempt) {
        FFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (FFd < 0 || ::fstat(FFd, &FStatus) != 0) {
            const int error = errno;
            if (FFd >= 0) {
                ::close(FFd);
                FFd = -1;
            }
            throw FileOpenError("open", path, std::strerror(error));
        }
        if (!S_ISREG(FStatus.st_mode)) {
            ::close(FFd);
            FFd = -1;
            throw FileOpenError("open", path, "not a regular file");
        }
        if (::flock(FFd, LOCK_EX | LOCK_NB) == 0) {
            FLocked = true;
        } else if (errno == EWOULDBLOCK) {
            FProblem = THoldProblem::InUse;
            return;
        }
        struct stat named {};
        if (!FLocked || (::stat(path.c_str(), &named) == 0 && SameInode(FStatus, named))) {
            break;
        }
        ::close(FFd);
        FFd = -1;
        FLocked = false;
    }
    if (FFd < 0) {
        FProblem = THoldProblem::InUse;
        return;
    }
    const int signal = LeaseSignal();
    if (signal != 0 && ::fcntl(FFd, F_SETSIG, signal) == 0) {
        if (::fcntl(FFd, F_SETLEASE, F_RDLCK) == 0) {
            FLeased = true;
        } else if (errno == EAGAIN) {
            FProblem = THoldProblem::BeingWritten;
        }
    }
}

TFileHold::~TFileHold() {
    Release();
}

void TFileHold::Release() {
    if (FFd >= 0) {
        if (FLeased) {
            ::fcntl(FFd, F_SETLEASE, F_UNLCK);
        }
        ::close(FFd);
        FFd = -1;
    }
    FLeased = false;
}

bool TFileHold::Undisturbed() const {
    return !FLeased || ::fcntl(FFd, F_GETLEASE) == F_RDLCK;
}

}  // namespace murk
