#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "JpzFormat.h"
#include "KeyCache.h"
#include "MemoryFlags.h"
#include "jpz.h"

using namespace jpz;

namespace {

int gDerivations = 0;
int gDeriveResult = JPZ_OK;

// Stands in for Argon2id: counts the calls and mixes password and salt, so
// different inputs give different keys.
int CountingDerive(const TKdfCost& cost, std::span<const uint8_t> password,
                   std::span<const uint8_t, kSaltSize> salt, std::span<uint8_t, kKeySize> key) {
    ++gDerivations;
    if (gDeriveResult != JPZ_OK) {
        return gDeriveResult;
    }
    for (size_t i = 0; i < kKeySize; ++i) {
        key[i] = uint8_t(salt[i % kSaltSize] + cost.Passes + i);
    }
    for (size_t i = 0; i < password.size(); ++i) {
        key[i % kKeySize] ^= password[i];
    }
    return JPZ_OK;
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

using TKey = std::array<uint8_t, kKeySize>;

class KeyCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        gDerivations = 0;
        gDeriveResult = JPZ_OK;
    }

    TJpzHeader Shield(const std::string& password, TKey& key) {
        TJpzHeader header;
        EXPECT_EQ(cache.ShieldKey(Bytes(password), header, key), JPZ_OK);
        return header;
    }

    TKey Open(const std::string& password, const TJpzHeader& header) {
        TKey key{};
        EXPECT_EQ(cache.OpenKey(Bytes(password), header, key), JPZ_OK);
        return key;
    }

    TKeyCache cache{CountingDerive};
};

TJpzHeader WithSalt(uint8_t first) {
    TJpzHeader header;
    header.Cost = kDefaultCost;
    header.Salt.fill(0x11);
    header.Salt[0] = first;
    return header;
}

}  // namespace

TEST_F(KeyCacheTest, ShieldDerivesOncePerPassword) {
    TKey first{}, second{}, other{};
    const TJpzHeader a = Shield("batch password", first);
    const TJpzHeader b = Shield("batch password", second);
    EXPECT_EQ(gDerivations, 1);
    EXPECT_EQ(a.Salt, b.Salt);
    EXPECT_EQ(a.Cost, kDefaultCost);
    EXPECT_EQ(first, second);

    const TJpzHeader c = Shield("other password", other);
    EXPECT_EQ(gDerivations, 2);
    EXPECT_NE(c.Salt, a.Salt);
    EXPECT_NE(other, first);
}

TEST_F(KeyCacheTest, OpenReusesKeysBySaltCostAndPassword) {
    TKey shielded{};
    const TJpzHeader own = Shield("batch password", shielded);
    EXPECT_EQ(Open("batch password", own), shielded);
    EXPECT_EQ(gDerivations, 1);

    const TJpzHeader foreign = WithSalt(1);
    const TKey opened = Open("batch password", foreign);
    EXPECT_EQ(Open("batch password", foreign), opened);
    EXPECT_EQ(gDerivations, 2);

    TJpzHeader costlier = foreign;
    costlier.Cost.Passes = 3;
    EXPECT_NE(Open("batch password", costlier), opened);
    EXPECT_NE(Open("other password", foreign), opened);
    EXPECT_EQ(gDerivations, 4);
}

TEST_F(KeyCacheTest, HoldsAFewEntriesAndDropsTheLeastRecentlyUsed) {
    for (uint8_t i = 0; i < TKeyCache::kCapacity; ++i) {
        Open("batch password", WithSalt(i));
    }
    Open("batch password", WithSalt(0));
    EXPECT_EQ(gDerivations, int(TKeyCache::kCapacity));

    // Salt 1 is now the least recently used and gives way.
    Open("batch password", WithSalt(100));
    Open("batch password", WithSalt(0));
    EXPECT_EQ(gDerivations, int(TKeyCache::kCapacity) + 1);
    Open("batch password", WithSalt(1));
    EXPECT_EQ(gDerivations, int(TKeyCache::kCapacity) + 2);
}

TEST_F(KeyCacheTest, FailedDerivationIsReportedAndNotKept) {
    gDeriveResult = JPZ_ERR_NO_MEMORY;
    TKey key{};
    TJpzHeader header = WithSalt(7);
    EXPECT_EQ(cache.OpenKey(Bytes("batch password"), header, key), JPZ_ERR_NO_MEMORY);
    EXPECT_EQ(cache.ShieldKey(Bytes("batch password"), header, key), JPZ_ERR_NO_MEMORY);
    gDeriveResult = JPZ_OK;
    Open("batch password", WithSalt(7));
    Shield("batch password", key);
    EXPECT_EQ(gDerivations, 4);
}

TEST_F(KeyCacheTest, WipeForgetsEveryKey) {
    TKey key{};
    const TJpzHeader header = Shield("batch password", key);
    cache.Wipe();
    EXPECT_EQ(cache.Storage(), nullptr);
    EXPECT_EQ(Open("batch password", header), key);
    EXPECT_EQ(gDerivations, 2);
}

TEST_F(KeyCacheTest, KeysLiveInPagesLeftOutOfCoreDumps) {
    EXPECT_EQ(cache.Storage(), nullptr);
    TKey key{};
    Shield("batch password", key);
    ASSERT_NE(cache.Storage(), nullptr);
    const std::string flags = murktest::MappingFlags(cache.Storage());
    EXPECT_NE(flags.find(" dd "), std::string::npos) << flags;
    if (murktest::MayLock(4096)) {
        EXPECT_NE(flags.find(" lo "), std::string::npos) << flags;
    }
    // The key itself sits in those pages, and nowhere once wiped.
    const auto* begin = static_cast<const uint8_t*>(cache.Storage());
    EXPECT_NE(std::search(begin, begin + 4096, key.begin(), key.end()), begin + 4096);
}
