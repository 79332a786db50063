#include <gtest/gtest.h>

#include "CodecTestUtil.h"
#include "NormalCodec.h"
#include "murkcheck.h"

using namespace murk;
using namespace murktest;

TEST(NormalCodec, RoundTripsEveryModeAndPublishesStateAndSize) {
    TTempDir dir;
    for (int mode = 1; mode <= 10; ++mode) {
        for (size_t n : {size_t(mode) * 1024, size_t(mode) * 1024 + 1, size_t(12345)}) {
            if (n < size_t(mode) * 1024) {
                continue;
            }
            SCOPED_TRACE("mode " + std::to_string(mode) + " size " + std::to_string(n));
            const TBytes plain = SyntheticJpeg(n, uint8_t(mode));
            TWatchedFile file(dir.File("a.jpg"), plain);
            ASSERT_EQ(RunOnFile<TNormalCodec>(file.Path(), true, "", mode).Result, 1);
            const TBytes shielded = ReadBytes(file.Path());
            const size_t header = mode == 1 ? 4 : 8;
            ASSERT_EQ(shielded.size(), n + header);
            EXPECT_EQ(LastState, msNormal);
            EXPECT_EQ(LastSize, int64_t(n + header));
            file.ExpectTimeKept();

            // Restoring takes the block from the file; the mode and the
            // password given play no part.
            ASSERT_EQ(RunOnFile<TNormalCodec>(file.Path(), false, "anything", 7).Result, 1);
            EXPECT_EQ(ReadBytes(file.Path()), plain);
            EXPECT_EQ(LastState, msJpeg);
            EXPECT_EQ(LastSize, int64_t(n));
            file.ExpectTimeKept();
        }
    }
}

TEST(NormalCodec, WritesTheDocumentedLayout) {
    TTempDir dir;
    const TBytes plain = SyntheticJpeg(5000);
    TWatchedFile one(dir.File("one.jpg"), plain);
    ASSERT_EQ(RunOnFile<TNormalCodec>(one.Path(), true, "", 1).Result, 1);
    const TBytes shortForm = ReadBytes(one.Path());
    EXPECT_EQ(Hex(TBytes(shortForm.begin(), shortForm.begin() + 6)), "8f988c960027");
    for (size_t i = 0; i < 1024; ++i) {
        ASSERT_EQ(shortForm[4 + i], uint8_t(~plain[i])) << i;
    }
    EXPECT_TRUE(std::equal(plain.begin() + 1024, plain.end(), shortForm.begin() + 1028));

    TWatchedFile three(dir.File("three.jpg"), plain);
    ASSERT_EQ(RunOnFile<TNormalCodec>(three.Path(), true, "", 3).Result, 1);
    const TBytes longForm = ReadBytes(three.Path());
    ASSERT_EQ(longForm.size(), 5008u);
    EXPECT_EQ(Hex(TBytes(longForm.begin(), longForm.begin() + 10)), "8f988ccefff3ffff0027");
    EXPECT_TRUE(std::equal(plain.begin() + 3072, plain.end(), longForm.begin() + 3080));
}

TEST(NormalCodec, LongFormIgnoresTheUpperLengthBytes) {
    TTempDir dir;
    const TBytes plain = SyntheticJpeg(4000);
    TWatchedFile file(dir.File("a.jpg"), plain);
    ASSERT_EQ(RunOnFile<TNormalCodec>(file.Path(), true, "", 2).Result, 1);
    TBytes shielded = ReadBytes(file.Path());
    shielded[6] = 0x12;
    shielded[7] = 0x34;
    WriteBytes(file.Path(), shielded);
    ASSERT_EQ(RunOnFile<TNormalCodec>(file.Path(), false).Result, 1);
    EXPECT_EQ(ReadBytes(file.Path()), plain);
}

TEST(NormalCodec, RefusalsLeaveTheFileUntouched) {
    TTempDir dir;
    TBytes shortLong = FromHex(
        "8f988cce"
        "fff7ffff");  // a 2048-byte block, file too short
    shortLong.resize(2050, 0x11);
    TBytes oddBlock = FromHex(
        "8f988cce"
        "fefbffff");  // block of 1025 bytes
    oddBlock.resize(3000, 0x11);
    TBytes zeroBlock = FromHex(
        "8f988cce"
        "ffffffff");
    zeroBlock.resize(3000, 0x11);
    TBytes shortShort = FromHex("8f988c96");  // 1024-byte block, 1026 bytes in all
    shortShort.resize(1026, 0x22);
    TBytes shielded = FromHex("8f988c96");
    shielded.resize(5000, 0x33);

    struct Case {
        const char* name;
        TBytes bytes;
        bool encode;
        int mode;
        TRefusal reason;
        mode_t permissions = 0644;
        const char* fileName = "a.jpg";
    };
    const Case cases[] = {
        {"ShortJpeg", SyntheticJpeg(1023), true, 1, TRefusal::TooShort},
        {"ShortForMode", SyntheticJpeg(3071), true, 3, TRefusal::TooShort},
        {"NotJpeg", TBytes(5000, 0x41), true, 1, TRefusal::NotJpeg},
        {"AlreadyShielded", shielded, true, 1, TRefusal::NotJpeg},
        {"ModeZero", SyntheticJpeg(5000), true, 0, TRefusal::UnsupportedMode},
        {"ModeTooLarge", SyntheticJpeg(70000), true, 64, TRefusal::UnsupportedMode},
        {"ReadOnly", SyntheticJpeg(5000), true, 1, TRefusal::ForbiddenAttribute, 0444},
        {"Hidden", SyntheticJpeg(5000), true, 1, TRefusal::ForbiddenAttribute, 0644, ".h.jpg"},
        {"Empty", {}, true, 1, TRefusal::Empty},
        {"RestorePlain", SyntheticJpeg(5000), false, 1, TRefusal::WrongFormat},
        {"RestoreCutLong", shortLong, false, 1, TRefusal::TooShort},
        {"RestoreCutShort", shortShort, false, 1, TRefusal::TooShort},
        {"RestoreOddBlock", oddBlock, false, 1, TRefusal::WrongFormat},
        {"RestoreZeroBlock", zeroBlock, false, 1, TRefusal::WrongFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWatchedFile file(dir.File(c.fileName), c.bytes, c.permissions);
        const TRun run = RunOnFile<TNormalCodec>(file.Path(), c.encode, "", c.mode);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, c.reason);
        file.ExpectUntouched();
        ::chmod(file.Path().c_str(), 0644);
        ::unlink(file.Path().c_str());
    }
}
