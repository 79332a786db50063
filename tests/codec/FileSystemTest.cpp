#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "CodecTestUtil.h"
#include "FileSystem.h"
#include "NormalCodec.h"
#include "OutputStream.h"

using namespace murk;
using namespace murktest;

namespace {

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    while (dirent* entry = dir ? ::readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    if (dir) {
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs body in a child process and returns its exit code; the child may
// lower its limits or drop its privileges without affecting the tests.
int InChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void DropPrivilegesIfRoot() {
    if (::geteuid() == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(99);
        }
    }
}

}  // namespace

TEST(FileSystem, AttributesFollowTheFileKind) {
    TTempDir dir;
    WriteBytes(dir.File("plain.jpg"), {1});
    WriteBytes(dir.File("locked.jpg"), {1});
    ::chmod(dir.File("locked.jpg").c_str(), 0444);
    WriteBytes(dir.File(".hidden.jpg"), {1});
    ASSERT_EQ(::mkfifo(dir.File("pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(dir.File("folder.jpg").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("plain.jpg", dir.File("link.jpg").c_str()), 0);

    const struct {
        const char* name;
        std::optional<uint32_t> attributes;
    } cases[] = {
        {"plain.jpg", 0u},
        {"locked.jpg", faReadOnly},
        {".hidden.jpg", faHidden},
        {"pipe.jpg", faSysFile},
        {"folder.jpg", faDirectory},
        {"link.jpg", 0u},
        {"missing.jpg", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileAttributes(dir.File(c.name)), c.attributes) << c.name;
    }
}

TEST(FileSystem, ReplaceKeepsModeTimeAndFollowsLinks) {
    TTempDir dir;
    TWatchedFile target(dir.File("target.jpg"), SyntheticJpeg(3000), 0640);
    const std::string link = dir.File("link.jpg");
    ASSERT_EQ(::symlink("target.jpg", link.c_str()), 0);

    ASSERT_EQ(RunOnFile<TNormalCodec>(link, true).Result, 1);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(target.Path()).size(), 3004u);
    target.ExpectTimeKept();
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"link.jpg", "target.jpg"}));

    ASSERT_EQ(RunOnFile<TNormalCodec>(link, false).Result, 1);
    EXPECT_EQ(ReadBytes(target.Path()), target.Bytes());
    target.ExpectTimeKept();
}

TEST(FileSystem, FolderThatCannotBeWrittenRefusesWithNothingChanged) {
    TTempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    const std::string folder = dir.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    TWatchedFile file(folder + "/a.jpg", SyntheticJpeg(5000), 0666);
    ::chmod(folder.c_str(), 0555);

    const int code = InChild([&] {
        DropPrivilegesIfRoot();
        const TRun run = RunOnFile<TNormalCodec>(file.Path(), true);
        return run.Result == 0 && run.Reason == TRefusal::CannotWrite ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    file.ExpectUntouched();
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"a.jpg"});
}

TEST(FileSystem, DiskFullDuringSaveKeepsTheOriginal) {
    TTempDir dir;
    TWatchedFile file(dir.File("big.jpg"), SyntheticJpeg(1 << 20));

    const int code = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            RunOnFile<TNormalCodec>(file.Path(), true);
        } catch (const FileIoError&) {
            return 0;
        } catch (...) {
            return 2;
        }
        return 1;
    });
    EXPECT_EQ(code, 0) << "the save must fail with FileIoError";
    file.ExpectUntouched();
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"big.jpg"});
}

TEST(FileSystem, OutputPiecesAreWrittenInOrder) {
    TTempDir dir;
    const std::string path = dir.File("a.bin");
    WriteBytes(path, {9});
    const TBytes rest = SyntheticJpeg(100000);
    TOutputStream output;
    output.WriteUInt32(0x04030201);
    output.WriteView(rest);
    output.Write(TBytes{7, 8});
    ReplaceFileContent(path, output, SampleMtime());

    TBytes expected{1, 2, 3, 4};
    expected.insert(expected.end(), rest.begin(), rest.end());
    expected.insert(expected.end(), {7, 8});
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(output.ToBytes(), expected);
    EXPECT_TRUE(SameTime(FileMtime(path), SampleMtime()));
    uint8_t tail[4];
    ASSERT_EQ(output.CopyOut(expected.size() - 3, tail, 4), 3u);
    EXPECT_EQ(TBytes(tail, tail + 3), TBytes(expected.end() - 3, expected.end()));
}

TEST(FileSystem, ReadingAFolderOrAMissingFileIsAnOpenError) {
    TTempDir dir;
    EXPECT_THROW(ReadWholeFile(dir.Path()), FileOpenError);
    EXPECT_THROW(ReadWholeFile(dir.File("missing.jpg")), FileOpenError);
    TMemoryStream stream;
    EXPECT_THROW(stream.LoadFromFile(dir.File("missing.jpg")), FileOpenError);
}

TEST(FileSystem, StaleTemporariesAreRemovedAndNothingElse) {
    TTempDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ::waitpid(gone, nullptr, 0);
    const std::string stale = ".murkwell-" + std::to_string(gone) + "-abcdefgh.tmp";
    const std::string live = ".murkwell-" + std::to_string(::getppid()) + "-abcdefgh.tmp";
    std::vector<std::string> kept = {live, "a.jpg", ".murkwell-abcdefgh.tmp",
                                     ".murkwell-" + std::to_string(gone) + "-abcdefgh.jpg",
                                     "murkwell-" + std::to_string(gone) + "-abcdefgh.tmp"};
    for (const auto& name : kept) {
        WriteBytes(dir.File(name), {1});
    }
    WriteBytes(dir.File(stale), {1});
    EXPECT_TRUE(IsReplaceTemporaryName(stale));
    EXPECT_FALSE(IsReplaceTemporaryName("a.jpg"));

    RemoveStaleTemporaries(dir.Path());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Entries(dir.Path()), kept);
}

// Whatever reaches a file after it was loaded and before its new content
// replaces it would be lost: the save refuses instead and leaves the file
// as the other writer left it.
TEST(FileSystem, FileChangedSinceItWasLoadedIsNotReplaced) {
    const struct {
        const char* change;
        std::function<void(const std::string&)> apply;
    } cases[] = {{"grown",
                  [](const std::string& path) {
                      TBytes bytes = ReadBytes(path);
                      bytes.insert(bytes.end(), 300, 0x41);
                      WriteBytes(path, bytes);
                  }},
                 {"rewritten in place",
                  [](const std::string& path) { WriteBytes(path, SyntheticJpeg(5000, 7)); }},
                 {"replaced by another file", [](const std::string& path) {
                      WriteBytes(path + ".new", SyntheticJpeg(5000, 8));
                      ASSERT_EQ(::rename((path + ".new").c_str(), path.c_str()), 0);
                  }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        TTempDir dir;
        const std::string path = dir.File("a.jpg");
        WriteBytes(path, SyntheticJpeg(5000));
        SetFileMtime(path, SampleMtime());
        TMemoryStream stream;
        stream.LoadFromFile(path);
        c.apply(path);
        const TBytes changed = ReadBytes(path);

        TOutputStream output;
        output.WriteView(stream.Bytes());
        EXPECT_THROW(ReplaceFileContent(path, output, SampleMtime(), stream.Source()),
                     FileChangedError);
        TCodecOption option;
        option.Stream = &stream;
        option.FileName = path;
        TNormalCodec codec(option);
        EXPECT_EQ(codec.Execute(), 0);
        EXPECT_EQ(codec.Reason(), TRefusal::ChangedOnDisk);
        EXPECT_EQ(ReadBytes(path), changed);
        EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"a.jpg"});
    }
}
