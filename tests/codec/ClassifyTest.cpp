#include <gtest/gtest.h>

#include "MemoryStream.h"
#include "TestFiles.h"
#include "murkcheck.h"

using namespace murk;
using murktest::TBytes;

namespace {

struct ClassifyCase {
    const char* name;
    TBytes bytes;
    TMurkState state;
};

TBytes WithHead(size_t n, TBytes head, TBytes tail = {}) {
    TBytes bytes(n, 0x55);
    std::copy(head.begin(), head.end(), bytes.begin());
    std::copy(tail.begin(), tail.end(), bytes.end() - ptrdiff_t(tail.size()));
    return bytes;
}

std::vector<ClassifyCase> Cases() {
    return {
        {"NineteenBytesJpeg", WithHead(19, {0xFF, 0xD8}, {0xFF, 0xD9}), msOther},
        {"TwentyBytesJpeg", WithHead(20, {0xFF, 0xD8}, {0xFF, 0xD9}), msJpeg},
        {"JpegWithoutEnd", WithHead(5000, {0xFF, 0xD8}, {0x00, 0x00}), msJpgPlus},
        {"NormalShort", WithHead(20, {0x8F, 0x98, 0x8C, 0x96}), msNormal},
        {"NormalLong", WithHead(20, {0x8F, 0x98, 0x8C, 0xCE}), msNormal},
        {"ExtraShort", WithHead(64, {0x8F, 0x98, 0x8C, 0xCB}), msExtra},
        {"ExtraLong", WithHead(64, {0x8F, 0x98, 0x8C, 0xCA}), msExtra},
        {"Ultra", WithHead(64, {0x8F, 0x98, 0x8C, 0xC7}), msUltra},
        {"Jpz", WithHead(64, {0x8F, 0x98, 0x8C, 0x87}), msJpz},
        {"UnknownFourthByte", WithHead(64, {0x8F, 0x98, 0x8C, 0x95}), msOther},
        {"NineteenBytesMagic", WithHead(19, {0x8F, 0x98, 0x8C, 0x96}), msOther},
        {"Empty", {}, msOther},
        {"Text", WithHead(40, {'h', 'e', 'l', 'l'}), msOther},
    };
}

}  // namespace

TEST(Classify, StreamAndFileAgreeOnEveryCase) {
    murktest::TTempDir dir;
    for (const auto& c : Cases()) {
        SCOPED_TRACE(c.name);
        TMurkCheck check;
        EXPECT_EQ(check.CheckStream(TMemoryStream(c.bytes)), c.state);
        EXPECT_EQ(LastState, c.state);
        EXPECT_EQ(LastStateText, StateText(c.state));
        EXPECT_EQ(LastSize, int64_t(c.bytes.size()));

        const std::string path = dir.File(c.name);
        murktest::WriteBytes(path, c.bytes);
        LastSize = -1;
        EXPECT_EQ(TMurkCheck().CheckFile(path), c.state);
        EXPECT_EQ(LastState, c.state);
        EXPECT_EQ(LastSize, int64_t(c.bytes.size()));
    }
}

TEST(Classify, StateTextsAreSevenCharacters) {
    for (TMurkState state : {msJpeg, msNormal, msExtra, msJpgPlus, msOther, msUltra, msJpz}) {
        EXPECT_EQ(std::string(StateText(state)).size(), 7u) << state;
    }
    EXPECT_STREQ(StateText(msJpz), "  Jpz  ");
    EXPECT_STREQ(StateText(6), "");
}

TEST(Classify, UnopenableFileIsOtherAndKeepsLastSize) {
    TMurkCheck check;
    check.SetSize(1234);
    EXPECT_EQ(check.CheckFile("/nonexistent/murkwell/a.jpg"), msOther);
    EXPECT_EQ(LastState, msOther);
    EXPECT_EQ(LastSize, 1234);
}

TEST(Classify, FolderNamedLikeAPictureIsOther) {
    murktest::TTempDir dir;
    const std::string folder = dir.File("photos.jpg");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(TMurkCheck().CheckFile(folder), msOther);
}

TEST(Classify, SetStateKeepsTextForUnknownValue) {
    TMurkCheck check;
    check.SetState(msExtra);
    check.SetState(6);
    EXPECT_EQ(check.State(), 6);
    EXPECT_EQ(check.StateTextValue(), " Extra ");
    EXPECT_EQ(LastStateText, " Extra ");
}
