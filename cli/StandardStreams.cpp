#include "StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace murk::cli {

namespace {

bool gClosed[3] = {false, false, false};

}  // namespace

void GuardStandardStreams() {
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            gClosed[fd] = true;
            // open takes the lowest free number, which is fd.
            const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (opened != fd && opened >= 0) {
                ::close(opened);
            }
        }
    }
}

bool WasClosedAtStart(int fd) {
    return fd >= 0 && fd < 3 && gClosed[fd];
}

}  // namespace murk::cli
