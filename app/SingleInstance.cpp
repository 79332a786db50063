#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace murk {

TSingleInstance::~TSingleInstance() {
    if (FFd >= 0) {
        ::close(FFd);
    }
}

QString TSingleInstance::LockPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime + QStringLiteral("/EX_Mutex.lock");
    }
    return QDir::tempPath() + QStringLiteral("/EX_Mutex-%1.lock").arg(::getuid());
}

bool TSingleInstance::Acquire() {
    if (FFd >= 0) {
        return true;
    }
    // O_NOFOLLOW: in a shared temporary folder another user could have put
    // a link there in our name.
    const int fd = ::open(QFile::encodeName(LockPath()).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return true;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::getuid()) {
        ::close(fd);
        return true;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    FFd = fd;
    return true;
}

}  // namespace murk
