#pragma once

#include <QString>
#include <QStringList>

#include "HistorySeal.h"
#include "SecureMemory.h"

namespace murk {

enum class THistoryLoad {
    Read,
    // A sealed file could not be opened (another login password, an edited
    // or damaged file) and was renamed to UnreadableHistoryName; the history
    // starts empty.
    SetAside,
    // As SetAside, but the file could not be renamed: it stays as it is and
    // this session's history is not saved over it.
    Kept,
};

extern const QString PasswordHistoryName;
extern const QString UnreadableHistoryName;

// "murkw.hst" and the key that seals it. While the login gate is on the file
// is sealed under a key derived from the login password, so it is read only
// after a login; with the gate off it is plain text. The key lives in secure
// memory from the login to Wipe.
class TPasswordHistoryFile {
public:
    // Reads the file into history. password is the login password just
    // accepted (CP932), or null when there was no login; newPassword says it
    // was set just now. After a login the file is sealed at once when it was
    // plain or the password is new, under a key with a new salt.
    THistoryLoad Load(QStringList& history, const TSecureBytes* password, bool newPassword);

    // Writes history: sealed when gateOn and Load had a login, plain (mode
    // 0600) when the gate is off. Writes nothing before Load, after Wipe, or
    // when a login's key could not be had, so a file nobody opened is never
    // replaced.
    bool Save(const QStringList& history, bool gateOn);

    // Forgets the key; Save then writes nothing until the next Load.
    void Wipe();

    bool HasKey() const { return !FKey.Empty(); }

private:
    bool NewKey(std::string_view password);
    bool WriteSealed(const QStringList& history);

    TSecureBytes FKey{HistoryKeySize};
    THistorySeal FSeal;
    bool FLoaded = false;
    bool FLogin = false;
    bool FWritable = true;
};

}  // namespace murk
