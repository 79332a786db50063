#include "Verbs.h"

#include <ostream>
#include <set>

#include "CodecChoice.h"
#include "FileSystem.h"
#include "ImageFile.h"
#include "JpzLibrary.h"
#include "MemoryStream.h"
#include "PasswordSource.h"
#include "PathList.h"
#include "ProgressLine.h"
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
        case TFormat::Jpz:
            selection.ShieldKind = 3;
            break;
    }
    return selection;
}

// Holds the Jpz library for one command.
class TJpzUse {
public:
    explicit TJpzUse(bool wanted) : FAvailable(wanted && TJpzLibrary::Instance().Load()) {}
    ~TJpzUse() { TJpzLibrary::Instance().Release(); }
    TJpzUse(const TJpzUse&) = delete;
    TJpzUse& operator=(const TJpzUse&) = delete;
    bool Available() const { return FAvailable; }

private:
    bool FAvailable;
};

class TProcessor {
public:
    TProcessor(const TOptions& options, bool encode, std::ostream& out)
        : FOptions(options),
          FEncode(encode),
          FOut(out),
          FPassword(options.PasswordFile, options.PasswordStdin),
          FJpz(!encode || options.Format == TFormat::Jpz),
          FSelection(SelectionFor(options.Format)) {
        FSelection.JpzAvailable = FJpz.Available();
        if (encode && options.Format != TFormat::Normal) {
            FPassword.Get();
        }
    }

    // Returns whether the file was rewritten; prints its line.
    bool Process(const std::string& path, int64_t& size) {
        if (const std::string folder = DirName(path); FTidiedFolders.insert(folder).second) {
            RemoveStaleTemporaries(folder);
        }
        try {
            TMemoryStream stream;
            stream.LoadFromFile(path);
            size = int64_t(stream.Size());
            const TMurkState state = TMurkCheck().CheckStream(stream);
            const bool withPassword =
                FEncode ? FOptions.Format != TFormat::Normal : NeedsPassword(state);
            const TCodecOutcome outcome =
                DispatchCodec(stream, path, FEncode, withPassword ? FPassword.Get() : "",
                              FEncode ? FOptions.Mode : 1, FSelection);
            if (outcome.Result == 1) {
                FOut << (FEncode ? "shielded " : "restored ") << path << "\n";
                return true;
            }
            FOut << "refused " << path << ": " << RefusalText(outcome.Reason);
            if (!outcome.ErrorText.empty()) {
                FOut << " (" << outcome.ErrorText << ")";
            }
            FOut << "\n";
        } catch (const FileError& error) {
            FOut << "failed " << path << ": " << error.what() << "\n";
        }
        return false;
    }

private:
    const TOptions& FOptions;
    const bool FEncode;
    std::ostream& FOut;
    TPasswordSource FPassword;
    TJpzUse FJpz;
    TShieldSelection FSelection;
    std::set<std::string> FTidiedFolders;
};

// Shields or restores every picture among the paths, one line each.
int ProcessPaths(const TOptions& options, bool encode, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> paths = ExpandPaths(options.Paths, options.Recursive);
    int status = 0;
    try {
        TProcessor processor(options, encode, out);
        TProgressLine progress(err, paths.size());
        for (const std::string& path : paths) {
            progress.Clear();
            int64_t size = 0;
            if (!IsPicturePath(path)) {
                out << "skipped " << path << "\n";
            } else if (!processor.Process(path, size)) {
                status = 1;
            }
            out.flush();
            progress.FileDone(size);
        }
    } catch (const PasswordError& error) {
        out.flush();
        err << "murkwell-cli: " << error.what() << "\n";
        return 2;
    }
    return status;
}

void PrintState(const std::string& path, const TFileHead& head, std::ostream& out) {
    out << '[' << StateText(head.State()) << "]\t" << head.Size << '\t' << path << '\n';
}

// Prints one path's state; false when a picture cannot be read.
bool CheckPath(const std::string& path, std::ostream& out, std::ostream& err) {
    if (!IsPicturePath(path)) {
        err << "skipped " << path << "\n";
        return true;
    }
    const auto head = ReadFileHead(path);
    if (!head) {
        err << "failed " << path << ": the file cannot be opened\n";
        return false;
    }
    PrintState(path, *head, out);
    return true;
}

}  // namespace

int RunCheck(const TOptions& options, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& argument : options.Paths) {
        // A picture is classified at once: asking first whether the path is
        // a folder would cost one more system call per file.
        if (IsPicturePath(argument)) {
            if (const auto head = ReadFileHead(argument)) {
                PrintState(argument, *head, out);
                continue;
            }
        }
        for (const std::string& path : ExpandPaths({argument}, options.Recursive)) {
            if (!CheckPath(path, out, err)) {
                status = 1;
            }
        }
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
