#include <gtest/gtest.h>

#include <optional>

#include "CodecChoice.h"
#include "CodecTestUtil.h"
#include "MemoryStream.h"
#include "PassCodec.h"
#include "TestFiles.h"
#include "UltraCodec.h"

using namespace murk;
using murktest::PatternPicture;
using murktest::TBytes;

namespace {

class UltraCodecTest : public testing::Test {
protected:
    std::string Path() const { return Dir.File("picture.jpg"); }

    static murktest::TRun Run(const std::string& path, bool encode, const std::string& password,
                              int32_t mode) {
        return murktest::RunOnFile<TUltraCodec>(path, encode, password, mode);
    }

    murktest::TTempDir Dir;
};

TBytes WithoutEndMarker(TBytes picture) {
    picture.back() = 0x00;
    return picture;
}

TBytes Shielded(const TBytes& picture, const std::string& password, int32_t mode) {
    const TMemoryStream source(picture);
    TOutputStream dest;
    EXPECT_TRUE(PassEncrypt(source, dest, password, mode));
    return dest.ToBytes();
}

TBytes WithHeadLength(uint32_t headLength, const TBytes& rest) {
    TBytes bytes(8);
    PutUInt32LE(bytes.data(), kUltraMagic);
    PutUInt32LE(bytes.data() + 4, ~headLength);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

}  // namespace

TEST_F(UltraCodecTest, ShieldsAndRestoresKeepingTheTimeStamp) {
    struct TCase {
        const char* name;
        TBytes picture;
        int32_t mode;
        TMurkState restored;
    };
    const TCase cases[] = {
        {"ExactlyOneKiB", murktest::SyntheticJpeg(1024, 1), 1, msJpeg},
        {"ExactlyTwoKiB", murktest::SyntheticJpeg(2048, 2), 2, msJpeg},
        {"ExactlyThreeKiB", murktest::SyntheticJpeg(3072, 3), 3, msJpeg},
        {"ExactlyFourKiB", murktest::SyntheticJpeg(4096, 4), 4, msJpeg},
        {"RealJpeg", murktest::MakeJpeg(320, 240), 4, msJpeg},
        {"SixMiB", murktest::SyntheticJpeg(6 << 20, 5), 4, msJpeg},
        {"NoEndMarker", WithoutEndMarker(murktest::SyntheticJpeg(5000, 6)), 2, msJpgPlus},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const murktest::TWatchedFile file(Path(), c.picture);
        const std::string& path = file.Path();

        const murktest::TRun shield = Run(path, true, "pass", c.mode);
        EXPECT_EQ(shield.Result, 1);
        EXPECT_EQ(shield.Reason, TRefusal::None);
        EXPECT_EQ(murktest::ReadBytes(path), Shielded(c.picture, "pass", c.mode));
        EXPECT_EQ(LastState, msUltra);
        EXPECT_EQ(LastSize, int64_t(c.picture.size() + 8));
        file.ExpectTimeKept();

        // The restoring caller passes mode 1; the head length comes from the file.
        const murktest::TRun restore = Run(path, false, "pass", 1);
        EXPECT_EQ(restore.Result, 1);
        EXPECT_EQ(LastState, c.restored);
        EXPECT_EQ(LastSize, int64_t(c.picture.size()));
        file.ExpectUntouched();
    }
}

// The codec writes exactly the container (ShieldsAndRestoresKeepingTheTimeStamp);
// the pattern picture's head is no JPEG head, so the codec itself refuses it.
TEST_F(UltraCodecTest, ShieldedFileMatchesIndependentModel) {
    EXPECT_EQ(murktest::Sha256Hex(Shielded(PatternPicture(1030), "abc", 1)),
              "b44ea9b2988b8d59c3ef0336495768a7725471976a07ca0d91497d72ca1e1ac5");
}

TEST_F(UltraCodecTest, PictureShorterThanTheModeHeadIsShieldedOnlyBelowIt) {
    for (int32_t mode = 2; mode <= kUltraMaxMode; ++mode) {
        SCOPED_TRACE(mode);
        const murktest::TWatchedFile file(Path(), murktest::SyntheticJpeg(size_t(mode) * 1024 - 1));
        EXPECT_EQ(Run(file.Path(), true, "pass", mode).Reason, TRefusal::TooShort);
        file.ExpectUntouched();
        EXPECT_EQ(Run(file.Path(), true, "pass", mode - 1).Result, 1);
        EXPECT_EQ(murktest::ReadBytes(file.Path()).size(), file.Bytes().size() + 8);
    }
}

TEST_F(UltraCodecTest, RefusalsLeaveFileAndTimeStampUntouched) {
    const TBytes picture = murktest::SyntheticJpeg(9000);
    const TBytes ultra = Shielded(picture, "Secret", 4);
    const TBytes rest(picture.begin(), picture.begin() + 100);
    TBytes normal = ultra;
    normal[3] = 0xCE;
    struct TCase {
        const char* name;
        TBytes bytes;
        bool encode;
        std::string password;
        int32_t mode;
        TRefusal reason;
        // The classification of the input, published even on a refusal.
        std::optional<TMurkState> published;
    };
    const TCase cases[] = {
        {"ShieldEmptyPassword", picture, true, "", 1, TRefusal::EmptyPassword, msJpeg},
        {"ShieldModeZero", picture, true, "Secret", 0, TRefusal::UnsupportedMode, msJpeg},
        {"ShieldModeFive", picture, true, "Secret", 5, TRefusal::UnsupportedMode, msJpeg},
        {"ShieldModeNegative", picture, true, "Secret", -1, TRefusal::UnsupportedMode, msJpeg},
        {"ShieldModeEighty", picture, true, "Secret", 80, TRefusal::UnsupportedMode, msJpeg},
        {"ShieldTooShort", murktest::SyntheticJpeg(1023), true, "Secret", 1, TRefusal::TooShort,
         msJpeg},
        {"ShieldUltraFile", ultra, true, "Secret", 1, TRefusal::NotJpeg, msUltra},
        {"ShieldEmptyFile", {}, true, "Secret", 1, TRefusal::Empty, std::nullopt},
        {"RestoreWrongPassword", ultra, false, "Secreu", 1, TRefusal::WrongPassword, msUltra},
        {"RestoreOtherCase", ultra, false, "secret", 1, TRefusal::WrongPassword, msUltra},
        {"RestoreEmptyPassword", ultra, false, "", 1, TRefusal::EmptyPassword, msUltra},
        {"RestoreHeadLengthZero", WithHeadLength(0, picture), false, "Secret", 1,
         TRefusal::WrongFormat, msUltra},
        {"RestoreHeadLengthNegative", WithHeadLength(0x80000000, picture), false, "Secret", 1,
         TRefusal::WrongFormat, msUltra},
        {"RestoreHeadLengthAboveBuffer", WithHeadLength(81921, TBytes(90000, 0x11)), false,
         "Secret", 1, TRefusal::WrongFormat, msUltra},
        {"RestoreCutInsideHead", TBytes(ultra.begin(), ultra.begin() + 8 + 4000), false, "Secret",
         1, TRefusal::TooShort, msUltra},
        {"RestoreHeaderCut", TBytes(ultra.begin(), ultra.begin() + 6), false, "Secret", 1,
         TRefusal::TooShort, msOther},
        {"RestoreOtherFormat", normal, false, "Secret", 1, TRefusal::WrongFormat, msNormal},
        {"RestorePlainJpeg", picture, false, "Secret", 1, TRefusal::WrongFormat, msJpeg},
        {"RestoreHeadLongerThanFile", WithHeadLength(4096, rest), false, "Secret", 1,
         TRefusal::TooShort, msUltra},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const murktest::TWatchedFile file(Path(), c.bytes);
        LastState = -1;
        const murktest::TRun run = Run(file.Path(), c.encode, c.password, c.mode);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, c.reason);
        file.ExpectUntouched();
        if (c.published) {
            EXPECT_EQ(LastState, *c.published);
        }
    }
}

TEST_F(UltraCodecTest, DispatcherShieldsBySelectionAndRestoresByFormatFound) {
    const murktest::TWatchedFile file(Path(), murktest::MakeJpeg(320, 240));
    const std::string& path = file.Path();
    const TShieldSelection ultra{.PasswordMode = true, .ShieldKind = 2, .UltraEnabled = true};

    TMemoryStream stream;
    stream.LoadFromFile(path);
    EXPECT_EQ(DispatchCodec(stream, path, true, "pw", 3, ultra).Result, 1);
    EXPECT_EQ(TMurkCheck().CheckFile(path), msUltra);

    // The selection names Extra; the file's own format decides the restore.
    stream.LoadFromFile(path);
    EXPECT_EQ(DispatchCodec(stream, path, false, "pw", 1, TShieldSelection{}).Result, 1);
    file.ExpectUntouched();
}
