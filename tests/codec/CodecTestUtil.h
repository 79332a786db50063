#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Codec.h"
#include "ExtraCodec.h"
#include "MemoryStream.h"
#include "OutputStream.h"
#include "TestFiles.h"

namespace murktest {

struct TRun {
    int Result = 0;
    murk::TRefusal Reason = murk::TRefusal::None;
};

// Loads the file and runs one codec object on it, as the processing run does.
template <typename TCodecClass>
TRun RunOnFile(const std::string& path, bool encode, const std::string& password = {},
               int mode = 1) {
    murk::TMemoryStream stream;
    stream.LoadFromFile(path);
    murk::TCodecOption option;
    option.Stream = &stream;
    option.FileName = path;
    option.Encode = encode;
    option.Password = password;
    option.Mode = mode;
    TCodecClass codec(option);
    TRun run;
    run.Result = codec.Execute();
    run.Reason = codec.Reason();
    return run;
}

// A file with a known time stamp and permission bits, and a check that
// nothing about it changed.
class TWatchedFile {
public:
    TWatchedFile(std::string path, TBytes bytes, mode_t mode = 0644)
        : FPath(std::move(path)), FBytes(std::move(bytes)), FMode(mode) {
        WriteBytes(FPath, FBytes);
        ::chmod(FPath.c_str(), FMode);
        SetFileMtime(FPath, SampleMtime());
    }
    const std::string& Path() const { return FPath; }
    const TBytes& Bytes() const { return FBytes; }

    void ExpectUntouched() const {
        EXPECT_EQ(ReadBytes(FPath), FBytes);
        EXPECT_EQ(FileMode(FPath), FMode);
        EXPECT_TRUE(SameTime(FileMtime(FPath), SampleMtime()));
    }
    void ExpectTimeKept() const {
        EXPECT_TRUE(SameTime(FileMtime(FPath), SampleMtime()));
        EXPECT_EQ(FileMode(FPath), FMode);
    }

private:
    std::string FPath;
    TBytes FBytes;
    mode_t FMode;
};

// A password one character away from password, the character replaced by
// one from lowest to '~', that Extra's checksum still accepts for this
// shielded file; empty when there is none.
inline std::string ChecksumPassingSlip(const TBytes& shielded, const std::string& password,
                                       char lowest = ' ') {
    for (size_t i = 0; i < password.size(); ++i) {
        for (int c = lowest; c < 0x7F; ++c) {
            std::string slip = password;
            slip[i] = char(c);
            if (slip == password) {
                continue;
            }
            murk::TMemoryStream content(shielded);
            murk::TOutputStream output;
            if (murk::TExtraCodec::Restore(content, slip, output) == murk::TRefusal::None) {
                return slip;
            }
        }
    }
    return {};
}

}  // namespace murktest
