#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "MemoryFlags.h"
#include "SecureMemory.h"

using namespace murk;

TEST(SecureBytes, KeepsASecretOutOfCoreDumpsAndWipesIt) {
    TSecureBytes secret(512);
    ASSERT_EQ(secret.Capacity(), 512u);
    ASSERT_TRUE(secret.Assign("login password"));
    EXPECT_EQ(secret.View(), "login password");
    const char* data = secret.View().data();

    const std::string flags = murktest::MappingFlags(data);
    EXPECT_NE(flags.find(" dd "), std::string::npos) << flags;
    if (murktest::MayLock(4096)) {
        EXPECT_TRUE(secret.Locked());
        EXPECT_NE(flags.find(" lo "), std::string::npos) << flags;
    }

    // A shorter secret leaves nothing of the longer one behind it.
    ASSERT_TRUE(secret.Assign("key"));
    EXPECT_TRUE(std::all_of(data + 3, data + 512, [](char c) { return c == 0; }));
    secret.Wipe();
    EXPECT_TRUE(secret.Empty());
    EXPECT_TRUE(std::all_of(data, data + 512, [](char c) { return c == 0; }));
}

TEST(SecureBytes, RefusesWhatDoesNotFit) {
    TSecureBytes secret(32);
    ASSERT_TRUE(secret.Assign(std::string(32, 'k')));
    EXPECT_FALSE(secret.Assign(std::string(33, 'k')));
    EXPECT_TRUE(secret.Empty());
    EXPECT_TRUE(secret.Resize(33).empty());
    EXPECT_EQ(secret.Resize(32).size(), 32u);
    EXPECT_EQ(secret.Bytes().size(), 32u);
}
