#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CodecTestUtil.h"
#include "ExtraCodec.h"
#include "NormalCodec.h"
#include "UltraCodec.h"

using namespace murk;
using namespace murktest;

namespace {

struct TFormat {
    const char* Name;
    TRun (*Run)(const std::string& path, bool encode);
};

const TFormat kFormats[] = {
    {"Normal", [](const std::string& p, bool e) { return RunOnFile<TNormalCodec>(p, e, "", 2); }},
    {"Extra", [](const std::string& p, bool e) { return RunOnFile<TExtraCodec>(p, e, "pw", 2); }},
    {"Ultra", [](const std::string& p, bool e) { return RunOnFile<TUltraCodec>(p, e, "pw", 2); }},
};

std::string Xattr(const std::string& path, const char* name) {
    char value[256];
    const ssize_t length = ::getxattr(path.c_str(), name, value, sizeof value);
    return length < 0 ? std::string("<none>") : std::string(value, size_t(length));
}

}  // namespace

// A second name would keep the plain picture readable: refused with the
// count, in both directions, both names untouched.
TEST(FileSafety, PictureWithOtherNamesIsRefusedWithTheirCount) {
    TTempDir dir;
    for (const TFormat& format : kFormats) {
        SCOPED_TRACE(format.Name);
        const std::string path = dir.File(std::string(format.Name) + ".jpg");
        TWatchedFile file(path, MakeJpeg(120, 90));
        const std::string second = path + ".second.jpg", third = path + ".third.jpg";
        ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
        TRun run = format.Run(path, true);
        EXPECT_EQ(run.Reason, TRefusal::OtherNames);
        ASSERT_EQ(::link(path.c_str(), third.c_str()), 0);
        {
            TMemoryStream stream;
            stream.LoadFromFile(path);
            TCodecOption option{&stream, path, true, "pw", 2};
            TNormalCodec codec(option);
            EXPECT_EQ(codec.Execute(), 0);
            EXPECT_EQ(codec.OtherNames(), 2u);
            EXPECT_EQ(RefusalMessage(codec.Reason(), codec.OtherNames()),
                      "the picture has 2 other names that would keep it plain");
        }
        file.ExpectUntouched();
        EXPECT_EQ(ReadBytes(second), file.Bytes());

        // A shielded file with another name is not restored either.
        ::unlink(second.c_str());
        ::unlink(third.c_str());
        ASSERT_EQ(format.Run(path, true).Result, 1);
        ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
        EXPECT_EQ(format.Run(path, false).Reason, TRefusal::OtherNames);
        ::unlink(second.c_str());
        EXPECT_EQ(format.Run(path, false).Result, 1);
    }
}

// A picture another program has open for writing is refused; one that a
// writer opens after the run has read it is refused instead of replaced,
// and what the writer adds stays.
TEST(FileSafety, FileOpenForWritingIsNeverReplaced) {
    TTempDir dir;
    const std::string path = dir.File("a.jpg");
    TWatchedFile file(path, MakeJpeg(120, 90));
    {
        const int writer = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(writer, 0);
        EXPECT_EQ(RunOnFile<TNormalCodec>(path, true).Reason, TRefusal::BeingWritten);
        ::close(writer);
        file.ExpectUntouched();
    }

    TMemoryStream stream;
    stream.LoadFromFile(path);
    // Another process opens the file for writing and appends, as a download does.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        ::_exit(fd >= 0 && ::write(fd, "more", 4) == 4 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    TCodecOption option{&stream, path, true, "", 1};
    TNormalCodec codec(option);
    EXPECT_EQ(codec.Execute(), 0);
    EXPECT_TRUE(codec.Reason() == TRefusal::BeingWritten ||
                codec.Reason() == TRefusal::ChangedOnDisk);
    stream.Clear();
    TBytes grown = file.Bytes();
    grown.insert(grown.end(), {'m', 'o', 'r', 'e'});
    EXPECT_EQ(ReadBytes(path), grown);

    // The writer did not write yet when the run looked: the lease alone tells.
    TMemoryStream again;
    again.LoadFromFile(path);
    const int late = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(late, 0);
    TCodecOption lateOption{&again, path, true, "", 1};
    TNormalCodec lateCodec(lateOption);
    EXPECT_EQ(lateCodec.Execute(), 0);
    EXPECT_EQ(lateCodec.Reason(), TRefusal::BeingWritten);
    ASSERT_EQ(::write(late, "!", 1), 1);
    ::close(late);
    grown.push_back('!');
    EXPECT_EQ(ReadBytes(path), grown);
}

// The lock every Murkwell process takes: a second holder of the file is
// refused while the first works on it.
TEST(FileSafety, SecondHolderOfAFileIsRefusedAsInUse) {
    TTempDir dir;
    const std::string path = dir.File("a.jpg");
    TWatchedFile file(path, MakeJpeg(120, 90));
    TMemoryStream first;
    first.LoadFromFile(path);
    EXPECT_EQ(RunOnFile<TExtraCodec>(path, true, "pw", 1).Reason, TRefusal::InUse);
    file.ExpectUntouched();
    TCodecOption option{&first, path, true, "pw", 1};
    TExtraCodec codec(option);
    EXPECT_EQ(codec.Execute(), 1);
    first.Clear();
    // The new file is free again.
    EXPECT_EQ(RunOnFile<TExtraCodec>(path, false, "pw").Result, 1);
    EXPECT_EQ(ReadBytes(path), file.Bytes());
}

// The new content gets the original's extended attributes, owner and mode
// (set-id bits included) before it takes the name.
TEST(FileSafety, ExtendedAttributesOwnerAndSetIdBitsAreKept) {
    TTempDir dir;
    const std::string path = dir.File("a.jpg");
    WriteBytes(path, MakeJpeg(120, 90));
    if (::setxattr(path.c_str(), "user.xdg.tags", "holiday,beach", 13, 0) != 0) {
        GTEST_SKIP() << "no user extended attributes here: " << std::strerror(errno);
    }
    ASSERT_EQ(::setxattr(path.c_str(), "user.xdg.comment", "\xe6\xb5\xb7", 3, 0), 0);
    // An access ACL giving one more user read access (system.posix_acl_access).
    const bool acl = std::system(("setfacl -m u:12345:r " + path + " 2>/dev/null").c_str()) == 0;
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 4321, 8765), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), 06764), 0);
    SetFileMtime(path, SampleMtime());
    struct stat before {};
    ::stat(path.c_str(), &before);
    const std::string aclBefore = Xattr(path, "system.posix_acl_access");

    for (const TFormat& format : kFormats) {
        for (bool encode : {true, false}) {
            SCOPED_TRACE(std::string(format.Name) + (encode ? " shield" : " restore"));
            ASSERT_EQ(format.Run(path, encode).Result, 1);
            struct stat after {};
            ::stat(path.c_str(), &after);
            EXPECT_NE(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
            EXPECT_EQ(after.st_uid, before.st_uid);
            EXPECT_EQ(after.st_gid, before.st_gid);
            EXPECT_TRUE(SameTime(after.st_mtim, SampleMtime()));
            EXPECT_EQ(Xattr(path, "user.xdg.tags"), "holiday,beach");
            EXPECT_EQ(Xattr(path, "user.xdg.comment"), "\xe6\xb5\xb7");
            if (acl) {
                EXPECT_EQ(Xattr(path, "system.posix_acl_access"), aclBefore);
            }
            before.st_ino = after.st_ino;
        }
    }
}

// A process that may not give the file its owner drops the set-id bits
// rather than hand them to itself, and says what it could not keep; the
// picture is done all the same.
TEST(FileSafety, WhatCannotBeKeptIsReportedAndThePictureIsDone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a file of another owner";
    }
    TTempDir dir;
    const std::string folder = dir.File("shared");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string path = folder + "/a.jpg";
    const TBytes picture = MakeJpeg(120, 90);
    WriteBytes(path, picture);
    ASSERT_EQ(::chown(path.c_str(), 4321, 4321), 0);
    ASSERT_EQ(::chmod(path.c_str(), 02666), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(90);
        }
        TMemoryStream stream;
        stream.LoadFromFile(path);
        TCodecOption option{&stream, path, true, "", 1};
        TNormalCodec codec(option);
        const bool done = codec.Execute() == 1;
        if (!done) {
            ::_exit(100 + int(codec.Reason()));
        }
        const auto& notKept = codec.NotKept();
        const bool reported =
            notKept.size() == 1 && notKept[0] == "the owner and the set-user/group-id bits";
        ::_exit(done ? (reported ? 0 : 92) : 91);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_EQ(ReadBytes(path).size(), picture.size() + 4);
}
