#include "Verbs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <ostream>
#include <set>

#include "CodecChoice.h"
#include "Escape.h"
#include "FileSystem.h"
#include "ImageFile.h"
#include "JpzLibrary.h"
#include "MemoryStream.h"
#include "PasswordSource.h"
#include "PathList.h"
#include "ProgressLine.h"
#include "RunOutput.h"
#include "Signals.h"
#include "VerifyFile.h"
#include "murkcheck.h"

namespace murk::cli {

namespace {

using TKind = TPathEntry::TKind;

bool IsPictureName(const std::string& path) {
    return IsImageExtension(LowerExtension(path), false, {});
}

bool IsShielded(TMurkState state) {
    return state == msNormal || state == msExtra || state == msUltra || state == msJpz;
}

bool NeedsPassword(TMurkState state) {
    return state == msExtra || state == msUltra || state == msJpz;
}

// The system's words for why a picture cannot be opened for reading.
std::string OpenError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular ? "cannot be read" : "not a regular file";
}

// The file layer's sentence ("Cannot write P: No space left on device.")
// without the path, which the line already shows.
std::string ReasonOf(const FileError& error, const std::string& path) {
    std::string text = error.what();
    if (const size_t at = text.find(" " + path + ": "); at != std::string::npos) {
        const std::string verb = text.substr(0, at);
        text = (verb == "Cannot open" ? std::string() : verb + ": ") +
               text.substr(at + path.size() + 3);
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && text.find(' ') != 0) {
        // "Cannot write: ..." reads as part of the line.
        if (text.starts_with("Cannot ")) {
            text[0] = 'c';
        }
    }
    return text;
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

// Every entry of the paths given, in order.
std::vector<TPathEntry> ExpandAll(const TOptions& options) {
    std::vector<TPathEntry> entries;
    for (const std::string& path : options.Paths) {
        auto some = ExpandPath(path, options.Recursive);
        entries.insert(entries.end(), std::make_move_iterator(some.begin()),
                       std::make_move_iterator(some.end()));
    }
    return entries;
}

// Whether any picture among the entries needs a password to be restored.
bool AnyNeedsPassword(const std::vector<TPathEntry>& entries) {
    for (const auto& entry : entries) {
        if (entry.Kind == TKind::Picture) {
            const auto head = ReadFileHead(entry.Path);
            if (head && NeedsPassword(head->State())) {
                return true;
            }
        }
    }
    return false;
}

// The picture a Jpz restore writes: photo.jpeg gives photo.jpg beside it.
std::string JpzPicturePath(const std::string& path) {
    if (LowerExtension(path) == ".jpg") {
        return path;
    }
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + ".jpg";
}

// Shields or restores one picture at a time, one line each.
class TProcessor {
public:
    TProcessor(const TOptions& options, bool encode, TRunOutput& output, TPasswordSource& password,
               bool havePassword)
        : FOptions(options),
          FEncode(encode),
          FOutput(output),
          FPassword(password),
          FHavePassword(havePassword),
          FJpz(!encode || options.Format == TFormat::Jpz),
          FSelection(SelectionFor(options.Format)) {
        FSelection.JpzAvailable = FJpz.Available();
    }

    // The picture's size, for the progress line.
    int64_t Process(const std::string& path) {
        try {
            if (const std::string folder = DirName(path); FTidiedFolders.insert(folder).second) {
                RemoveStaleTemporaries(folder);
            }
            TMemoryStream stream;
            stream.LoadFromFile(path);
            const TMurkState state = TMurkCheck().CheckStream(stream);
            Process(path, stream, state);
            return int64_t(stream.Size());
        } catch (const FileError& error) {
            Failed(path, ReasonOf(error, path));
        } catch (const std::bad_alloc&) {
            Failed(path, "not enough memory to hold the file");
        } catch (const std::exception& error) {
            Failed(path, error.what());
        }
        return 0;
    }

private:
    void Failed(const std::string& path, const std::string& reason) {
        FOutput.Line("failed", path, reason);
        FOutput.MarkFailed();
    }
    void Refused(const std::string& path, const std::string& reason) {
        FOutput.Line("refused", path, reason);
        FOutput.MarkFailed();
    }

    void Process(const std::string& path, TMemoryStream& stream, TMurkState state) {
        if (FEncode && IsShielded(state)) {
            return FOutput.Line("skipped", path, "already shielded (" + StateName(state) + ")");
        }
        if (FEncode && state == msOther) {
            return FOutput.Line("skipped", path, "not a JPEG picture");
        }
        if (!FEncode && !IsShielded(state)) {
            return FOutput.Line("skipped", path, "not shielded");
        }
        const bool withPassword =
            FEncode ? FOptions.Format != TFormat::Normal : NeedsPassword(state);
        if (withPassword && !FHavePassword) {
            return Refused(path, "a password is needed");
        }
        const std::string into = state == msJpz ? JpzPicturePath(path) : path;
        const TCodecOutcome outcome =
            DispatchCodec(stream, path, FEncode, withPassword ? FPassword.Get() : "",
                          FEncode ? FOptions.Mode : 1, FSelection);
        if (outcome.Result == 1) {
            if (FEncode) {
                return FOutput.Line("shielded", path);
            }
            if (into != path) {
                return FOutput.Report().Line(
                    "restored " + EscapeForTerminal(path) + " into " + EscapeForTerminal(into) +
                    " (" + EscapeForTerminal(BaseName(path)) + " stays shielded)");
            }
            return FOutput.Line("restored", path);
        }
        if (outcome.Reason == TRefusal::PictureExists) {
            return Refused(path, into + " is in the way");
        }
        std::string reason = RefusalText(outcome.Reason);
        if (!outcome.ErrorText.empty()) {
            reason += " (" + outcome.ErrorText + ")";
        }
        Refused(path, reason);
    }

    const TOptions& FOptions;
    const bool FEncode;
    TRunOutput& FOutput;
    TPasswordSource& FPassword;
    const bool FHavePassword;
    TJpzUse FJpz;
    TShieldSelection FSelection;
    std::set<std::string> FTidiedFolders;
};

}  // namespace

namespace {

void CheckLine(TRunOutput& output, bool json, const std::string& path, const TFileHead& head) {
    if (json) {
        output.Report().Line(JsonLine(path, head.State(), head.Size, "ok"));
    } else {
        output.Report().Line('[' + std::string(StateText(head.State())) + "]\t" +
                             std::to_string(head.Size) + '\t' + EscapeForTerminal(path));
    }
}

// A line for an entry that is not worked on; false for a failure.
void EntryLine(TRunOutput& output, bool json, const TPathEntry& entry) {
    const bool failed = entry.Kind == TKind::Failed;
    const char* outcome = failed ? "failed" : "skipped";
    if (json) {
        output.Report().Line(
            JsonLine(entry.Path, std::nullopt, std::nullopt, outcome, entry.Reason));
    } else {
        output.Line(outcome, entry.Path, entry.Reason);
    }
    if (failed) {
        output.MarkFailed();
    }
}

void CheckPicture(TRunOutput& output, bool json, const std::string& path) {
    if (const auto head = ReadFileHead(path)) {
        return CheckLine(output, json, path, *head);
    }
    EntryLine(output, json, {TKind::Failed, path, OpenError(path)});
}

// The password a run uses, read before any file is touched; the run stops
// with status 2 when it cannot be had or breaks a rule.
struct TPasswordStart {
    bool Have = false;
    std::optional<int> Status;
};

TPasswordStart StartPassword(TPasswordSource& password, bool needed, bool shieldRules,
                             TFormat format, std::ostream& err) {
    TPasswordStart start;
    // A source named on the command line is read, and its errors shown,
    // even when no file turns out to need it.
    if (!needed && !password.Named()) {
        return start;
    }
    try {
        if (!shieldRules && !password.Available()) {
            return start;
        }
        const std::string& bytes = password.Get();
        if (shieldRules) {
            if (const auto rule = ShieldPasswordRule(format, bytes)) {
                err << "murkwell-cli: " << *rule << " Nothing was touched.\n";
                start.Status = 2;
                return start;
            }
        }
        start.Have = true;
    } catch (const PasswordError& error) {
        err << "murkwell-cli: " << error.what() << "\n";
        start.Status = 2;
    } catch (const TInterrupted& interrupted) {
        err << "murkwell-cli: stopped at the password prompt; nothing was touched.\n";
        start.Status = 128 + interrupted.Signal;
    }
    return start;
}

int ProcessPaths(const TOptions& options, bool encode, std::ostream& err) {
    const std::vector<TPathEntry> entries = ExpandAll(options);
    TPasswordSource password(options.PasswordFile, options.PasswordStdin, encode);
    const bool needed = encode ? options.Format != TFormat::Normal : AnyNeedsPassword(entries);
    const TPasswordStart start = StartPassword(password, needed, encode, options.Format, err);
    if (start.Status) {
        return *start.Status;
    }
    TRunOutput output(err);
    TProcessor processor(options, encode, output, password, start.Have);
    // Made after the prompt, so its clock does not count the typing.
    TProgressLine progress(err, entries.size());
    size_t done = 0;
    for (const TPathEntry& entry : entries) {
        progress.Clear();
        int64_t size = 0;
        if (entry.Kind == TKind::Picture) {
            size = processor.Process(entry.Path);
        } else {
            EntryLine(output, false, entry);
        }
        ++done;
        if (output.ShouldStop()) {
            break;
        }
        progress.FileDone(size);
    }
    progress.Clear();
    return output.Finish(done, entries.size());
}

}  // namespace

int RunCheck(const TOptions& options, std::ostream& err) {
    TRunOutput output(err);
    size_t done = 0;
    for (const std::string& argument : options.Paths) {
        // A picture is classified at once: asking first whether the path is
        // a folder would cost one more system call per file.
        if (IsPictureName(argument)) {
            if (const auto head = ReadFileHead(argument)) {
                CheckLine(output, options.Json, argument, *head);
                ++done;
                continue;
            }
        }
        for (const TPathEntry& entry : ExpandPath(argument, options.Recursive)) {
            if (entry.Kind == TKind::Picture) {
                CheckPicture(output, options.Json, entry.Path);
            } else {
                EntryLine(output, options.Json, entry);
            }
            ++done;
        }
        if (StopSignal() != 0) {
            break;
        }
    }
    return output.Finish(done, done);
}

int RunShield(const TOptions& options, std::ostream& err) {
    return ProcessPaths(options, true, err);
}

int RunRestore(const TOptions& options, std::ostream& err) {
    return ProcessPaths(options, false, err);
}

int RunVerify(const TOptions& options, std::ostream& err) {
    const std::vector<TPathEntry> entries = ExpandAll(options);
    TPasswordSource password(options.PasswordFile, options.PasswordStdin, false);
    const TPasswordStart start =
        StartPassword(password, AnyNeedsPassword(entries), false, options.Format, err);
    if (start.Status) {
        return *start.Status;
    }
    TRunOutput output(err);
    TJpzUse jpz(true);
    size_t done = 0;
    for (const TPathEntry& entry : entries) {
        if (entry.Kind != TKind::Picture) {
            EntryLine(output, options.Json, entry);
        } else {
            const TVerifyResult result =
                VerifyPicture(entry.Path, start.Have ? &password : nullptr, jpz.Available());
            if (result.Outcome != TVerifyOutcome::Ok && result.Outcome != TVerifyOutcome::Skipped) {
                output.MarkFailed();
            }
            if (options.Json) {
                output.Report().Line(JsonLine(entry.Path, result.State, result.Size,
                                              VerifyOutcomeName(result.Outcome), result.Reason));
            } else {
                output.Report().Line(VerifyLine(entry.Path, result));
            }
        }
        ++done;
        if (output.ShouldStop()) {
            break;
        }
    }
    return output.Finish(done, entries.size());
}

}  // namespace murk::cli
