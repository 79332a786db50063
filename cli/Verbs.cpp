#include "Verbs.h"

#include <ostream>
#include <set>

#include "CodecChoice.h"
#include "FileSystem.h"
#include "ImageFile.h"
#include "MemoryStream.h"
#include "PasswordSource.h"
#include "murkcheck.h"

namespace murk::cli {

namespace {

bool IsPicturePath(const std::string& path) {
    return IsImageExtension(LowerExtension(path), false, {});
}

bool NeedsPassword(TMurkState state) {
    return state == msExtra || state == msUltra || state == msJpz;
}

TShieldSelection SelectionFor(TFormat format) {
    TShieldSelection selection;
    switch (format) {
        case TFormat::Normal:
            selection.PasswordMode = false;
            break;
        case TFormat::Extra:
            selection.ShieldKind = 1;
            break;
        case TFormat::Ultra:
            selection.ShieldKind = 2;
            selection.UltraEnabled = true;
            break;
    }
    return selection;
}

// Shields or restores every picture among the paths, one line each.
int ProcessPaths(const TOptions& options, bool encode, std::ostream& out, std::ostream& err) {
    TPasswordSource password(options.PasswordFile, options.PasswordStdin);
    const TShieldSelection selection = SelectionFor(options.Format);
    const int mode = encode ? options.Mode : 1;
    int status = 0;
    std::set<std::string> tidiedFolders;
    try {
        if (encode && options.Format != TFormat::Normal) {
            password.Get();
        }
        for (const std::string& path : options.Paths) {
            if (!IsPicturePath(path)) {
                out << "skipped " << path << "\n";
                continue;
            }
            if (const std::string folder = DirName(path); tidiedFolders.insert(folder).second) {
                RemoveStaleTemporaries(folder);
            }
            try {
                TMemoryStream stream;
                stream.LoadFromFile(path);
                const TMurkState state = TMurkCheck().CheckStream(stream);
                const bool withPassword =
                    encode ? options.Format != TFormat::Normal : NeedsPassword(state);
                const TCodecOutcome outcome = DispatchCodec(
                    stream, path, encode, withPassword ? password.Get() : "", mode, selection);
                if (outcome.Result == 1) {
                    out << (encode ? "shielded " : "restored ") << path << "\n";
                    continue;
                }
                out << "refused " << path << ": " << RefusalText(outcome.Reason);
                if (!outcome.ErrorText.empty()) {
                    out << " (" << outcome.ErrorText << ")";
                }
                out << "\n";
            } catch (const FileError& error) {
                out << "failed " << path << ": " << error.what() << "\n";
            }
            status = 1;
        }
    } catch (const PasswordError& error) {
        out.flush();
        err << "murkwell-cli: " << error.what() << "\n";
        return 2;
    }
    return status;
}

}  // namespace

int RunCheck(const TOptions& options, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& path : options.Paths) {
        if (!IsPicturePath(path)) {
            err << "skipped " << path << "\n";
            continue;
        }
        const auto head = ReadFileHead(path);
        if (!head) {
            err << "failed " << path << ": the file cannot be opened\n";
            status = 1;
            continue;
        }
        out << '[' << StateText(head->State()) << "]\t" << head->Size << '\t' << path << '\n';
    }
    return status;
}

int RunShield(const TOptions& options, std::ostream& out, std::ostream& err) {
    return ProcessPaths(options, true, out, err);
}

int RunRestore(const TOptions& options, std::ostream& out, std::ostream& err) {
    return ProcessPaths(options, false, out, err);
}

}  // namespace murk::cli
