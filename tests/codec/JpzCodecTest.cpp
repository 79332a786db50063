#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CodecChoice.h"
#include "FileSystem.h"
#include "JpzCodec.h"
#include "JpzLibrary.h"
#include "MemoryStream.h"
#include "TestFiles.h"
#include "murkcheck.h"

using namespace murk;
using murktest::TBytes;

namespace {

constexpr const char kPassword[] = "8 bytes!";

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::vector<std::string> LogLines(const std::string& log) {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

struct TRun {
    int Result = 0;
    TRefusal Reason = TRefusal::None;
};

TRun RunCodec(const std::string& path, bool encode, const std::string& password) {
    TMemoryStream stream;
    stream.LoadFromFile(path);
    TCodecOption option;
    option.Stream = &stream;
    option.FileName = path;
    option.Encode = encode;
    option.Password = password;
    TJpzCodec codec(option);
    const int result = codec.Execute();
    return {result, codec.Reason()};
}

class JpzCodecTest : public ::testing::Test {
protected:
    void TearDown() override {
        TJpzLibrary::Instance().Release();
        ::unsetenv("MURKWELL_JPZ");
        ::unsetenv("FAKE_JPZ_MODE");
        ::unsetenv("FAKE_JPZ_LOG");
    }

    static void UseLibrary(const char* path) {
        TJpzLibrary::Instance().Release();
        ::setenv("MURKWELL_JPZ", path, 1);
        ASSERT_TRUE(TJpzLibrary::Instance().Load()) << path;
    }

    // Writes a picture with a known time stamp and mode.
    TBytes MakePicture(const std::string& path) {
        const TBytes picture = murktest::MakeJpeg(40, 30);
        murktest::WriteBytes(path, picture);
        EXPECT_EQ(::chmod(path.c_str(), 0640), 0);
        murktest::SetFileMtime(path, murktest::SampleMtime());
        return picture;
    }

    void ExpectUnchanged(const std::string& path, const TBytes& bytes) {
        EXPECT_EQ(murktest::ReadBytes(path), bytes) << path;
        EXPECT_TRUE(murktest::SameTime(murktest::FileMtime(path), murktest::SampleMtime())) << path;
    }

    murktest::TTempDir dir;
    const std::string log = dir.File("calls.log");
};

}  // namespace

TEST_F(JpzCodecTest, ShieldAndRestoreGiveBackBytesAndTime) {
    UseLibrary(JPZ_LIBRARY_PATH);
    for (const char* name : {"photo.jpg", "UPPER.JPG"}) {
        SCOPED_TRACE(name);
        murktest::TTempDir folder;
        const std::string path = folder.File(name);
        const TBytes picture = MakePicture(path);

        TMemoryStream stream;
        stream.LoadFromFile(path);
        TShieldSelection selection;
        selection.ShieldKind = 3;
        selection.JpzAvailable = true;
        const TCodecOutcome shield = DispatchCodec(stream, path, true, kPassword, 1, selection);
        ASSERT_EQ(shield.Result, 1) << RefusalText(shield.Reason);
        TBytes shielded = murktest::ReadBytes(path);
        EXPECT_EQ(LastState, msJpz);
        EXPECT_EQ(LastSize, int64_t(shielded.size()));
        ASSERT_GT(shielded.size(), picture.size() + 8);
        EXPECT_EQ(ReadUInt32LE(shielded.data()), uint32_t(kJpzMagic));
        EXPECT_EQ(ReadUInt32LE(shielded.data() + 4), ~uint32_t(shielded.size() - 8));
        EXPECT_EQ(murktest::Hex(TBytes(shielded.begin() + 8, shielded.begin() + 12)), "4a505a1a");
        EXPECT_TRUE(murktest::SameTime(murktest::FileMtime(path), murktest::SampleMtime()));
        EXPECT_EQ(murktest::FileMode(path), 0640u);
        EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{name});

        // The length word is not read back.
        PutUInt32LE(shielded.data() + 4, 0);
        murktest::WriteBytes(path, shielded);
        murktest::SetFileMtime(path, murktest::SampleMtime());
        const TRun restore = RunCodec(path, false, kPassword);
        ASSERT_EQ(restore.Result, 1) << RefusalText(restore.Reason);
        ExpectUnchanged(path, picture);
        EXPECT_EQ(LastState, msJpeg);
        EXPECT_EQ(LastSize, int64_t(picture.size()));
        EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{name});
    }
}

TEST_F(JpzCodecTest, PasswordShorterThanEightBytesNeverReachesTheLibrary) {
    UseLibrary(FAKE_JPZ_PATH);
    ::setenv("FAKE_JPZ_LOG", log.c_str(), 1);
    const std::string path = dir.File("photo.jpg");
    const TBytes picture = MakePicture(path);
    // The library would see the password cut at the NUL byte.
    const std::pair<std::string, TRefusal> cases[] = {
        {"7 bytes", TRefusal::PasswordTooShort},
        {std::string("7 bytes\0!", 9), TRefusal::PasswordHasNul},
        {std::string("password\0tail", 13), TRefusal::PasswordHasNul},
    };
    for (const auto& [password, reason] : cases) {
        for (bool encode : {true, false}) {
            const TRun run = RunCodec(path, encode, password);
            EXPECT_EQ(run.Result, 0);
            EXPECT_EQ(run.Reason, reason);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(log));
    ExpectUnchanged(path, picture);

    EXPECT_EQ(RunCodec(path, true, kPassword).Result, 1);
    EXPECT_EQ(RunCodec(path, false, kPassword).Result, 1);
    EXPECT_EQ(LogLines(log).size(), 2u);
    ExpectUnchanged(path, picture);
}

// The library writes only hidden scratch files of this process beside the
// picture, which a later run would remove should this one be killed; the
// picture itself is replaced only by the codec.
TEST_F(JpzCodecTest, LibraryWritesOnlyScratchFilesBesideThePicture) {
    UseLibrary(FAKE_JPZ_PATH);
    ::setenv("FAKE_JPZ_LOG", log.c_str(), 1);
    ASSERT_EQ(::mkdir(dir.File("a.b").c_str(), 0700), 0);
    const std::string pid = std::to_string(::getpid());
    auto isScratch = [&](const std::string& path, const std::string& folder) {
        const std::string name = BaseName(path);
        return DirName(path) == folder && IsReplaceTemporaryName(name) &&
               name.starts_with(".murkwell-" + pid + "-");
    };
    // A name without ".jpg" restores to a new picture beside the shielded file.
    const std::pair<const char*, const char*> cases[] = {
        {"photo.jpg", nullptr}, {"a.b/photo", "photo.jpg"}, {"other.jpeg", "other.jpg"}};
    for (const auto& [file, restored] : cases) {
        SCOPED_TRACE(file);
        std::filesystem::remove(log);
        const std::string path = dir.File(file);
        const std::string folder = DirName(path);
        MakePicture(path);
        const auto before = FolderEntries(folder);
        ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);
        ASSERT_EQ(RunCodec(path, false, kPassword).Result, 1);
        const std::vector<std::string> lines = LogLines(log);
        ASSERT_EQ(lines.size(), 2u);
        std::istringstream shield(lines[0]), restore(lines[1]);
        std::string function, jpz, jpg, password;
        shield >> function >> jpz >> jpg >> std::ws;
        std::getline(shield, password);
        EXPECT_EQ(function, "JPGtoJPZ");
        EXPECT_TRUE(isScratch(jpz, folder)) << jpz;
        EXPECT_EQ(jpg, path);
        EXPECT_EQ(password, kPassword);
        restore >> function >> jpz >> jpg;
        EXPECT_TRUE(isScratch(jpz, folder)) << jpz;
        EXPECT_TRUE(isScratch(jpg, folder)) << jpg;
        EXPECT_NE(jpz, jpg);
        std::set<std::string> after = before;
        if (restored != nullptr) {
            after.insert(restored);
        }
        after.insert("calls.log");
        std::set<std::string> now = FolderEntries(folder);
        now.insert("calls.log");
        EXPECT_EQ(now, after);
    }
}

TEST_F(JpzCodecTest, WrongPasswordLeavesTheFileAsItWas) {
    UseLibrary(JPZ_LIBRARY_PATH);
    const std::string path = dir.File("photo.jpg");
    MakePicture(path);
    ASSERT_EQ(RunCodec(path, true, "password one").Result, 1);
    const TBytes shielded = murktest::ReadBytes(path);

    const TRun run = RunCodec(path, false, "password two");
    EXPECT_EQ(run.Result, 0);
    EXPECT_EQ(run.Reason, TRefusal::WrongPassword);
    ExpectUnchanged(path, shielded);
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"photo.jpg"});
}

TEST_F(JpzCodecTest, RestoresAJpegNameBesideItself) {
    UseLibrary(JPZ_LIBRARY_PATH);
    const std::string path = dir.File("photo.jpeg");
    const std::string picture = dir.File("photo.jpg");
    const TBytes original = MakePicture(path);
    ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);
    const TBytes shielded = murktest::ReadBytes(path);

    const TRun run = RunCodec(path, false, kPassword);
    ASSERT_EQ(run.Result, 1) << RefusalText(run.Reason);
    ExpectUnchanged(picture, original);
    EXPECT_EQ(murktest::FileMode(picture), 0640u);
    EXPECT_EQ(LastState, msJpeg);
    EXPECT_EQ(LastSize, int64_t(original.size()));
    ExpectUnchanged(path, shielded);
    EXPECT_EQ(FolderEntries(dir.Path()), (std::set<std::string>{"photo.jpeg", "photo.jpg"}));
}

TEST_F(JpzCodecTest, NeverOverwritesAnotherFileAtThePicturePath) {
    UseLibrary(JPZ_LIBRARY_PATH);
    const std::string path = dir.File("photo.jpeg");
    MakePicture(path);
    ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);
    const TBytes shielded = murktest::ReadBytes(path);
    const std::string picture = dir.File("photo.jpg");

    for (bool dangling : {false, true}) {
        SCOPED_TRACE(dangling);
        std::filesystem::remove(picture);
        if (dangling) {
            ASSERT_EQ(::symlink("nowhere.jpg", picture.c_str()), 0);
        } else {
            murktest::WriteBytes(picture, {7, 7, 7});
        }
        const auto before = FolderEntries(dir.Path());
        const TRun run = RunCodec(path, false, kPassword);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, TRefusal::PictureExists);
        ExpectUnchanged(path, shielded);
        EXPECT_EQ(FolderEntries(dir.Path()), before);
        if (dangling) {
            EXPECT_TRUE(std::filesystem::is_symlink(picture));
        } else {
            EXPECT_EQ(murktest::ReadBytes(picture), TBytes({7, 7, 7}));
        }
    }
}

TEST_F(JpzCodecTest, NeverTouchesAUserFileAtTheScratchPath) {
    UseLibrary(JPZ_LIBRARY_PATH);
    const std::string path = dir.File("photo.jpg");
    const std::string userFile = dir.File("photo.jpz");
    const TBytes original = MakePicture(path);
    const TBytes userBytes = {'m', 'i', 'n', 'e'};
    murktest::WriteBytes(userFile, userBytes);
    murktest::SetFileMtime(userFile, murktest::SampleMtime());

    ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);
    ExpectUnchanged(userFile, userBytes);
    ASSERT_EQ(RunCodec(path, false, kPassword).Result, 1);
    ExpectUnchanged(userFile, userBytes);
    ExpectUnchanged(path, original);
    EXPECT_EQ(FolderEntries(dir.Path()), (std::set<std::string>{"photo.jpg", "photo.jpz"}));
}

// After a failure nothing is written over the picture: a picture still as
// it was read needs nothing, and one that changed is no longer the codec's
// to write (here the fake library damaged it, as any other program could).
TEST_F(JpzCodecTest, LibraryFailureWritesNothing) {
    UseLibrary(FAKE_JPZ_PATH);
    const std::string path = dir.File("photo.jpg");
    const TBytes original = MakePicture(path);
    ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);
    const TBytes shielded = murktest::ReadBytes(path);
    struct Case {
        const char* mode;
        bool encode;
        const TBytes& bytes;
    };
    const Case cases[] = {
        // The fake damages its output and fails; the picture is not its output.
        {"fail", false, shielded},
        // Success without output (fault of the library): nothing is stored.
        {"silent", true, original},
        {"remove", true, original},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.encode ? " shield" : " restore"));
        murktest::WriteBytes(path, c.bytes);
        murktest::SetFileMtime(path, murktest::SampleMtime());
        ::setenv("FAKE_JPZ_MODE", c.mode, 1);
        const TRun run = RunCodec(path, c.encode, kPassword);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, TRefusal::JpzFailed);
        ExpectUnchanged(path, c.bytes);
        EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"photo.jpg"});
    }
    murktest::WriteBytes(path, original);
    ::setenv("FAKE_JPZ_MODE", "fail", 1);
    EXPECT_EQ(RunCodec(path, true, kPassword).Reason, TRefusal::JpzFailed);
    EXPECT_EQ(murktest::ReadBytes(path), TBytes({'d', 'a', 'm', 'a', 'g', 'e', 'd'}));
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"photo.jpg"});
}

TEST_F(JpzCodecTest, FolderThatCannotTakeTheScratchFileRefusesTheFile) {
    UseLibrary(JPZ_LIBRARY_PATH);
    const std::string folder = dir.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/photo.jpg";
    const TBytes original = MakePicture(path);
    // The file itself stays writable for everyone; only its folder is closed.
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && ::setuid(65534) != 0) {
            ::_exit(90);
        }
        const TRun run = RunCodec(path, true, kPassword);
        ::_exit(run.Result == 0 && run.Reason == TRefusal::CannotWrite ? 0 : 91);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ExpectUnchanged(path, original);
    EXPECT_EQ(FolderEntries(folder), std::set<std::string>{"photo.jpg"});
}

TEST_F(JpzCodecTest, MissingLibraryIsNotAvailable) {
    const std::string path = dir.File("photo.jpg");
    const TBytes original = MakePicture(path);
    for (const char* choice : {"none", "/nonexistent/libjpz.so", FAKE_JPZ_HALF_PATH}) {
        SCOPED_TRACE(choice);
        TJpzLibrary& library = TJpzLibrary::Instance();
        EXPECT_TRUE(library.Release());
        ::setenv("MURKWELL_JPZ", choice, 1);
        EXPECT_FALSE(library.Load());
        EXPECT_FALSE(library.Available());
        const TRun run = RunCodec(path, true, kPassword);
        EXPECT_EQ(run.Result, 0);
        EXPECT_EQ(run.Reason, TRefusal::JpzUnavailable);
        ExpectUnchanged(path, original);
        EXPECT_TRUE(library.Release());
        EXPECT_TRUE(library.Release());
    }

    // A shielded file is not restored while the library is missing.
    UseLibrary(JPZ_LIBRARY_PATH);
    ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);
    const TBytes shielded = murktest::ReadBytes(path);
    murktest::SetFileMtime(path, murktest::SampleMtime());
    TJpzLibrary::Instance().Release();
    ::setenv("MURKWELL_JPZ", "none", 1);
    TShieldSelection selection;
    selection.JpzAvailable = TJpzLibrary::Instance().Load();
    TMemoryStream stream;
    stream.LoadFromFile(path);
    const TCodecOutcome outcome = DispatchCodec(stream, path, false, kPassword, 1, selection);
    EXPECT_EQ(outcome.Result, 0);
    EXPECT_STREQ(RefusalText(outcome.Reason), "Jpz library not available");
    ExpectUnchanged(path, shielded);
}

TEST_F(JpzCodecTest, OneReleaseUnloadsTheLibraryLoadedTwice) {
    UseLibrary(JPZ_LIBRARY_PATH);
    ASSERT_TRUE(TJpzLibrary::Instance().Load());
    const std::string path = dir.File("photo.jpg");
    MakePicture(path);
    ASSERT_EQ(RunCodec(path, true, kPassword).Result, 1);

    EXPECT_TRUE(TJpzLibrary::Instance().Release());
    EXPECT_FALSE(TJpzLibrary::Instance().Available());
    // Unloaded, so its destructor has wiped the keys it held.
    EXPECT_EQ(::dlopen(JPZ_LIBRARY_PATH, RTLD_LAZY | RTLD_NOLOAD), nullptr);
}
