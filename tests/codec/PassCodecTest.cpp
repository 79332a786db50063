#include <gtest/gtest.h>

#include <climits>

#include "Cp932.h"
#include "MemoryStream.h"
#include "OutputStream.h"
#include "PassCodec.h"
#include "TestFiles.h"
#include "murkcheck.h"

using namespace murk;
using murktest::FromHex;
using murktest::Hex;
using murktest::PatternPicture;
using murktest::Sha256Hex;
using murktest::TBytes;

namespace {

// 写真 in CP932, the bytes the Windows program hashes for this password.
const std::string kShashinCp932 = "\x8e\xca\x90\x5e";

TBytes Header(uint32_t headLength) {
    TBytes bytes(8);
    PutUInt32LE(bytes.data(), kUltraMagic);
    PutUInt32LE(bytes.data() + 4, ~headLength);
    return bytes;
}

TBytes Concat(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A container with a head of any length, chained as the decoder expects.
TBytes ChainedContainer(const TBytes& picture, size_t headLength, std::string_view password) {
    TBytes head(picture.begin(), picture.begin() + ptrdiff_t(headLength));
    TPassCipher(password).EncryptHead(head);
    return Concat(Concat(Header(uint32_t(headLength)), head),
                  TBytes(picture.begin() + ptrdiff_t(headLength), picture.end()));
}

TBytes Encrypted(const TBytes& picture, std::string_view password, int32_t headKiB) {
    const TMemoryStream source(picture);
    TOutputStream dest;
    EXPECT_TRUE(PassEncrypt(source, dest, password, headKiB));
    return dest.ToBytes();
}

struct TDecrypted {
    bool Ok = false;
    TBytes Bytes;
};

TDecrypted Decrypted(const TBytes& container, std::string_view password) {
    const TMemoryStream source(container);
    TOutputStream dest;
    const bool ok = PassDecrypt(source, dest, password);
    return {ok, dest.ToBytes()};
}

}  // namespace

TEST(PassCodec, PrimitivesGiveTheirKnownAnswers) {
    uint8_t key[kPassKeySize];
    PassKeyMaterial("abc", key);
    EXPECT_EQ(Hex(TBytes(key, key + 20)), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Hex(TBytes(key + 20, key + 32)), "ffffffffffffffffffffffff");

    const uint8_t zeroKey[kPassKeySize] = {};
    const uint8_t zeroBlock[kPassBlockSize] = {};
    uint8_t out[kPassBlockSize];
    TPassCipher(zeroKey).EncryptBlock(zeroBlock, out);
    EXPECT_EQ(Hex(TBytes(out, out + 16)), "57ff739d4dc92c1bd7fc01700cc8216f");
}

TEST(PassCodec, RoundTripsEveryHeadSizeWithTheRestAsAView) {
    for (int32_t kib : {1, 2, 3, 4, 80}) {
        const size_t h = size_t(kib) * 1024;
        for (size_t extra : {size_t(0), size_t(1), size_t(5000)}) {
            SCOPED_TRACE(testing::Message() << kib << " KiB head, " << extra << " bytes after");
            TBytes picture = murktest::SyntheticJpeg(h + extra, uint8_t(kib));
            // The signature inside the rest must not confuse either side.
            if (extra >= 8) {
                const TBytes header = Header(1024);
                std::copy(header.begin(), header.end(), picture.begin() + ptrdiff_t(h));
            }
            const TMemoryStream source(picture);
            TOutputStream dest;
            ASSERT_TRUE(PassEncrypt(source, dest, "pass word", kib));
            const TBytes container = dest.ToBytes();
            ASSERT_EQ(container.size(), picture.size() + 8);
            EXPECT_EQ(TBytes(container.begin(), container.begin() + 8), Header(uint32_t(h)));
            EXPECT_NE(TBytes(container.begin() + 8, container.begin() + 24),
                      TBytes(picture.begin(), picture.begin() + 16));
            EXPECT_TRUE(std::equal(picture.begin() + ptrdiff_t(h), picture.end(),
                                   container.begin() + ptrdiff_t(h + 8)));
            if (extra > 0) {
                EXPECT_EQ(dest.Pieces().back().data(), source.Data() + h);
            }

            const TDecrypted plain = Decrypted(container, "pass word");
            EXPECT_TRUE(plain.Ok);
            EXPECT_EQ(plain.Bytes, picture);
        }
    }
}

TEST(PassCodec, HeadsOfAnyLengthComeBack) {
    const TBytes picture = PatternPicture(90000);
    for (size_t h : {2, 15, 16, 17, 31, 1000, 1023, 1024, 1025, 81919, 81920}) {
        SCOPED_TRACE(h);
        const TBytes container = ChainedContainer(picture, h, "key");
        const TDecrypted plain = Decrypted(container, "key");
        EXPECT_TRUE(plain.Ok);
        EXPECT_EQ(plain.Bytes, picture);
    }
    EXPECT_EQ(ChainedContainer(picture, 3072, "key"), Encrypted(picture, "key", 3));
}

TEST(PassCodec, EncoderRefusesHeadSizesItCannotHold) {
    struct TCase {
        size_t size;
        int32_t headKiB;
    };
    const TCase cases[] = {
        {1023, 1},   {2047, 2},   {3071, 3},          {4095, 4},          {90000, 0},
        {90000, -1}, {90000, 81}, {90000, INT32_MIN}, {90000, INT32_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, " << c.headKiB << " KiB");
        const TMemoryStream source(PatternPicture(c.size));
        TOutputStream dest;
        dest.WriteUInt32(1);
        EXPECT_FALSE(PassEncrypt(source, dest, "abc", c.headKiB));
        EXPECT_EQ(dest.Size(), 0u);
    }
}

TEST(PassCodec, ContainerOfExactlyItsHeadDecodes) {
    const TBytes picture = PatternPicture(2048);
    const TBytes container = Encrypted(picture, "abc", 2);
    EXPECT_EQ(container.size(), 2048u + 8);
    EXPECT_EQ(Decrypted(container, "abc").Bytes, picture);
}

TEST(PassCodec, DecoderRefusesMalformedContainers) {
    const TBytes picture = PatternPicture(100000);
    const TBytes good = Encrypted(picture, "abc", 2);
    const TBytes body(picture.begin(), picture.begin() + 2048);
    auto cut = [&](size_t n) { return TBytes(good.begin(), good.begin() + ptrdiff_t(n)); };
    auto stating = [&](uint32_t headLength) { return Concat(Header(headLength), picture); };
    struct TCase {
        const char* name;
        TBytes container;
        TPassContainer inspection;
    };
    const TCase cases[] = {
        {"Empty", {}, TPassContainer::NotContainer},
        {"ThreeBytes", cut(3), TPassContainer::NotContainer},
        {"SignatureOnly", cut(4), TPassContainer::CutShort},
        {"SevenBytes", cut(7), TPassContainer::CutShort},
        {"HeaderOnly", cut(8), TPassContainer::CutShort},
        {"CutInsideHead", cut(8 + 2047), TPassContainer::CutShort},
        {"CutAfterOneBlock", cut(8 + 16), TPassContainer::CutShort},
        {"OtherSignature", Concat(FromHex("8f988cce"), cut(100)), TPassContainer::NotContainer},
        {"PlainJpeg", picture, TPassContainer::NotContainer},
        {"HeadLengthZero", stating(0), TPassContainer::BadHeadLength},
        {"HeadLengthMinusOne", stating(0xFFFFFFFF), TPassContainer::BadHeadLength},
        {"HeadLengthNegative", stating(0x80000000), TPassContainer::BadHeadLength},
        {"HeadLengthAboveBuffer", stating(81921), TPassContainer::BadHeadLength},
        {"HeadLengthLargest", stating(0x7FFFFFFF), TPassContainer::BadHeadLength},
        {"HeadLongerThanFile", Concat(Header(4096), body), TPassContainer::CutShort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InspectPassContainer(c.container), c.inspection);
        const TDecrypted plain = Decrypted(c.container, "abc");
        EXPECT_FALSE(plain.Ok);
        EXPECT_TRUE(plain.Bytes.empty());
    }
    EXPECT_EQ(InspectPassContainer(good), TPassContainer::Valid);
    EXPECT_EQ(InspectPassContainer(ChainedContainer(picture, 81920, "abc")), TPassContainer::Valid);
}

TEST(PassCodec, WrongPasswordsAreRefused) {
    const TBytes container = Encrypted(PatternPicture(5000), "Secret", 4);
    for (const char* password : {"secret", "SECRET", "Secreu", "Secret ", "Secre", "x"}) {
        SCOPED_TRACE(password);
        const TDecrypted plain = Decrypted(container, password);
        EXPECT_FALSE(plain.Ok);
        EXPECT_TRUE(plain.Bytes.empty());
    }
    // A head shorter than the start-of-image marker never passes.
    EXPECT_FALSE(Decrypted(ChainedContainer(PatternPicture(100), 1, "Secret"), "Secret").Ok);
}

TEST(PassCodec, SameInputGivesIdenticalContainers) {
    const TBytes picture = murktest::SyntheticJpeg(10000, 7);
    const TBytes first = Encrypted(picture, "abc", 4);
    EXPECT_EQ(Encrypted(picture, "abc", 4), first);
    EXPECT_NE(Encrypted(picture, "abd", 4), first);
}

TEST(PassCodec, MatchesIndependentModelVectors) {
    const TBytes small = Encrypted(PatternPicture(1030), "abc", 1);
    ASSERT_EQ(small.size(), 1038u);
    EXPECT_EQ(Hex(TBytes(small.begin(), small.begin() + 24)),
              "8f988cc7fffbffffb98ed92b8d5bb304c89977f7deca5142");
    EXPECT_EQ(Sha256Hex(small), "b44ea9b2988b8d59c3ef0336495768a7725471976a07ca0d91497d72ca1e1ac5");
    EXPECT_EQ(Decrypted(small, "abc").Bytes, PatternPicture(1030));

    EXPECT_EQ(ToCp932("写真").Bytes, kShashinCp932);
    const TBytes large = Encrypted(PatternPicture(5000), kShashinCp932, 4);
    ASSERT_EQ(large.size(), 5008u);
    EXPECT_EQ(Hex(TBytes(large.begin() + 8, large.begin() + 24)),
              "ecb814f2de4549875555da106e2d31cf");
    EXPECT_EQ(Sha256Hex(large), "0d5edfcc2642521b9c8c4fc2eaf83bc97726e547e87e821c846bb454b051c0d0");
    EXPECT_EQ(Decrypted(large, kShashinCp932).Bytes, PatternPicture(5000));
}

TEST(PassCodec, PartialLastBlockMatchesIndependentModel) {
    TBytes head = PatternPicture(1000);
    TPassCipher("abc").EncryptHead(head);
    EXPECT_EQ(Hex(TBytes(head.end() - 8, head.end())), "82111c1a308d7245");

    const TBytes container = Concat(Concat(FromHex("8f988cc717fcffff"), head), FromHex("0102"));
    EXPECT_EQ(Sha256Hex(container),
              "4fcc09e9b75584b5fc4feeceaf4d62491119932a67710b9a3274922bc955730b");
    const TDecrypted plain = Decrypted(container, "abc");
    EXPECT_TRUE(plain.Ok);
    EXPECT_EQ(plain.Bytes, Concat(PatternPicture(1000), FromHex("0102")));
}
