#include "SettingsStore.h"

#include <QSettings>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <variant>
#include <vector>

#include "LoginPassword.h"
#include "SettingsFiles.h"

namespace murk {

namespace {

const QString IniFileName = QStringLiteral("murkw.ini");
const QString RegistryFileName = QStringLiteral("registry.ini");
const QString FolderHistoryFileName = QStringLiteral("dir.txt");

// Any fixed text will do: only whether it is empty is ever read.
const QString LoginPasswordMarker = QStringLiteral("Murkwell");

enum class TOutOfRange { Clamp, Default };

struct TFlag {
    bool& (*Ref)(TAppSettings&);
};

struct TNumber {
    int32_t& (*Ref)(TAppSettings&);
    int32_t Min = std::numeric_limits<int32_t>::min();
    int32_t Max = std::numeric_limits<int32_t>::max();
    TOutOfRange OutOfRange = TOutOfRange::Clamp;
};

// 0x00BBGGRR; anything else (a Windows system colour, say) is malformed.
struct TColour {
    uint32_t& (*Ref)(TAppSettings&);
};

struct TText {
    QString& (*Ref)(TAppSettings&);
    bool (*Valid)(const QString&) = nullptr;
};

struct TKey {
    const char* Name;
    // Empty for the values of the registry key itself.
    const char* Group;
    std::variant<TFlag, TNumber, TColour, TText> Value;
};

template <auto Member>
auto& Field(TAppSettings& settings) {
    return settings.*Member;
}

template <auto Member>
auto& FontField(TAppSettings& settings) {
    return settings.ListFont.*Member;
}

template <TListColumn Column>
int32_t& ColumnWidth(TAppSettings& settings) {
    return settings.ColumnWidths[Column];
}

// The renaming of shielded files puts the extension into a path; only what
// the options dialog accepts may reach it.
bool IsNewExtText(const QString& text) {
    return text.size() == 3 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return c.unicode() < 0x80 && c.isLetterOrNumber();
           });
}

constexpr int32_t MinWindowSide = 100;
constexpr int32_t MaxWindowSide = 10000;
constexpr int32_t MinPaneWidth = 10;
constexpr int32_t MaxPaneWidth = 4000;

const char* const Ini = "Murkwell";

// "murkw.ini" in the order of reading; SaveSettings writes the same order
// without "dir".
const TKey IniKeys[] = {
    {"ExtraMode", Ini, TFlag{Field<&TAppSettings::PasswordMode>}},
    {"Shield", Ini, TFlag{Field<&TAppSettings::Shield>}},
    {"AllMode", Ini, TFlag{Field<&TAppSettings::AllMode>}},
    {"History", Ini, TFlag{Field<&TAppSettings::History>}},
    {"dir", Ini, TText{Field<&TAppSettings::LastFolder>}},
    {"SubDir", Ini, TFlag{Field<&TAppSettings::SubDirMode>}},
    {"Beep", Ini, TFlag{Field<&TAppSettings::EndMessage>}},
    {"ResList", Ini, TFlag{Field<&TAppSettings::ResList>}},
    {"MurkCheck", Ini, TFlag{Field<&TAppSettings::MurkCheckMode>}},
    {"Flat", Ini, TFlag{Field<&TAppSettings::Flat>}},
    {"FolderView", Ini, TFlag{Field<&TAppSettings::FolderView>}},
    {"SmallBtn", Ini, TFlag{Field<&TAppSettings::SmallBtn>}},
    {"MainWidth", Ini, TNumber{Field<&TAppSettings::MainWidth>, MinWindowSide, MaxWindowSide}},
    {"MainHeight", Ini, TNumber{Field<&TAppSettings::MainHeight>, MinWindowSide, MaxWindowSide}},
    {"ColmnAttr", Ini, TNumber{ColumnWidth<lcAttr>, MinPaneWidth, MaxPaneWidth}},
    {"ColmnNumber", Ini, TNumber{ColumnWidth<lcNumber>, MinPaneWidth, MaxPaneWidth}},
    {"ColmnState", Ini, TNumber{ColumnWidth<lcState>, MinPaneWidth, MaxPaneWidth}},
    {"ColmnSize", Ini, TNumber{ColumnWidth<lcSize>, MinPaneWidth, MaxPaneWidth}},
    {"ColmnFileName", Ini, TNumber{ColumnWidth<lcFileName>, MinPaneWidth, MaxPaneWidth}},
    {"ColmnDir", Ini, TNumber{ColumnWidth<lcFolder>, MinPaneWidth, MaxPaneWidth}},
    {"TreeViewWidth", Ini,
     TNumber{Field<&TAppSettings::TreeViewWidth>, MinPaneWidth, MaxPaneWidth}},
    {"MurkMode", Ini, TNumber{Field<&TAppSettings::MurkMode>, 0, 2}},
    {"ListViewColor", Ini, TColour{Field<&TAppSettings::ListViewColor>}},
    {"ListTrack", Ini, TFlag{Field<&TAppSettings::ListTrack>}},
    {"EncDisp", Ini, TNumber{Field<&TAppSettings::EncDisp>, 0, 1}},
    {"SamnailBackColor", Ini, TColour{Field<&TAppSettings::SamnailBackColor>}},
};

const char* const Top = "";
const char* const Option = "option";

// "registry.ini" in the order of reading.
const TKey RegistryKeys[] = {
    {"d0", Top, TFlag{Field<&TAppSettings::LoginAtStart>}},
    {"d1", Top, TFlag{Field<&TAppSettings::AutoLogout>}},
    {"d2", Top, TFlag{Field<&TAppSettings::ChangeLoginPassword>}},
    {"d3", Top, TNumber{Field<&TAppSettings::LogoutMinutes>, 1, 1000}},
    {"d4", Top, TText{Field<&TAppSettings::LoginTitle>}},
    {"d5", Top, TFlag{Field<&TAppSettings::RenameExt>}},
    {"d6", Top, TText{Field<&TAppSettings::NewExt>, IsNewExtText}},
    // The codecs' block lengths: Normal 1 to 10 KiB, Extra 1 to 5, Ultra 1 to 4.
    {"d7", Option, TNumber{Field<&TAppSettings::NormalModeNo>, 1, 10}},
    {"d8", Option, TNumber{Field<&TAppSettings::ExtraModeNo>, 1, 5}},
    {"d9", Option, TNumber{Field<&TAppSettings::UltraModeNo>, 1, 4}},
    {"d10", Top, TFlag{Field<&TAppSettings::UltraEnabled>}},
    {"d11", Top, TText{Field<&TAppSettings::MainTitle>}},
    {"d12", Top, TFlag{Field<&TAppSettings::UseJpz>}},
    {"fnCharset", Top, TNumber{FontField<&TListFont::Charset>}},
    {"fnColor", Top, TColour{FontField<&TListFont::Color>}},
    {"fnHeight", Top, TNumber{FontField<&TListFont::Height>, -1000, 1000}},
    {"fnName", Top, TText{FontField<&TListFont::Name>}},
    {"fnPitch", Top, TNumber{FontField<&TListFont::Pitch>}},
    {"fnSize", Top, TNumber{FontField<&TListFont::Size>, 4, 200}},
    // Bits beyond the four styles make the value malformed.
    {"fnStyle", Top, TNumber{FontField<&TListFont::Style>, 0, 15, TOutOfRange::Default}},
    {"ListLine", Option, TFlag{Field<&TAppSettings::ListLine>}},
    {"MainLayout", Top, TNumber{Field<&TAppSettings::MainLayout>, 0, 2}},
};

QString FilePath(const QString& name) {
    return SettingsFolder() + QLatin1Char('/') + name;
}

QString KeyPath(const TKey& key) {
    const QString name = QString::fromLatin1(key.Name);
    return *key.Group ? QString::fromLatin1(key.Group) + QLatin1Char('/') + name : name;
}

std::optional<QString> ReadText(const QSettings& file, const QString& path) {
    if (!file.contains(path)) {
        return std::nullopt;
    }
    const QVariant value = file.value(path);
    // An unquoted comma makes QSettings split a value into a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

std::optional<int64_t> ParseNumber(const std::optional<QString>& text) {
    if (!text) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong number = text->trimmed().toLongLong(&ok, 10);
    return ok ? std::optional<int64_t>(number) : std::nullopt;
}

// Sets one member from its text, or from defaults when the text is missing
// or malformed.
struct TReader {
    std::optional<QString> Text;
    TAppSettings& Settings;
    TAppSettings& Defaults;

    void operator()(const TFlag& key) const {
        const std::optional<int64_t> number = ParseNumber(Text);
        key.Ref(Settings) = number ? *number != 0 : key.Ref(Defaults);
    }

    void operator()(const TNumber& key) const {
        const std::optional<int64_t> number = ParseNumber(Text);
        int32_t& target = key.Ref(Settings);
        if (!number) {
            target = key.Ref(Defaults);
        } else if (*number >= key.Min && *number <= key.Max) {
            target = int32_t(*number);
        } else if (key.OutOfRange == TOutOfRange::Clamp) {
            target = int32_t(std::clamp<int64_t>(*number, key.Min, key.Max));
        } else {
            target = key.Ref(Defaults);
        }
    }

    void operator()(const TColour& key) const {
        const std::optional<int64_t> number = ParseNumber(Text);
        key.Ref(Settings) =
            number && *number >= 0 && *number <= 0xFFFFFF ? uint32_t(*number) : key.Ref(Defaults);
    }

    void operator()(const TText& key) const {
        const bool usable = Text && (!key.Valid || key.Valid(*Text));
        key.Ref(Settings) = usable ? *Text : key.Ref(Defaults);
    }
};

struct TWriter {
    TAppSettings& Settings;

    QString operator()(const TFlag& key) const {
        return key.Ref(Settings) ? QStringLiteral("1") : QStringLiteral("0");
    }
    QString operator()(const TNumber& key) const { return QString::number(key.Ref(Settings)); }
    QString operator()(const TColour& key) const { return QString::number(key.Ref(Settings)); }
    QString operator()(const TText& key) const { return key.Ref(Settings); }
};

void ReadKeys(const QString& path, std::span<const TKey> keys, TAppSettings& settings,
              TAppSettings& defaults) {
    const QSettings file(path, QSettings::IniFormat);
    for (const TKey& key : keys) {
        std::visit(TReader{ReadText(file, KeyPath(key)), settings, defaults}, key.Value);
    }
}

const TKey& FindKey(std::span<const TKey> keys, std::string_view name) {
    const auto key = std::find_if(keys.begin(), keys.end(),
                                  [name](const TKey& key) { return key.Name == name; });
    Q_ASSERT(key != keys.end());
    return *key;
}

using TValues = std::vector<std::pair<QString, QString>>;

// Key paths and their texts, written in the order given.
bool WriteValues(const QString& fileName, const TValues& values) {
    const QString path = FilePath(fileName);
    // QSettings would create a missing folder itself, open to everyone.
    if (!EnsureSettingsFolder() || !MakePrivateFile(path)) {
        return false;
    }
    QSettings file(path, QSettings::IniFormat);
    if (!file.isWritable()) {
        return false;
    }
    for (const auto& [keyPath, text] : values) {
        file.setValue(keyPath, text);
    }
    file.sync();
    // A format error met while reading the old content stays the status (and
    // would hide a later failure, hence the test above), yet the file has
    // been written anew all the same.
    return file.status() != QSettings::AccessError;
}

// The named keys of one table, from settings (a copy: the accessors of the
// tables hand out writable references).
bool WriteKeys(const QString& fileName, std::span<const TKey> keys, TAppSettings settings,
               std::initializer_list<std::string_view> names) {
    TValues values;
    for (const std::string_view name : names) {
        const TKey& key = FindKey(keys, name);
        values.emplace_back(KeyPath(key), std::visit(TWriter{settings}, key.Value));
    }
    return WriteValues(fileName, values);
}

bool WriteRegistry(const TAppSettings& settings, std::initializer_list<std::string_view> names) {
    return WriteKeys(RegistryFileName, RegistryKeys, settings, names);
}

}  // namespace

void LoadSettings(TAppSettings& settings) {
    settings.AppDir = SettingsFolder();
    settings.IniPath = FilePath(IniFileName);

    TAppSettings defaults;
    defaults.LastFolder = settings.AppDir;
    defaults.ListFont = settings.ListFont;

    ReadKeys(settings.IniPath, IniKeys, settings, defaults);
    settings.FolderHistory.clear();
    for (const QString& folder : ReadTextList(FilePath(FolderHistoryFileName))) {
        AddFolderHistory(settings.FolderHistory, folder);
    }

    const QString registryPath = FilePath(RegistryFileName);
    ReadKeys(registryPath, RegistryKeys, settings, defaults);
    // Without an extension a shielded file would be renamed to "name.".
    if (settings.NewExt.isEmpty()) {
        settings.RenameExt = false;
    }

    const QSettings registry(registryPath, QSettings::IniFormat);
    const bool passwordSet =
        !ReadText(registry, QStringLiteral("version/copyright")).value_or(QString()).isEmpty();
    settings.StoredLoginPassword =
        passwordSet
            ? ReadText(registry, QStringLiteral("version/date2")).value_or(QString()).toStdString()
            : std::string();
}

bool SaveSettings(const TAppSettings& settings) {
    bool saved = WriteKeys(
        IniFileName, IniKeys, settings,
        {"ExtraMode",  "Shield",        "AllMode",       "History",   "SubDir",
         "Beep",       "ResList",       "MurkCheck",     "Flat",      "FolderView",
         "SmallBtn",   "MainWidth",     "MainHeight",    "ColmnAttr", "ColmnNumber",
         "ColmnState", "ColmnSize",     "ColmnFileName", "ColmnDir",  "TreeViewWidth",
         "MurkMode",   "ListViewColor", "ListTrack",     "EncDisp",   "SamnailBackColor"});
    saved = SaveLastFolder(settings.LastFolder) && saved;
    saved = WriteTextList(FilePath(FolderHistoryFileName), settings.FolderHistory) && saved;
    return saved;
}

bool SaveLastFolder(const QString& folder) {
    TAppSettings settings;
    settings.LastFolder = folder;
    return WriteKeys(IniFileName, IniKeys, settings, {"dir"});
}

bool SaveModeOptions(const TAppSettings& settings) {
    return WriteRegistry(settings, {"d7", "d8", "d9", "fnCharset", "fnColor", "fnHeight", "fnName",
                                    "fnPitch", "fnSize", "fnStyle"});
}

bool SaveExtOptions(const TAppSettings& settings) {
    return WriteRegistry(settings, {"d5", "d6"});
}

bool SaveLoginOptions(const TAppSettings& settings) {
    return WriteRegistry(
        settings, {"d0", "d1", "d2", "d3", "d4", "d10", "ListLine", "MainLayout", "d11", "d12"});
}

bool SaveChangeLoginPassword(const TAppSettings& settings) {
    return WriteRegistry(settings, {"d2"});
}

bool SaveLoginPassword(TAppSettings& settings, std::string_view password) {
    std::string stored = MakeLoginVerifier(password);
    if (stored.empty()) {
        return false;
    }
    const bool saved = WriteValues(RegistryFileName,
                                   {{QStringLiteral("version/date2"), QString::fromLatin1(stored)},
                                    {QStringLiteral("version/copyright"), LoginPasswordMarker}});
    if (saved) {
        settings.StoredLoginPassword = std::move(stored);
    }
    return saved;
}

}  // namespace murk
