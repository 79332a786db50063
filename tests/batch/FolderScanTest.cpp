#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "FolderScan.h"
#include "TestFiles.h"

using namespace murk;

namespace {

struct TExtCase {
    const char* Ext;
    bool RenameExt;
    const char* NewExt;
    bool Image;
};

std::vector<std::string> Sorted(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace

TEST(FolderScan, ImageExtensions) {
    const TExtCase cases[] = {
        {".jpg", false, "", true},   {".jpeg", false, "", true},  {".jpe", false, "", false},
        {".txt", false, "", false},  {"", false, "", false},      {".jpx", false, "jpx", false},
        {".jpx", true, "jpx", true}, {".jpg", true, "jpx", true}, {".jpx", true, "JPX", false},
        {"jpx", true, "jpx", false}, {".", true, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Ext) + " new " + c.NewExt + (c.RenameExt ? " on" : " off"));
        EXPECT_EQ(IsImageFile(c.Ext, {c.RenameExt, c.NewExt}), c.Image);
    }
}

// A tree with the folder entries the recursion rule tells apart.
class FolderScanTree : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.JPG", "b.jpeg", "c.jpe", "d.txt", "noext"}) {
            murktest::WriteBytes(Dir.File(name), murktest::SyntheticJpeg(40));
        }
        Make("photos.jpg");
        murktest::WriteBytes(Dir.File("photos.jpg/inner.jpg"), murktest::SyntheticJpeg(40));
        Make("photos.jpg/deeper");
        murktest::WriteBytes(Dir.File("photos.jpg/deeper/deep.jpg"), murktest::SyntheticJpeg(40));
        Make("locked.jpg");
        murktest::WriteBytes(Dir.File("locked.jpg/hidden-by-lock.jpg"),
                             murktest::SyntheticJpeg(40));
        ::chmod(Dir.File("locked.jpg").c_str(), 0555);
        Make(".dot");
        murktest::WriteBytes(Dir.File(".dot/in-hidden.jpg"), murktest::SyntheticJpeg(40));
        ASSERT_EQ(::symlink(Dir.File("photos.jpg").c_str(), Dir.File("link.jpg").c_str()), 0);
    }
    void Make(const std::string& name) { ASSERT_EQ(::mkdir(Dir.File(name).c_str(), 0755), 0); }

    murktest::TTempDir Dir;
};

TEST_F(FolderScanTree, FlatScanTakesEveryEntryByItsName) {
    std::vector<std::string> list;
    ScanFolder(Dir.Path(), list, false, {});
    EXPECT_EQ(Sorted(list), Sorted({Dir.File("a.JPG"), Dir.File("b.jpeg"), Dir.File("photos.jpg"),
                                    Dir.File("locked.jpg"), Dir.File("link.jpg")}));
}

TEST_F(FolderScanTree, RecursionEntersOnlyPlainFolders) {
    std::vector<std::string> list;
    // One trailing slash is dropped, so the paths have no double slash.
    ScanFolder(Dir.Path() + "/", list, true, {});
    EXPECT_EQ(Sorted(list),
              Sorted({Dir.File("a.JPG"), Dir.File("b.jpeg"), Dir.File("photos.jpg/inner.jpg"),
                      Dir.File("photos.jpg/deeper/deep.jpg"), Dir.File("locked.jpg"),
                      Dir.File("link.jpg")}));
}

TEST_F(FolderScanTree, NewExtensionAndMissingFolder) {
    murktest::WriteBytes(Dir.File("x.jpx"), murktest::SyntheticJpeg(40));
    std::vector<std::string> list;
    ScanFolder(Dir.Path(), list, false, {true, "jpx"});
    EXPECT_NE(std::find(list.begin(), list.end(), Dir.File("x.jpx")), list.end());

    std::vector<std::string> none{"kept"};
    ScanFolder(Dir.File("missing"), none, true, {});
    EXPECT_EQ(none, std::vector<std::string>{"kept"});
}

TEST(FolderScan, SortIgnoresCaseAndKeepsCaseTwinsInFixedOrder) {
    std::vector<std::string> paths = {"/p/b.jpg",     "/p/A.jpg",     "/p/a.jpg", "/p/C.jpg",
                                      "/p/Émile.jpg", "/p/émile.jpg", "/P/z.jpg", "/p/Z/x.jpg"};
    SortPaths(paths);
    EXPECT_EQ(paths,
              (std::vector<std::string>{"/p/A.jpg", "/p/a.jpg", "/p/b.jpg", "/p/C.jpg", "/P/z.jpg",
                                        "/p/Z/x.jpg", "/p/Émile.jpg", "/p/émile.jpg"}));
}
