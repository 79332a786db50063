#include <gtest/gtest.h>

#include <cstdlib>

#include "Cp932.h"
#include "TestFiles.h"

using namespace murk;

TEST(Cp932, ConvertsToShiftJisBytes) {
    const struct {
        const char* utf8;
        const char* hex;
    } cases[] = {
        {"abc", "616263"},
        {"写真", "8eca905e"},
        {"ﾊﾟｽ", "cadfbd"},  // half-width katakana are single bytes
        {"", ""},
    };
    for (const auto& c : cases) {
        const TCp932Result result = ToCp932(c.utf8);
        ASSERT_TRUE(result.Ok) << c.utf8;
        EXPECT_EQ(murktest::Hex(murktest::TBytes(result.Bytes.begin(), result.Bytes.end())), c.hex)
            << c.utf8;
        EXPECT_EQ(FromCp932(result.Bytes), std::string(c.utf8));
    }
}

TEST(Cp932, ReportsTheFirstCharacterItCannotEncode) {
    const TCp932Result result = ToCp932("ab😀c€");
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.Bytes.empty());
    EXPECT_EQ(result.Unencodable, "😀");
}

// A system without glibc's CP932 module: an answer, never an exception.
TEST(Cp932, MissingConverterIsAnAnswer) {
    ::setenv("MURKWELL_CP932", "none", 1);
    const TCp932Result result = ToCp932("abc");
    const std::optional<std::string> back = FromCp932("abc");
    ::unsetenv("MURKWELL_CP932");
    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.ConverterMissing);
    EXPECT_TRUE(result.Bytes.empty());
    EXPECT_FALSE(back.has_value());
    EXPECT_TRUE(ToCp932("abc").Ok);
}
