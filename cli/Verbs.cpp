#include "Verbs.h"

#include <functional>
#include <ostream>

#include "Escape.h"
#include "FileErrors.h"
#include "JpzUse.h"
#include "PasswordSource.h"
#include "PathList.h"
#include "PictureProcessor.h"
#include "PictureStates.h"
#include "ProgressLine.h"
#include "RunOutput.h"
#include "Signals.h"
#include "Verification.h"
#include "murkcheck.h"

namespace murk::cli {

namespace {

using TKind = TPathEntry::TKind;

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
        if (entry.Kind == TKind::Picture &&
            NeedsPassword(QuietHead(entry.Path).value_or(TFileHead{}).State())) {
            return true;
        }
    }
    return false;
}

void CheckLine(TRunOutput& output, bool json, const std::string& path, const TFileHead& head) {
    if (json) {
        output.Report().Line(JsonLine(path, head.State(), head.Size, "ok"));
    } else {
        output.Report().Line('[' + std::string(StateText(head.State())) + "]\t" +
                             std::to_string(head.Size) + '\t' + EscapeForTerminal(path));
    }
}

// A line for an entry that is not worked on.
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

// needed is asked last, as it may read the head of every picture.
TPasswordStart StartPassword(TPasswordSource& password, const std::function<bool()>& needed,
                             bool shieldRules, TFormat format, std::ostream& err) {
    TPasswordStart start;
    try {
        // A source named on the command line is read, and its errors shown,
        // even when no file turns out to need it.
        if (!password.Named() && ((!shieldRules && !password.Available()) || !needed())) {
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
        start.Status = StatusForSignal(interrupted.Signal);
    }
    return start;
}

int ProcessPaths(const TOptions& options, bool encode, std::ostream& err) {
    const std::vector<TPathEntry> entries = ExpandAll(options);
    TPasswordSource password(options.PasswordFile, options.PasswordStdin, encode);
    const auto needed = [&] {
        return encode ? options.Format != TFormat::Normal : AnyNeedsPassword(entries);
    };
    const TPasswordStart start = StartPassword(password, needed, encode, options.Format, err);
    if (start.Status) {
        return *start.Status;
    }
    TRunOutput output(err);
    TPictureProcessor processor(options, encode, output, password, start.Have);
    // Made after the prompt, so its clock does not count the typing.
    TProgressLine progress(err, entries.size());
    size_t done = 0;
    for (const TPathEntry& entry : entries) {
        // A signal during the folder walk stops the run before its first file.
        if (StopSignal() != 0) {
            break;
        }
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
        if (StopSignal() != 0) {
            break;
        }
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
            if (StopSignal() != 0) {
                break;
            }
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
    const TPasswordStart start = StartPassword(
        password, [&] { return AnyNeedsPassword(entries); }, false, options.Format, err);
    if (start.Status) {
        return *start.Status;
    }
    TRunOutput output(err);
    const TJpzUse jpz(true);
    size_t done = 0;
    for (const TPathEntry& entry : entries) {
        if (StopSignal() != 0) {
            break;
        }
        if (entry.Kind != TKind::Picture) {
            EntryLine(output, options.Json, entry);
        } else {
            const TVerification result =
                VerifyPicture(entry.Path, start.Have ? &password : nullptr);
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
