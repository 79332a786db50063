#include <gtest/gtest.h>

#include <numeric>

#include "CodecTestUtil.h"
#include "ExtraCodec.h"
#include "murkcheck.h"

using namespace murk;
using namespace murktest;

namespace {

uint32_t ByteSum(const TBytes& bytes, size_t count) {
    return std::accumulate(bytes.begin(), bytes.begin() + ptrdiff_t(count), uint32_t(0));
}

}  // namespace

TEST(ExtraCodec, MakeKeyAddsTheBytesOfTheFileSize) {
    const struct {
        int32_t size;
        int32_t key;
    } cases[] = {{5000, 155}, {123456, 291}, {0, 0}, {int32_t(0x7fffffff), 0x7f + 3 * 0xff}};
    for (const auto& c : cases) {
        TExtraBlockInfo info;
        info.FileSize = c.size;
        MakeKey(info);
        EXPECT_EQ(info.Key, c.key) << c.size;
    }
}

TEST(ExtraCodec, ScrambleMatchesAHandComputedBlock) {
    // Password "a" rotates by one byte and mixes with 'a' + 'q' and the key byte.
    TBytes block(1024);
    std::iota(block.begin(), block.end(), uint8_t(0));
    TExtraBlockInfo info;
    info.FileSize = 5000;
    MakeKey(info);
    TBytes scrambled = block;
    ASSERT_TRUE(Scramble(scrambled, "a", info));
    const uint8_t mix = uint8_t('a' + 'q') ^ uint8_t(155);
    for (size_t i = 0; i < block.size(); ++i) {
        ASSERT_EQ(scrambled[i], uint8_t(block[(i + 1) % 1024] ^ mix)) << i;
    }
}

TEST(ExtraCodec, RoundTripsModesAndPasswordLengths) {
    TTempDir dir;
    const std::string longest(56, 'x');
    const struct {
        int mode;
        size_t size;
        std::string password;
    } cases[] = {
        {1, 1024, "p"},
        {1, 5000, "secret"},
        {2, 5000, "pass word"},
        {3, 3072, longest},
        {5, 80000, "\x8e\xca\x90\x5e"},  // CP932 bytes of a Japanese word
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " size " + std::to_string(c.size));
        const TBytes plain = SyntheticJpeg(c.size, uint8_t(c.mode));
        TWatchedFile file(dir.File("a.jpg"), plain);
        ASSERT_EQ(RunOnFile<TExtraCodec>(file.Path(), true, c.password, c.mode).Result, 1);
        const TBytes shielded = ReadBytes(file.Path());
        const size_t header = c.mode == 1 ? 8 : 12;
        const size_t block = size_t(c.mode) * 1024;
        ASSERT_EQ(shielded.size(), c.size + header);
        EXPECT_EQ(ReadUInt32LE(shielded.data()), c.mode == 1 ? kExtraShortMagic : kExtraLongMagic);
        if (c.mode != 1) {
            EXPECT_EQ(ReadUInt32LE(shielded.data() + 4), ~uint32_t(block));
        }
        EXPECT_EQ(ReadUInt32LE(shielded.data() + header - 4), ByteSum(plain, block));
        EXPECT_TRUE(std::equal(plain.begin() + ptrdiff_t(block), plain.end(),
                               shielded.begin() + ptrdiff_t(header + block)));
        EXPECT_EQ(LastState, msExtra);
        file.ExpectTimeKept();

        ASSERT_EQ(RunOnFile<TExtraCodec>(file.Path(), false, c.password, 1).Result, 1);
        EXPECT_EQ(ReadBytes(file.Path()), plain);
        EXPECT_EQ(LastState, msJpeg);
        EXPECT_EQ(LastSize, int64_t(c.size));
        file.ExpectTimeKept();
    }
}

TEST(ExtraCodec, ModeTwoStoresTheBlockLength) {
    TTempDir dir;
    TWatchedFile file(dir.File("a.jpg"), SyntheticJpeg(5000));
    ASSERT_EQ(RunOnFile<TExtraCodec>(file.Path(), true, "pw", 2).Result, 1);
    const TBytes shielded = ReadBytes(file.Path());
    ASSERT_EQ(shielded.size(), 5012u);
    EXPECT_EQ(Hex(TBytes(shielded.begin(), shielded.begin() + 8)), "8f988ccafff7ffff");
}

TEST(ExtraCodec, RestoreRefusalsLeaveTheFileUntouched) {
    TTempDir dir;
    const TBytes plain = SyntheticJpeg(6000);
    const std::string shieldedPath = dir.File("source.jpg");
    WriteBytes(shieldedPath, plain);
    ASSERT_EQ(RunOnFile<TExtraCodec>(shieldedPath, true, "Secret", 2).Result, 1);
    const TBytes shielded = ReadBytes(shieldedPath);

    TBytes appended = shielded;
    appended.push_back(0);
    TBytes damagedSum = shielded;
    damagedSum[8] ^= 1;
    TBytes cut = shielded;
    cut.resize(12 + 2047);
    TBytes oddBlock = shielded;
    oddBlock[4] = 0xFE;  // block length 2049

    const struct {
        const char* name;
        TBytes bytes;
        std::string password;
        TRefusal reason;
    } cases[] = {
        {"WrongPassword", shielded, "secreT", TRefusal::WrongPassword},
        {"OtherCase", shielded, "secret", TRefusal::WrongPassword},
        {"EmptyPassword", shielded, "", TRefusal::EmptyPassword},
        {"TooLongPassword", shielded, std::string(57, 'S'), TRefusal::PasswordTooLong},
        {"LengthChanged", appended, "Secret", TRefusal::WrongPassword},
        {"ChecksumDamaged", damagedSum, "Secret", TRefusal::WrongPassword},
        {"CutInsideBlock", cut, "Secret", TRefusal::TooShort},
        {"OddBlock", oddBlock, "Secret", TRefusal::WrongFormat},
        {"PlainJpeg", plain, "Secret", TRefusal::WrongFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TWatchedFile file(dir.File("a.jpg"), c.bytes);
        const TRun run = RunOnFile<TExtraCodec>(file.Path(), false, c.password);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, c.reason);
        file.ExpectUntouched();
    }
}

TEST(ExtraCodec, ShieldRefusalsLeaveTheFileUntouched) {
    TTempDir dir;
    const struct {
        const char* name;
        TBytes bytes;
        std::string password;
        int mode;
        TRefusal reason;
    } cases[] = {
        {"EmptyPassword", SyntheticJpeg(5000), "", 1, TRefusal::EmptyPassword},
        {"TooLongPassword", SyntheticJpeg(5000), std::string(57, 'x'), 1,
         TRefusal::PasswordTooLong},
        {"TooShort", SyntheticJpeg(1023), "pw", 1, TRefusal::TooShort},
        {"NotJpeg", TBytes(5000, 0x20), "pw", 1, TRefusal::NotJpeg},
        {"ModeZero", SyntheticJpeg(5000), "pw", 0, TRefusal::UnsupportedMode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TWatchedFile file(dir.File("a.jpg"), c.bytes);
        const TRun run = RunOnFile<TExtraCodec>(file.Path(), true, c.password, c.mode);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, c.reason);
        file.ExpectUntouched();
    }
}
