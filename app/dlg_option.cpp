#include "dlg_option.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "Cp932.h"
#include "ListFontQt.h"
#include "MessageBox.h"
#include "PickDialogs.h"
#include "RgbQt.h"
#include "SettingsStore.h"

namespace murk {

namespace {

const QString WarnCaption = QStringLiteral("警告");

constexpr int MinLogoutMinutes = 1;
constexpr int MaxLogoutMinutes = 1000;

QComboBox* ModeBox(QWidget* parent, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    return box;
}

// Item number - 1, or an empty text when the number names no item.
void ShowMode(QComboBox* box, int number) {
    if (number >= 1 && number <= box->count()) {
        box->setCurrentIndex(number - 1);
    } else {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

QGroupBox* Group(const QString& title, QWidget* parent) {
    return new QGroupBox(title, parent);
}

}  // namespace

int ModeNumber(const QComboBox* box) {
    const QString text = box->currentText();
    // The extra mode box offers an empty item; it names no mode.
    if (text.isEmpty()) {
        return 0;
    }
    for (int i = 0; i < box->count(); ++i) {
        if (QString::compare(box->itemText(i), text, Qt::CaseInsensitive) == 0) {
            return i + 1;
        }
    }
    return 0;
}

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsValidExt(const QString& text, QWidget* parent) {
    const TCp932Result bytes = ToCp932(text.toStdString());
    // A character without a CP932 form is certainly none of the allowed ones.
    if (bytes.Ok && bytes.Bytes.size() != 3) {
        ShowMessageBox(parent, WarnCaption, QStringLiteral("拡張子は3文字です"));
        return false;
    }
    if (!bytes.Ok || !std::all_of(bytes.Bytes.begin(), bytes.Bytes.end(), IsAlnum)) {
        ShowMessageBox(parent, WarnCaption, QStringLiteral("不正な文字が含まれています"));
        return false;
    }
    return true;
}

TdlgOption::TdlgOption(TAppSettings& settings, TOptionHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FSettings(settings),
      FHost(host) {
    setObjectName(QStringLiteral("dlgOption"));
    setWindowTitle(QStringLiteral("Option"));
    setModal(true);
    setMinimumSize(312, 230);

    PageControl = new QTabWidget(this);
    PageControl->setDocumentMode(true);
    PageControl->addTab(LoginPage(), QStringLiteral("Login 変更"));
    PageControl->addTab(ExtPage(), QStringLiteral("拡張子"));
    PageControl->addTab(ModePage(), QStringLiteral("変換モード"));
    PageControl->addTab(ListPage(), QStringLiteral("リスト表示"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PageControl);
}

QWidget* TdlgOption::LoginPage() {
    auto* page = new QWidget;

    auto* groupBox1 = Group(QStringLiteral("変更は次回起動時に有効になります"), page);
    cbLoginEnable = new QCheckBox(QStringLiteral("起動時にLogin画面を出す"), groupBox1);
    CbPassChange = new QCheckBox(QStringLiteral("Login パスワードの変更"), groupBox1);
    auto* login = new QVBoxLayout(groupBox1);
    login->addWidget(cbLoginEnable);
    login->addWidget(CbPassChange);

    auto* groupBox2 = Group(QStringLiteral("ログインタイトルの変更"), page);
    edLoginTitle = new QLineEdit(QStringLiteral("Murkwell ログイン"), groupBox2);
    (new QVBoxLayout(groupBox2))->addWidget(edLoginTitle);

    cbAutoLogout = new QCheckBox(QStringLiteral("オートLogoutまでの時間"), page);
    edTime = new QSpinBox(page);
    edTime->setRange(MinLogoutMinutes, MaxLogoutMinutes);
    edTime->setValue(5);
    edTime->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    auto* logout = new QHBoxLayout;
    logout->addWidget(cbAutoLogout);
    logout->addWidget(edTime);
    logout->addWidget(new QLabel(QStringLiteral("分"), page));
    logout->addStretch(1);

    auto* groupBox6 = Group(QStringLiteral("メインタイトルの変更"), page);
    edMainTitle = new QLineEdit(QStringLiteral("Murkwell for Windows"), groupBox6);
    (new QVBoxLayout(groupBox6))->addWidget(edMainTitle);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(groupBox1);
    layout->addWidget(groupBox2);
    layout->addLayout(logout);
    layout->addWidget(groupBox6);
    layout->addStretch(1);

    connect(cbLoginEnable, &QCheckBox::clicked, this, &TdlgOption::cbLoginEnableClick);
    return page;
}

QWidget* TdlgOption::ExtPage() {
    auto* page = new QWidget;
    cbjpgjpg = new QCheckBox(QStringLiteral("*.jpg -> *.jpg (通常はこちら）"), page);
    cbjpgxxx = new QCheckBox(QStringLiteral("*.jpg -> *."), page);
    edNewExt = new QLineEdit(page);
    edNewExt->setMaximumWidth(60);

    auto* renamed = new QHBoxLayout;
    renamed->addWidget(cbjpgxxx);
    renamed->addWidget(edNewExt);
    renamed->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("＊変換後の拡張子指定"), page));
    layout->addWidget(cbjpgjpg);
    layout->addLayout(renamed);
    layout->addWidget(new QLabel(QStringLiteral("(3文字1種類)"), page));
    layout->addWidget(new QLabel(QStringLiteral("[a-Z] [0-9]の組み合わせのみ"), page));
    layout->addStretch(1);

    connect(cbjpgjpg, &QCheckBox::clicked, this, &TdlgOption::cbjpgjpgClick);
    connect(cbjpgxxx, &QCheckBox::clicked, this, &TdlgOption::cbjpgxxxClick);
    return page;
}

QWidget* TdlgOption::ModePage() {
    auto* page = new QWidget;
    CboxNormalMode =
        ModeBox(page, {QStringLiteral("Standard"), QStringLiteral("Mode 1"),
                       QStringLiteral("Mode 2"), QStringLiteral("Mode 3"), QStringLiteral("Mode 4"),
                       QStringLiteral("Mode 5"), QStringLiteral("Mode 6"), QStringLiteral("Mode 7"),
                       QStringLiteral("Mode 8"), QStringLiteral("Mode 9")});
    auto* normal = new QFormLayout;
    normal->addRow(QStringLiteral("Normal Mode"), CboxNormalMode);

    auto* groupBox4 = Group(QStringLiteral("Extra　Mode オプション"), page);
    CboxExtraMode = ModeBox(
        groupBox4, {QStringLiteral("Standard"), QStringLiteral("Mode 1"), QStringLiteral("Mode 2"),
                    QStringLiteral("Mode 3"), QStringLiteral("Mode 4"), QString()});
    cbUltra = new QCheckBox(QStringLiteral("Ultra"), groupBox4);
    cboxUltraMode = ModeBox(groupBox4, {QStringLiteral("Ultra 1"), QStringLiteral("Ultra 2"),
                                        QStringLiteral("Ultra 3"), QStringLiteral("Ultra 4")});
    auto* extra = new QGridLayout(groupBox4);
    extra->addWidget(new QLabel(QStringLiteral("Extra Mode"), groupBox4), 0, 0);
    extra->addWidget(CboxExtraMode, 0, 1);
    extra->addWidget(cbUltra, 1, 0);
    extra->addWidget(cboxUltraMode, 1, 1);

    cbJpz = new QCheckBox(QStringLiteral("JPZ.DLLを使う"), page);

    auto* layout = new QVBoxLayout(page);
    auto* note =
        new QLabel(QStringLiteral("通常は Standard です。　詳細はReadmeを参照してください"), page);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addLayout(normal);
    layout->addWidget(groupBox4);
    layout->addWidget(cbJpz);
    layout->addStretch(1);

    connect(cbUltra, &QCheckBox::clicked, this, &TdlgOption::cbUltraClick);
    connect(cbJpz, &QCheckBox::clicked, this, &TdlgOption::cbJpzClick);
    return page;
}

QWidget* TdlgOption::ListPage() {
    auto* page = new QWidget;

    auto* groupBox3 = Group(QStringLiteral("リスト"), page);
    cbListLine = new QCheckBox(QStringLiteral("リストに横線を入れる"), groupBox3);
    btnListColor = new QPushButton(QStringLiteral("背景色"), groupBox3);
    btnListFont = new QPushButton(QStringLiteral("フォント"), groupBox3);
    btnListTextColor = new QPushButton(QStringLiteral("文字色"), groupBox3);
    auto* list = new QGridLayout(groupBox3);
    list->addWidget(cbListLine, 0, 0, 1, 2);
    list->addWidget(btnListColor, 1, 0);
    list->addWidget(btnListFont, 1, 1);
    list->addWidget(btnListTextColor, 2, 0);

    auto* groupBox5 = Group(QStringLiteral("サムネイル"), page);
    SpeedButton1 = new QPushButton(QStringLiteral("背景色"), groupBox5);
    (new QVBoxLayout(groupBox5))->addWidget(SpeedButton1);

    rgOption = Group(QStringLiteral("表示"), page);
    FLayouts = new QButtonGroup(this);
    auto* layouts = new QVBoxLayout(rgOption);
    const QString items[] = {QStringLiteral("サムネイル＆フォルダツリー表示"),
                             QStringLiteral("サムネイル表示のみ"),
                             QStringLiteral("サムネイル＆フォルダツリー非表示")};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(items[i], rgOption);
        FLayouts->addButton(item, i);
        layouts->addWidget(item);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(groupBox3, 2);
    top->addWidget(groupBox5, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(rgOption);
    layout->addStretch(1);

    connect(cbListLine, &QCheckBox::clicked, this, &TdlgOption::cbListLineClick);
    connect(btnListColor, &QPushButton::clicked, this, [this] { FHost.ListColor1Click(); });
    connect(btnListFont, &QPushButton::clicked, this, &TdlgOption::btnListFontClick);
    connect(btnListTextColor, &QPushButton::clicked, this, &TdlgOption::btnListTextColorClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TdlgOption::SpeedButton1Click);
    connect(FLayouts, &QButtonGroup::idClicked, this, &TdlgOption::rgOptionClick);
    return page;
}

void TdlgOption::SelectLayout(int index) {
    if (QAbstractButton* item = FLayouts->button(index)) {
        item->setChecked(true);
    }
}

int TdlgOption::LayoutIndex() const {
    return FLayouts->checkedId();
}

void TdlgOption::showEvent(QShowEvent* event) {
    // Shown again by the window manager, the dialog keeps what was changed.
    if (!event->spontaneous()) {
        FormShow();
    }
    QDialog::showEvent(event);
}

void TdlgOption::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TdlgOption::FormShow() {
    cbLoginEnable->setChecked(FSettings.LoginAtStart);
    CbPassChange->setEnabled(FSettings.LoginAtStart);
    if (!FSettings.LoginAtStart) {
        CbPassChange->setChecked(false);
    }

    cbAutoLogout->setChecked(FSettings.AutoLogout);
    edTime->setValue(FSettings.LogoutMinutes);
    edLoginTitle->setText(FSettings.LoginTitle);
    edMainTitle->setText(FSettings.MainTitle);

    cbjpgjpg->setChecked(!FSettings.RenameExt);
    cbjpgxxx->setChecked(FSettings.RenameExt);
    edNewExt->setEnabled(FSettings.RenameExt);
    if (FSettings.RenameExt) {
        edNewExt->setText(FSettings.NewExt);
    }

    ShowMode(CboxNormalMode, FSettings.NormalModeNo);
    ShowMode(CboxExtraMode, FSettings.ExtraModeNo);
    cbUltra->setChecked(FSettings.UltraEnabled);
    ShowMode(cboxUltraMode, FSettings.UltraModeNo);
    cbUltraClick();

    cbListLine->setChecked(FHost.ListLineShown());

    cbJpz->setEnabled(FSettings.JpzAvailable);
    cbJpz->setChecked(FSettings.UseJpz);
}

void TdlgOption::cbLoginEnableClick() {
    CbPassChange->setEnabled(cbLoginEnable->isChecked());
    if (!cbLoginEnable->isChecked()) {
        CbPassChange->setChecked(false);
    }
}

void TdlgOption::cbjpgjpgClick() {
    cbjpgxxx->setChecked(!cbjpgjpg->isChecked());
    edNewExt->setEnabled(!cbjpgjpg->isChecked());
}

void TdlgOption::cbjpgxxxClick() {
    cbjpgjpg->setChecked(!cbjpgxxx->isChecked());
    edNewExt->setEnabled(cbjpgxxx->isChecked());
}

void TdlgOption::cbUltraClick() {
    cboxUltraMode->setEnabled(cbUltra->isChecked());
    FSettings.UltraEnabled = cbUltra->isChecked();
    FHost.SetUltraItemsVisible(FSettings.UltraEnabled);
}

void TdlgOption::cbJpzClick() {
    FSettings.UseJpz = cbJpz->isChecked();
    FHost.SetJpzItemsVisible(FSettings.UseJpz && FSettings.JpzAvailable);
}

void TdlgOption::cbListLineClick() {
    FHost.SetListLine(cbListLine->isChecked());
}

void TdlgOption::btnListFontClick() {
    if (const std::optional<QFont> font = PickFont(this, FHost.ListFont())) {
        FHost.SetListFont(*font);
        FSettings.ListFont = ListFontFromFont(*font, FSettings.ListFont);
    }
}

void TdlgOption::btnListTextColorClick() {
    const QColor current = ToColor(RgbFromColorRef(FSettings.ListFont.Color));
    if (const std::optional<QColor> color = PickColor(this, current)) {
        FSettings.ListFont.Color = ColorRefFromRgb(ToRgb(*color));
        FHost.SetListTextColor(*color);
    }
}

void TdlgOption::SpeedButton1Click() {
    if (const std::optional<QColor> color = PickColor(this, FHost.PreviewColor())) {
        FHost.SetPreviewColor(*color);
    }
}

void TdlgOption::rgOptionClick(int index) {
    FHost.ApplyLayout(index);
}

int TdlgOption::EditTimeValue() const {
    bool number = false;
    const int minutes = edTime->cleanText().toInt(&number);
    return number ? std::clamp(minutes, MinLogoutMinutes, MaxLogoutMinutes) : MinLogoutMinutes;
}

void TdlgOption::FormClose() {
    bool saved = ModeBtnOkClick();
    saved = extBtnOkClick() && saved;
    FSettings.UltraEnabled = cbUltra->isChecked();
    cbJpzClick();
    cbUltraClick();
    saved = btnOkClick() && saved;
    if (!saved) {
        ShowMessageBox(this, WarnCaption,
                       QStringLiteral("設定を保存できませんでした。変更は次回の起動時には"
                                      "元に戻ります"));
    }
}

bool TdlgOption::ModeBtnOkClick() {
    FSettings.NormalModeNo = ModeNumber(CboxNormalMode);
    FSettings.ExtraModeNo = ModeNumber(CboxExtraMode);
    FSettings.UltraModeNo = ModeNumber(cboxUltraMode);
    return SaveModeOptions(FSettings);
}

bool TdlgOption::extBtnOkClick() {
    const bool renameExt = !cbjpgjpg->isChecked();
    // A refused extension changes nothing, so the files are named as before
    // and as registry.ini says.
    if (renameExt && !IsValidExt(edNewExt->text(), this)) {
        return true;
    }
    FSettings.RenameExt = renameExt;
    FSettings.NewExt = renameExt ? edNewExt->text() : QStringLiteral("jpg");
    return SaveExtOptions(FSettings);
}

bool TdlgOption::btnOkClick() {
    FSettings.LoginAtStart = cbLoginEnable->isChecked();
    FSettings.AutoLogout = cbAutoLogout->isChecked();
    FSettings.ChangeLoginPassword = CbPassChange->isChecked();
    FSettings.ListLine = cbListLine->isChecked();
    if (LayoutIndex() >= 0) {
        FSettings.MainLayout = LayoutIndex();
    }

    // "d3" takes the minutes shown even while auto-logout is off, but the
    // running program keeps its own then.
    TAppSettings written = FSettings;
    written.LogoutMinutes = EditTimeValue();
    written.LoginTitle = edLoginTitle->text();
    written.MainTitle = edMainTitle->text();
    const bool saved = SaveLoginOptions(written);

    if (FSettings.AutoLogout) {
        FSettings.LogoutMinutes = written.LogoutMinutes;
    }
    FHost.RestartLogout();
    FSettings.LoginTitle = written.LoginTitle;
    FSettings.MainTitle = written.MainTitle;
    return saved;
}

}  // namespace murk
