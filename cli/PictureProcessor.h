#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "CodecChoice.h"
#include "JpzUse.h"
#include "Options.h"

namespace murk::cli {

class TPasswordSource;
class TRunOutput;

// Shields or restores one picture at a time, with one line for each.
class TPictureProcessor {
public:
    // Without havePassword, the pictures that need a password are refused.
    TPictureProcessor(const TOptions& options, bool encode, TRunOutput& output,
                      TPasswordSource& password, bool havePassword);

    // Returns the picture's size, for the progress line.
    int64_t Process(const std::string& path);

private:
    void Failed(const std::string& path, const std::string& reason);
    void Refused(const std::string& path, const std::string& reason);
    void Process(const std::string& path, TMemoryStream& stream, TMurkState state);

    const TOptions& FOptions;
    const bool FEncode;
    TRunOutput& FOutput;
    TPasswordSource& FPassword;
    const bool FHavePassword;
    TJpzUse FJpz;
    TShieldSelection FSelection;
    std::set<std::string> FTidiedFolders;
};

}  // namespace murk::cli
