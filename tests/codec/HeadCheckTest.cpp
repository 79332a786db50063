#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestUtil.h"
#include "ExtraCodec.h"
#include "JpegEncode.h"
#include "JpegHead.h"
#include "NormalCodec.h"
#include "OutputStream.h"
#include "UltraCodec.h"
#include "murkcheck.h"

using namespace murk;
using namespace murktest;

namespace {

TBytes Picture(const TJpegShape& shape) {
    return EncodeJpeg(shape, [&](int y, uint8_t* row) {
        for (int x = 0; x < shape.Width * shape.Components; ++x) {
            row[x] = uint8_t(x * 7 + y * 3);
        }
    });
}

// The offset of the first marker of that kind.
size_t MarkerAt(const TBytes& bytes, uint8_t marker) {
    for (size_t i = 2; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == marker) {
            return i;
        }
    }
    return bytes.size();
}

TBytes Changed(TBytes bytes, size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

// A password one character away from password that Extra's checksum still
// accepts for this shielded file; empty when there is none.
std::string ChecksumPassingSlip(const TBytes& shielded, const std::string& password) {
    for (size_t i = 0; i < password.size(); ++i) {
        for (int c = 0x20; c < 0x7F; ++c) {
            std::string slip = password;
            slip[i] = char(c);
            if (slip == password) {
                continue;
            }
            TMemoryStream content(shielded);
            TOutputStream output;
            if (TExtraCodec::Restore(content, slip, output) == TRefusal::None) {
                return slip;
            }
        }
    }
    return {};
}

TRun RestoreUnchecked(const std::string& path, const std::string& password, bool verifyHead) {
    TMemoryStream stream;
    stream.LoadFromFile(path);
    TCodecOption option;
    option.Stream = &stream;
    option.FileName = path;
    option.Encode = false;
    option.Password = password;
    option.VerifyHead = verifyHead;
    const TMurkState state = TMurkCheck().CheckStream(stream);
    TRun run;
    if (state == msNormal) {
        TNormalCodec codec(option);
        run = {codec.Execute(), codec.Reason()};
    } else {
        TExtraCodec codec(option);
        run = {codec.Execute(), codec.Reason()};
    }
    return run;
}

}  // namespace

TEST(JpegHead, PicturesLibjpegWritesAreSound) {
    const TJpegShape shapes[] = {
        {.Width = 40, .Height = 30},
        {.Width = 1, .Height = 1, .Components = 1},
        {.Width = 33, .Height = 17, .Components = 4, .Quality = 50},
        {.Width = 64, .Height = 48, .Progressive = true},
        {.Width = 64, .Height = 48, .SubsampledChroma = false, .RestartRows = 1},
    };
    for (const TJpegShape& shape : shapes) {
        SCOPED_TRACE(std::to_string(shape.Width) + "x" + std::to_string(shape.Height));
        EXPECT_TRUE(JpegHeadSound(Picture(shape)));
    }
    EXPECT_TRUE(JpegHeadSound(SyntheticJpeg(5000)));
}

TEST(JpegHead, BrokenHeadsAreNot) {
    const TBytes good = Picture({.Width = 40, .Height = 30});
    const size_t dqt = MarkerAt(good, 0xDB), dht = MarkerAt(good, 0xC4), sof = MarkerAt(good, 0xC0),
                 sos = MarkerAt(good, 0xDA);
    ASSERT_LT(sos, good.size());
    const struct {
        const char* name;
        TBytes bytes;
    } cases[] = {
        {"CutInTheTables", TBytes(good.begin(), good.begin() + ptrdiff_t(dht + 10))},
        {"CutBeforeTheScan", TBytes(good.begin(), good.begin() + ptrdiff_t(sos))},
        {"SegmentLengthOneShort", Changed(good, dqt + 3, uint8_t(good[dqt + 3] - 1))},
        {"SegmentLengthOneLong", Changed(good, dqt + 3, uint8_t(good[dqt + 3] + 1))},
        {"MarkerByteLost", Changed(good, dht, 0x00)},
        {"HuffmanCountChanged", Changed(good, dht + 5, uint8_t(good[dht + 5] + 1))},
        {"QuantTableNumberTooLarge", Changed(good, dqt + 4, 0x07)},
        {"NoComponents", Changed(good, sof + 9, 0)},
        {"OnlyTheStartMarker", PatternPicture(5000)},
        {"NoiseAfterTheStart",
         [] {
             TBytes noise = SyntheticJpeg(100);
             return noise;
         }()},
        {"Empty", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(JpegHeadSound(c.bytes));
    }
}

TEST(HeadCheck, ShieldRefusesAPictureWhoseHeadIsDamaged) {
    TTempDir dir;
    const TBytes picture = PatternPicture(9000);
    TWatchedFile file(dir.File("a.jpg"), picture);
    EXPECT_EQ(RunOnFile<TNormalCodec>(file.Path(), true, "", 1).Reason, TRefusal::HeadDamaged);
    EXPECT_EQ(RunOnFile<TExtraCodec>(file.Path(), true, "pw", 1).Reason, TRefusal::HeadDamaged);
    EXPECT_EQ(RunOnFile<TUltraCodec>(file.Path(), true, "pw", 1).Reason, TRefusal::HeadDamaged);
    file.ExpectUntouched();
}

// Extra's checksum lets a few one-character slips through; the check of the
// restored head refuses them before anything is written, and a file shielded
// elsewhere still restores with the check switched off.
TEST(HeadCheck, MistypedExtraPasswordThatPassesTheChecksumIsRefused) {
    TTempDir dir;
    const std::string password = "Sakura2024";
    int found = 0;
    for (int width = 40; width < 400 && found < 3; width += 7) {
        const TBytes picture = MakeJpeg(width, 30 + width % 50);
        TWatchedFile file(dir.File("a.jpg"), picture);
        ASSERT_EQ(RunOnFile<TExtraCodec>(file.Path(), true, password, 1).Result, 1);
        const TBytes shielded = ReadBytes(file.Path());
        const std::string slip = ChecksumPassingSlip(shielded, password);
        if (slip.empty()) {
            continue;
        }
        ++found;
        SCOPED_TRACE(slip);
        const TRun run = RunOnFile<TExtraCodec>(file.Path(), false, slip);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, TRefusal::WrongPassword);
        EXPECT_EQ(ReadBytes(file.Path()), shielded);
        ASSERT_EQ(RunOnFile<TExtraCodec>(file.Path(), false, password).Result, 1);
        EXPECT_EQ(ReadBytes(file.Path()), picture);
    }
    EXPECT_EQ(found, 3);
}

TEST(HeadCheck, DamagedNormalFileIsRefusedUnlessTheCheckIsOff) {
    TTempDir dir;
    const TBytes picture = MakeJpeg(64, 48);
    TWatchedFile file(dir.File("a.jpg"), picture);
    ASSERT_EQ(RunOnFile<TNormalCodec>(file.Path(), true, "", 1).Result, 1);
    TBytes shielded = ReadBytes(file.Path());
    // The DQT segment's length, complemented in the shielded block.
    shielded.at(4 + MarkerAt(picture, 0xDB) + 3) ^= 0x04;
    WriteBytes(file.Path(), shielded);

    const TRun refused = RestoreUnchecked(file.Path(), "", true);
    EXPECT_EQ(refused.Result, 0);
    EXPECT_EQ(refused.Reason, TRefusal::WrongPassword);
    EXPECT_EQ(ReadBytes(file.Path()), shielded);

    // A picture shielded elsewhere, never checked: restored as it is.
    EXPECT_EQ(RestoreUnchecked(file.Path(), "", false).Result, 1);
    EXPECT_EQ(ReadBytes(file.Path()).size(), picture.size());
}
