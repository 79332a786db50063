// The settings readers on arbitrary "murkw.ini", "registry.ini",
// "murkw.hst" and "dir.txt": every value comes back within its range, the
// lists as single lines with the folders sorted and without duplicates,
// reading writes nothing, and what was read is read back the same once
// saved.
#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>

#include "AppSettings.h"
#include "FuzzFile.h"
#include "FuzzFolder.h"
#include "SettingsStore.h"

namespace {

using namespace murkfuzz;

const char* const kFiles[] = {"murkw.ini", "registry.ini", "murkw.hst", "dir.txt"};

bool Within(int64_t value, int64_t low, int64_t high) {
    return value >= low && value <= high;
}

void RequireInRange(const murk::TAppSettings& s) {
    Require(Within(s.MainWidth, 100, 10000) && Within(s.MainHeight, 100, 10000), "window size");
    for (int32_t width : s.ColumnWidths) {
        Require(Within(width, 10, 4000), "column width");
    }
    Require(Within(s.TreeViewWidth, 10, 4000), "tree width");
    Require(Within(s.MurkMode, 0, 2) && Within(s.EncDisp, 0, 1), "mode positions");
    Require(s.ListViewColor <= 0xFFFFFF && s.SamnailBackColor <= 0xFFFFFF, "colours");
    Require(Within(s.LogoutMinutes, 1, 1000), "logout minutes");
    Require(
        Within(s.NormalModeNo, 1, 10) && Within(s.ExtraModeNo, 1, 5) && Within(s.UltraModeNo, 1, 4),
        "codec modes");
    Require(Within(s.ListFont.Height, -1000, 1000) && Within(s.ListFont.Size, 4, 200) &&
                Within(s.ListFont.Style, 0, 15) && s.ListFont.Color <= 0xFFFFFF,
            "list font");
    Require(Within(s.MainLayout, 0, 2), "layout");
    // The extension goes into file names.
    Require(s.NewExt.isEmpty() ||
                (s.NewExt.size() == 3 &&
                 std::all_of(s.NewExt.begin(), s.NewExt.end(),
                             [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); })),
            "new extension");
    Require(!s.RenameExt || !s.NewExt.isEmpty(), "renaming needs an extension");
    for (const QStringList* list : {&s.PasswordHistory, &s.FolderHistory}) {
        for (const QString& entry : *list) {
            Require(!entry.contains(QLatin1Char('\n')), "one line per entry");
        }
    }
    for (qsizetype i = 1; i < s.FolderHistory.size(); ++i) {
        Require(
            QString::compare(s.FolderHistory[i - 1], s.FolderHistory[i], Qt::CaseInsensitive) < 0,
            "folders sorted, without duplicates");
    }
}

}  // namespace

// The four files, in the order of kFiles, as strings of the data provider;
// the last takes what remains.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A folder per input: QSettings keeps what it read of a file by name and
    // could take a rewritten file for the one it knows.
    static const std::string base = FuzzFolder("settings");
    static unsigned run = 0;
    const std::string folder = base + "/" + std::to_string(run++);
    ::mkdir(folder.c_str(), 0700);
    ::setenv("MURKWELL_HOME", folder.c_str(), 1);

    FuzzedDataProvider provider(data, size);
    std::vector<std::string> contents;
    for (size_t i = 0; i < std::size(kFiles); ++i) {
        contents.push_back(i + 1 < std::size(kFiles) ? provider.ConsumeRandomLengthString()
                                                     : provider.ConsumeRemainingBytesAsString());
        const std::string& text = contents.back();
        WriteFile(folder + "/" + kFiles[i],
                  {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    }

    murk::TAppSettings first;
    murk::LoadSettings(first);
    RequireInRange(first);
    for (size_t i = 0; i < std::size(kFiles); ++i) {
        const TBytes now = ReadFile(folder + "/" + kFiles[i]);
        Require(std::string(now.begin(), now.end()) == contents[i], "reading writes nothing");
    }
    Require(Entries(folder).size() == std::size(kFiles), "reading makes no file");

    Require(murk::SaveSettings(first), "saves");
    murk::TAppSettings second;
    murk::LoadSettings(second);
    Require(second == first, "read back the same");

    QDir(QString::fromStdString(folder)).removeRecursively();
    return 0;
}
