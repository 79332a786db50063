#pragma once

#include <QString>

namespace murk {

// The lock that keeps the program to one running instance per user: an
// exclusive flock on "EX_Mutex.lock", held while this object lives and
// released by the system when the process dies.
class TSingleInstance {
public:
    TSingleInstance() = default;
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // False when another process holds the lock. A lock file that cannot be
    // opened, or that belongs to another user, is held by no instance of
    // ours, so that answers true and the program runs without the lock.
    bool Acquire();
    bool Held() const { return FFd >= 0; }

    // In $XDG_RUNTIME_DIR, else in the temporary folder with the user id in
    // the name, since that folder is shared by every user.
    static QString LockPath();

private:
    int FFd = -1;
};

}  // namespace murk
