#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "CodecTestUtil.h"
#include "ExtraCodec.h"
#include "JpzCodec.h"
#include "JpzLibrary.h"
#include "NormalCodec.h"
#include "UltraCodec.h"
#include "Verify.h"

using namespace murk;
using namespace murktest;

namespace {

const std::string kPassword = "right password";

struct TFileState {
    TBytes Bytes;
    struct stat Stat {};
};

// Reads without moving the access time itself (the test runs as the
// file's owner), so that a read by VerifyFile would show.
TFileState StateOf(const std::string& path) {
    TFileState state;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME);
    EXPECT_GE(fd, 0);
    ::fstat(fd, &state.Stat);
    state.Bytes.resize(size_t(state.Stat.st_size));
    EXPECT_EQ(::read(fd, state.Bytes.data(), state.Bytes.size()), ssize_t(state.Bytes.size()));
    ::close(fd);
    return state;
}

void ExpectSameState(const TFileState& a, const TFileState& b) {
    EXPECT_EQ(a.Bytes, b.Bytes);
    EXPECT_TRUE(SameTime(a.Stat.st_mtim, b.Stat.st_mtim));
    EXPECT_TRUE(SameTime(a.Stat.st_atim, b.Stat.st_atim));
    EXPECT_TRUE(SameTime(a.Stat.st_ctim, b.Stat.st_ctim));
}

std::set<std::string> Entries(const std::string& folder) {
    const auto names = FolderEntries(folder);
    return {names.begin(), names.end()};
}

class VerifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("MURKWELL_JPZ", JPZ_LIBRARY_PATH, 1);
        ASSERT_TRUE(TJpzLibrary::Instance().Load());
    }
    void TearDown() override {
        TJpzLibrary::Instance().Release();
        ::unsetenv("MURKWELL_JPZ");
    }
    TTempDir dir;
};

}  // namespace

// Each format verifies with the right password, and not with a wrong one;
// the file, its time stamps (access time included) and its folder stay as
// they were.
TEST_F(VerifyTest, AnswersEveryFormatWithoutTouchingTheFile) {
    const TBytes picture = MakeJpeg(320, 240);
    const struct {
        const char* name;
        TMurkState format;
        TRun (*shield)(const std::string&);
    } cases[] = {
        {"Normal", msNormal,
         [](const std::string& p) { return RunOnFile<TNormalCodec>(p, true, "", 2); }},
        {"Extra", msExtra,
         [](const std::string& p) { return RunOnFile<TExtraCodec>(p, true, kPassword, 2); }},
        {"Ultra", msUltra,
         [](const std::string& p) { return RunOnFile<TUltraCodec>(p, true, kPassword, 3); }},
        {"Jpz", msJpz,
         [](const std::string& p) { return RunOnFile<TJpzCodec>(p, true, kPassword, 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".jpg");
        WriteBytes(path, picture);
        ASSERT_EQ(c.shield(path).Result, 1);
        SetFileMtime(path, SampleMtime());
        const TFileState before = StateOf(path);
        const auto entries = Entries(dir.Path());

        const TVerifyResult right = VerifyFile(path, kPassword);
        EXPECT_EQ(right.Format, c.format);
        EXPECT_TRUE(right.Ok) << RefusalText(right.Reason);
        EXPECT_EQ(right.Reason, TRefusal::None);
        if (c.format != msNormal) {
            const TVerifyResult wrong = VerifyFile(path, "wrong password");
            EXPECT_EQ(wrong.Format, c.format);
            EXPECT_FALSE(wrong.Ok);
            EXPECT_EQ(wrong.Reason, TRefusal::WrongPassword);
        }
        ExpectSameState(StateOf(path), before);
        EXPECT_EQ(Entries(dir.Path()), entries);
    }
}

TEST_F(VerifyTest, DamageAndOtherFilesAreAnswered) {
    const TBytes picture = MakeJpeg(120, 80);
    const std::string normal = dir.File("normal.jpg");
    WriteBytes(normal, picture);
    ASSERT_EQ(RunOnFile<TNormalCodec>(normal, true, "", 1).Result, 1);
    TBytes damaged = ReadBytes(normal);
    damaged[4 + 2] ^= 0x55;  // the complemented APP0 marker
    WriteBytes(normal, damaged);
    EXPECT_EQ(VerifyFile(normal, "").Reason, TRefusal::WrongPassword);

    const std::string jpz = dir.File("jpz.jpg");
    WriteBytes(jpz, picture);
    ASSERT_EQ(RunOnFile<TJpzCodec>(jpz, true, kPassword, 1).Result, 1);
    TBytes sealed = ReadBytes(jpz);
    sealed[sealed.size() / 2] ^= 1;
    WriteBytes(jpz, sealed);
    EXPECT_EQ(VerifyFile(jpz, kPassword).Reason, TRefusal::WrongPassword);
    EXPECT_EQ(VerifyFile(jpz, "short").Reason, TRefusal::PasswordTooShort);

    const std::string plain = dir.File("plain.jpg");
    WriteBytes(plain, picture);
    const TVerifyResult result = VerifyFile(plain, kPassword);
    EXPECT_EQ(result.Format, msJpeg);
    EXPECT_EQ(result.Reason, TRefusal::NotShielded);
    EXPECT_EQ(VerifyFile(normal, std::string("a\0b", 3)).Reason, TRefusal::PasswordHasNul);
    EXPECT_THROW(VerifyFile(dir.File("missing.jpg"), kPassword), FileOpenError);

    TJpzLibrary::Instance().Release();
    ::setenv("MURKWELL_JPZ", "none", 1);
    TJpzLibrary::Instance().Load();
    EXPECT_EQ(VerifyFile(jpz, kPassword).Reason, TRefusal::JpzUnavailable);
    EXPECT_EQ(Entries(dir.Path()), (std::set<std::string>{"jpz.jpg", "normal.jpg", "plain.jpg"}));
}
