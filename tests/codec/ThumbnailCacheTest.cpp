#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "CodecChoice.h"
#include "TestFiles.h"
#include "ThumbnailCache.h"

using namespace murk;
using namespace murktest;

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(ThumbnailCache, NamesAreTheMd5OfTheEscapedFileUri) {
    // MD5 sums of the URIs, computed independently.
    EXPECT_TRUE(Contains(ThumbnailNames("/home/jens/photos/me.png"),
                         "c6ee772d9e49320e97ec29a7eb5b1697.png"));
    EXPECT_TRUE(Contains(ThumbnailNames("/tmp/a b写.jpg"), "5304d01d851a7338fea4724893de6e47.png"));
}

TEST(ThumbnailCache, ShieldingRemovesTheCachedThumbnailsOfTheFile) {
    TTempDir dir;
    const std::string cache = dir.File("cache");
    const std::string picture = dir.File("photo one.jpg");
    WriteBytes(picture, SyntheticJpeg(4096));
    const std::string name = ThumbnailNames(picture).front();
    const std::vector<std::string> folders = {cache + "/thumbnails/normal",
                                              cache + "/thumbnails/x-large",
                                              cache + "/thumbnails/fail/gnome-thumbnail-factory"};
    for (const auto& folder : folders) {
        std::filesystem::create_directories(folder);
        WriteBytes(folder + "/" + name, {1});
        WriteBytes(folder + "/0123456789abcdef0123456789abcdef.png", {2});
    }
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);

    TMemoryStream stream;
    stream.LoadFromFile(picture);
    TShieldSelection normal;
    normal.PasswordMode = false;
    const TCodecOutcome outcome = DispatchCodec(stream, picture, true, "", 1, normal);

    if (saved) {
        ::setenv("XDG_CACHE_HOME", savedValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_CACHE_HOME");
    }
    ASSERT_EQ(outcome.Result, 1);
    for (const auto& folder : folders) {
        EXPECT_FALSE(Exists(folder + "/" + name)) << folder;
        EXPECT_TRUE(Exists(folder + "/0123456789abcdef0123456789abcdef.png")) << folder;
    }
}
