#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <filesystem>
#include <sstream>

#include "CliRunner.h"
#include "TestFiles.h"

using namespace murktest;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

QJsonObject ParseObject(const std::string& line) {
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    EXPECT_TRUE(document.isObject()) << line;
    return document.object();
}

std::string Text(const QJsonValue& value) {
    return value.toString().toStdString();
}

}  // namespace

TEST(CliOutput, NamesWithControlCharactersAreEscaped) {
    TTempDir dir;
    const TBytes plain = MakeJpeg(64, 48);
    const std::string crafted = "a\nb\x1b[2J\x1b]0;t\a\\.jpg";
    WriteBytes(dir.File(crafted), plain);
    // A name that is not UTF-8, and one with a C1 control (U+009B, CSI).
    WriteBytes(dir.File("c\xff.jpg"), plain);
    WriteBytes(dir.File("d\xc2\x9b"
                        "1m.jpg"),
               plain);

    const auto check = RunCli({"check", dir.Path()});
    EXPECT_EQ(check.Status, 0);
    const std::string size = std::to_string(plain.size());
    EXPECT_EQ(check.Out, "[ Jpeg  ]\t" + size + "\t" + dir.Path() +
                             "/a\\nb\\e[2J\\e]0;t\\x07\\\\.jpg\n"
                             "[ Jpeg  ]\t" +
                             size + "\t" + dir.Path() +
                             "/c\\xFF.jpg\n"
                             "[ Jpeg  ]\t" +
                             size + "\t" + dir.Path() + "/d\\xC2\\x9B1m.jpg\n");
    EXPECT_EQ(check.Out.find('\x1b'), std::string::npos);

    const auto shield = RunCli({"shield", "--format", "normal", dir.File(crafted)});
    EXPECT_EQ(shield.Status, 0);
    EXPECT_EQ(Lines(shield.Out).size(), 1u) << shield.Out;

    // JSON keeps the name exactly, as JSON escapes.
    const auto json = RunCli({"check", "--json", dir.File(crafted)});
    const auto lines = Lines(json.Out);
    ASSERT_EQ(lines.size(), 1u) << json.Out;
    EXPECT_EQ(lines[0].find('\x1b'), std::string::npos);
    EXPECT_EQ(Text(ParseObject(lines[0])["path"]), dir.File(crafted));
}

TEST(CliOutput, JsonLinesParseBack) {
    TTempDir dir;
    const TBytes plain = MakeJpeg(200, 150);
    WriteBytes(dir.File("a.jpg"), plain);
    WriteBytes(dir.File("b.jpg"), plain);
    ASSERT_EQ(RunCli({"shield", "--format", "normal", dir.File("b.jpg")}).Status, 0);
    std::filesystem::create_directory(dir.File(".cache"));

    const auto check = RunCli({"check", "--json", "-r", dir.Path(), dir.File("gone.jpg")});
    EXPECT_EQ(check.Status, 1);
    const auto lines = Lines(check.Out);
    ASSERT_EQ(lines.size(), 4u) << check.Out;
    const struct {
        std::string path;
        const char* state;
        double size;
        const char* outcome;
        const char* reason;
    } expected[] = {
        {dir.File(".cache/"), nullptr, -1, "skipped", "hidden folder"},
        {dir.File("a.jpg"), "Jpeg", double(plain.size()), "ok", nullptr},
        {dir.File("b.jpg"), "Normal", double(plain.size() + 4), "ok", nullptr},
        {dir.File("gone.jpg"), nullptr, -1, "failed", "No such file or directory"},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        const QJsonObject object = ParseObject(lines[i]);
        EXPECT_EQ(Text(object["path"]), expected[i].path);
        EXPECT_EQ(Text(object["outcome"]), expected[i].outcome);
        if (expected[i].state) {
            EXPECT_EQ(Text(object["state"]), expected[i].state);
            EXPECT_EQ(object["size"].toDouble(), expected[i].size);
        } else {
            EXPECT_TRUE(object["state"].isNull());
            EXPECT_TRUE(object["size"].isNull());
        }
        if (expected[i].reason) {
            EXPECT_EQ(Text(object["reason"]), expected[i].reason);
        } else {
            EXPECT_FALSE(object.contains("reason"));
        }
    }
}

TEST(CliOutput, HelpAndVersionGoToStandardOutput) {
    const struct {
        std::vector<std::string> args;
        std::string part;
    } cases[] = {
        {{"--help"}, "Usage: murkwell-cli [OPTIONS] SUBCOMMAND"},
        {{"-h"}, "verify"},
        {{"help"}, "Exit status: 0"},
        {{"help", "verify"}, "Usage: murkwell-cli verify [OPTIONS] PATH..."},
        {{"shield", "--help"}, "--format FORMAT:{normal,extra,ultra,jpz}"},
        {{"restore", "--help"}, "--no-verify"},
        {{"check", "-h"}, "--json"},
        {{"--version"}, std::string("murkwell-cli ") + MURKWELL_VERSION + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        const auto result = RunCli(c.args);
        EXPECT_EQ(result.Status, 0);
        EXPECT_NE(result.Out.find(c.part), std::string::npos) << result.Out;
        EXPECT_EQ(result.Err, "");
    }
    const auto unknown = RunCli({"help", "unshield"});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_EQ(unknown.Out, "");
    EXPECT_NE(unknown.Err.find("no command 'unshield'"), std::string::npos);
}

TEST(CliOutput, AJpegFileRestoresIntoAJpgBesideIt) {
    TTempDir dir;
    const TBytes plain = MakeJpeg(64, 48);
    const std::string photo = dir.File("photo.jpeg"), restored = dir.File("photo.jpg");
    WriteBytes(photo, plain);
    WriteBytes(dir.File("pass"), {'1', '2', '3', '4', '5', '6', '7', '8'});
    const std::vector<std::string> password{"--password-file", dir.File("pass")};
    auto args = [&](std::vector<std::string> head, const std::string& path) {
        head.insert(head.end(), password.begin(), password.end());
        head.push_back(path);
        return head;
    };
    ASSERT_EQ(RunCli(args({"shield", "--format", "jpz"}, photo)).Status, 0);
    const TBytes shielded = ReadBytes(photo);

    WriteBytes(restored, {'m', 'i', 'n', 'e'});
    const auto blocked = RunCli(args({"restore"}, photo));
    EXPECT_EQ(blocked.Status, 1);
    EXPECT_EQ(blocked.Out, "refused " + photo + ": " + restored + " is in the way\n");
    EXPECT_EQ(ReadBytes(restored), TBytes({'m', 'i', 'n', 'e'}));

    std::filesystem::remove(restored);
    const auto result = RunCli(args({"restore"}, photo));
    EXPECT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out,
              "restored " + photo + " into " + restored + " (photo.jpeg stays shielded)\n");
    EXPECT_EQ(ReadBytes(restored), plain);
    EXPECT_EQ(ReadBytes(photo), shielded);
}
