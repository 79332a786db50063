#include "PasswordHistoryFile.h"

#include <fcntl.h>
#include <stdio.h>

#include <QFile>

#include <cerrno>

#include "SettingsFiles.h"

namespace murk {

const QString PasswordHistoryName = QStringLiteral("murkw.hst");
const QString UnreadableHistoryName = QStringLiteral("murkw.hst.unreadable");

namespace {

QString FilePath(const QString& name) {
    return SettingsFolder() + QLatin1Char('/') + name;
}

// Overwrites the bytes of text, which held passwords, before it goes.
void WipeText(QByteArray& text) {
    if (!text.isEmpty()) {
        WipeBytes(text.data(), size_t(text.size()));
    }
    text.clear();
}

// Renames the file to UnreadableHistoryName, or to that name with ".2",
// ".3"... when an earlier one is there: a file set aside is never replaced.
bool SetAside(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    for (int number = 1; number < 1000; ++number) {
        QString name = FilePath(UnreadableHistoryName);
        if (number > 1) {
            name += QStringLiteral(".%1").arg(number);
        }
        const QByteArray to = QFile::encodeName(name);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) ==
            0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        // A file system without the no-replace rename.
        if (errno == EINVAL && !QFile::exists(name)) {
            return ::rename(from.constData(), to.constData()) == 0;
        }
        return false;
    }
    return false;
}

}  // namespace

THistoryLoad TPasswordHistoryFile::Load(QStringList& history, const TSecureBytes* password,
                                        bool newPassword) {
    Wipe();
    history.clear();
    FLoaded = true;
    FLogin = password != nullptr;
    FWritable = true;
    THistoryLoad result = THistoryLoad::Read;

    const QString path = FilePath(PasswordHistoryName);
    QFile file(path);
    QByteArray content;
    if (file.open(QIODevice::ReadOnly)) {
        content = file.readAll();
        file.close();
    }
    bool keyFromFile = false;
    if (IsSealedHistory(content)) {
        QByteArray text;
        std::span<uint8_t> key;
        const bool opened = password && ReadHistorySeal(content, FSeal) &&
                            !(key = FKey.Resize(HistoryKeySize)).empty() &&
                            DerivePasswordKey(password->View(), FSeal.Salt, FSeal.Cost, key) &&
                            OpenHistory(content, FKey.Bytes(), text);
        if (opened) {
            history = TextLines(text);
            keyFromFile = true;
        } else {
            FKey.Wipe();
            if (SetAside(path)) {
                result = THistoryLoad::SetAside;
            } else {
                FWritable = false;
                result = THistoryLoad::Kept;
            }
        }
        WipeText(text);
    } else {
        history = TextLines(content);
    }
    WipeText(content);

    if (password && FWritable && (newPassword || !keyFromFile)) {
        if (NewKey(password->View())) {
            WriteSealed(history);
        }
    }
    return result;
}

bool TPasswordHistoryFile::NewKey(std::string_view password) {
    FSeal.Cost = PasswordCost;
    FillRandom(FSeal.Salt);
    const std::span<uint8_t> key = FKey.Resize(HistoryKeySize);
    if (key.empty() || !DerivePasswordKey(password, FSeal.Salt, FSeal.Cost, key)) {
        FKey.Wipe();
        return false;
    }
    return true;
}

bool TPasswordHistoryFile::WriteSealed(const QStringList& history) {
    QByteArray text = TextContent(history);
    const QByteArray sealed = SealHistory(text, FKey.Bytes(), FSeal);
    WipeText(text);
    return EnsureSettingsFolder() && WritePrivateFile(FilePath(PasswordHistoryName), sealed);
}

bool TPasswordHistoryFile::Save(const QStringList& history, bool gateOn) {
    if (!FLoaded || !FWritable) {
        return false;
    }
    if (gateOn && FLogin) {
        return HasKey() && WriteSealed(history);
    }
    // The gate is off, or was turned on in this session and has no password
    // to seal with before the next start.
    QByteArray text = TextContent(history);
    const bool written =
        EnsureSettingsFolder() && WritePrivateFile(FilePath(PasswordHistoryName), text);
    WipeText(text);
    return written;
}

void TPasswordHistoryFile::Wipe() {
    FKey.Wipe();
    FSeal = {};
    FLoaded = false;
    FLogin = false;
}

}  // namespace murk
