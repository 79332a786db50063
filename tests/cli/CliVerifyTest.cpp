#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <sstream>

#include "CliRunner.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

// The test's own look must not move the access time either.
TBytes ReadBytesNoAtime(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME);
    EXPECT_GE(fd, 0) << path;
    TBytes bytes;
    uint8_t buffer[65536];
    for (ssize_t count; (count = ::read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    ::close(fd);
    return bytes;
}

// Everything a look at a file could change.
struct TFileTrace {
    TBytes Bytes;
    struct timespec Access {};
    struct timespec Modify {};
    struct timespec Change {};
};

TFileTrace Trace(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {ReadBytesNoAtime(path), st.st_atim, st.st_mtim, st.st_ctim};
}

void ExpectUnchanged(const TFileTrace& before, const std::string& path) {
    const TFileTrace after = Trace(path);
    EXPECT_EQ(after.Bytes, before.Bytes) << path;
    EXPECT_TRUE(SameTime(after.Access, before.Access)) << path << ": access time";
    EXPECT_TRUE(SameTime(after.Modify, before.Modify)) << path << ": modification time";
    EXPECT_TRUE(SameTime(after.Change, before.Change)) << path << ": change time";
}

}  // namespace

TEST(CliVerify, EveryFormatWithTheRightAndAWrongPassword) {
    TTempDir dir;
    const TBytes plain = MakeJpeg(200, 150);
    WriteBytes(dir.File("right"), {'r', 'i', 'g', 'h', 't', ' ', 'p', 'w', '\n'});
    WriteBytes(dir.File("wrong"), {'R', 'i', 'g', 'h', 't', ' ', 'p', 'w', '\n'});
    const struct {
        const char* format;
        const char* state;
        bool password;
    } formats[] = {
        {"normal", "Normal", false},
        {"extra", "Extra", true},
        {"ultra", "Ultra", true},
        {"jpz", "Jpz", true},
    };
    const std::string folder = dir.File("pictures");
    ::mkdir(folder.c_str(), 0755);
    for (const auto& f : formats) {
        const std::string path = folder + "/" + f.format + ".jpg";
        WriteBytes(path, plain);
        ASSERT_EQ(
            RunCli({"shield", "--format", f.format, "--password-file", dir.File("right"), path})
                .Status,
            0);
        // Access time no later than the modification time: a plain read
        // would move it.
        SetFileMtime(path, SampleMtime());
    }
    WriteBytes(folder + "/plain.jpg", plain);
    SetFileMtime(folder + "/plain.jpg", SampleMtime());
    const auto names = FolderEntries(folder);

    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        const std::string path = folder + "/" + f.format + ".jpg";
        const TFileTrace before = Trace(path);

        const auto right = RunCli({"verify", "--password-file", dir.File("right"), path});
        EXPECT_EQ(right.Status, 0) << right.Err;
        EXPECT_EQ(right.Out, "ok " + path + " (" + f.state + ")\n");
        ExpectUnchanged(before, path);

        if (f.password) {
            const auto wrong = RunCli({"verify", "--password-file", dir.File("wrong"), path});
            EXPECT_EQ(wrong.Status, 1);
            EXPECT_EQ(wrong.Out, "wrong password " + path + "\n");
            ExpectUnchanged(before, path);

            const auto none = RunCli({"verify", path});
            EXPECT_EQ(none.Status, 1);
            EXPECT_EQ(none.Out, "refused " + path + ": a password is needed\n");
        }
        EXPECT_EQ(FolderEntries(folder), names) << "verify left a file behind";
    }

    const TFileTrace plainBefore = Trace(folder + "/plain.jpg");
    const auto all = RunCli({"verify", "--json", "--password-file", dir.File("right"), folder});
    EXPECT_EQ(all.Status, 0) << all.Err;
    std::map<std::string, std::string> outcomes;
    std::istringstream lines(all.Out);
    for (std::string line; std::getline(lines, line);) {
        const QJsonObject object =
            QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        outcomes[object["path"].toString().toStdString()] =
            object["outcome"].toString().toStdString() + " " +
            object["state"].toString().toStdString();
    }
    EXPECT_EQ(outcomes, (std::map<std::string, std::string>{
                            {folder + "/extra.jpg", "ok Extra"},
                            {folder + "/jpz.jpg", "ok Jpz"},
                            {folder + "/normal.jpg", "ok Normal"},
                            {folder + "/plain.jpg", "skipped Jpeg"},
                            {folder + "/ultra.jpg", "ok Ultra"},
                        }));
    ExpectUnchanged(plainBefore, folder + "/plain.jpg");
}

TEST(CliVerify, ADamagedPictureIsNamedSoAndRestoresOnlyUnchecked) {
    TTempDir dir;
    const std::string path = dir.File("a.jpg");
    WriteBytes(path, MakeJpeg(200, 150));
    ASSERT_EQ(RunCli({"shield", "--format", "normal", path}).Status, 0);
    // The complemented head, bit for bit wrong.
    TBytes bytes = ReadBytes(path);
    for (size_t i = 8; i < 64; ++i) {
        bytes[i] = uint8_t(i * 37);
    }
    WriteBytes(path, bytes);

    const auto result = RunCli({"verify", path});
    EXPECT_EQ(result.Status, 1);
    EXPECT_TRUE(result.Out.starts_with("damaged " + path + ": ")) << result.Out;
    EXPECT_EQ(ReadBytes(path), bytes);

    // A restore refuses it too, unless told to restore without the check.
    const auto restore = RunCli({"restore", path});
    EXPECT_EQ(restore.Status, 1);
    EXPECT_EQ(restore.Out, "refused " + path + ": wrong password, or the file is damaged\n");
    EXPECT_EQ(ReadBytes(path), bytes);
    const auto unchecked = RunCli({"restore", "--no-verify", path});
    EXPECT_EQ(unchecked.Status, 0) << unchecked.Err;
    EXPECT_EQ(unchecked.Out, "restored " + path + "\n");
    EXPECT_EQ(ReadBytes(path).size(), bytes.size() - 4);
}
