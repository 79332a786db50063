#include "PictureProcessor.h"

#include <new>

#include "Escape.h"
#include "FileErrors.h"
#include "FileSystem.h"
#include "MemoryStream.h"
#include "PasswordSource.h"
#include "PictureStates.h"
#include "RunOutput.h"

namespace murk::cli {

namespace {

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

}  // namespace

TPictureProcessor::TPictureProcessor(const TOptions& options, bool encode, TRunOutput& output,
                                     TPasswordSource& password, bool havePassword)
    : FOptions(options),
      FEncode(encode),
      FOutput(output),
      FPassword(password),
      FHavePassword(havePassword),
      FJpz(!encode || options.Format == TFormat::Jpz),
      FSelection(SelectionFor(options.Format)) {
    FSelection.JpzAvailable = FJpz.Available();
}

int64_t TPictureProcessor::Process(const std::string& path) {
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
        Failed(path, FileErrorReason(error));
    } catch (const std::bad_alloc&) {
        Failed(path, RefusalText(TRefusal::TooLarge));
    } catch (const std::exception& error) {
        Failed(path, error.what());
    }
    return 0;
}

void TPictureProcessor::Failed(const std::string& path, const std::string& reason) {
    FOutput.Line("failed", path, reason);
    FOutput.MarkFailed();
}

void TPictureProcessor::Refused(const std::string& path, const std::string& reason) {
    FOutput.Line("refused", path, reason);
    FOutput.MarkFailed();
}

void TPictureProcessor::Process(const std::string& path, TMemoryStream& stream, TMurkState state) {
    if (FEncode && IsShielded(state)) {
        return FOutput.Line("skipped", path, "already shielded (" + StateName(state) + ")");
    }
    if (FEncode && state == msOther) {
        return FOutput.Line("skipped", path, "not a JPEG picture");
    }
    if (!FEncode && !IsShielded(state)) {
        return FOutput.Line("skipped", path, "not shielded");
    }
    const bool withPassword = FEncode ? FOptions.Format != TFormat::Normal : NeedsPassword(state);
    if (withPassword && !FHavePassword) {
        return Refused(path, "a password is needed");
    }
    const std::string into = state == msJpz ? JpzPicturePath(path) : path;
    const std::string password = withPassword ? FPassword.Get() : std::string();
    const TCodecOutcome outcome =
        DispatchCodec(stream, path, FEncode, password, FEncode ? FOptions.Mode : 1, FSelection,
                      !FOptions.NoVerify);
    if (outcome.Result == 1 && !outcome.NotKept.empty()) {
        // Done, but the desktop's tags or the owner did not follow.
        std::string lost;
        for (const std::string& what : outcome.NotKept) {
            lost += (lost.empty() ? "" : "; ") + what;
        }
        FOutput.MarkFailed();
        return FOutput.Line(FEncode ? "shielded" : "restored", path,
                            "the new file could not be given " + lost);
    }
    if (outcome.Result == 1) {
        if (FEncode) {
            return FOutput.Line("shielded", path);
        }
        if (into != path) {
            return FOutput.Report().Line("restored " + EscapeForTerminal(path) + " into " +
                                         EscapeForTerminal(into) + " (" +
                                         EscapeForTerminal(BaseName(path)) + " stays shielded)");
        }
        return FOutput.Line("restored", path);
    }
    if (outcome.Reason == TRefusal::PictureExists) {
        return Refused(path, into + " is in the way");
    }
    Refused(path, RefusalMessage(outcome));
}

}  // namespace murk::cli
