#include "murkin.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "Animation.h"
#include "Cp932.h"
#include "LoginPassword.h"
#include "MessageBox.h"
#include "SettingsStore.h"

namespace murk {

namespace {

const QString WarnCaption = QStringLiteral("Warnning");

constexpr size_t MinPasswordBytes = 3;
// The limit of earlier versions' stored form, two characters a byte in 1,025,
// kept so a password set here is one that every version accepts.
constexpr size_t MaxPasswordBytes = 512;

// A string that held a password is overwritten before it goes.
struct TWipedString {
    std::string Bytes;
    TWipedString() = default;
    TWipedString(const TWipedString&) = delete;
    TWipedString& operator=(const TWipedString&) = delete;
    ~TWipedString() { WipeBytes(Bytes.data(), Bytes.size()); }
};

// Password edits show "*" for every character.
class TStarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLineEdit* PasswordEdit(QWidget* parent, QStyle* style) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyle(style);
    return edit;
}

}  // namespace

TdlgMurkin::TdlgMurkin(TAppSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      FSettings(settings),
      FPassword(MaxPasswordBytes),
      FStarStyle(std::make_unique<TStarStyle>()) {
    setObjectName(QStringLiteral("dlgMurkin"));
    setModal(true);

    auto* label1 = new QLabel(QStringLiteral("パスワード"), this);
    edMurkin = PasswordEdit(this, FStarStyle.get());
    lbMurkin2 = new QLabel(QStringLiteral("確認再入力"), this);
    // Light text on the dark background.
    for (QLabel* label : {label1, lbMurkin2}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(palette);
    }
    edMurkin2 = PasswordEdit(this, FStarStyle.get());
    btnAway = new QPushButton(QStringLiteral("帰る"), this);
    btnEnter = new QPushButton(QStringLiteral("続行"), this);
    // Enter belongs to "続行" wherever the focus is.
    btnAway->setAutoDefault(false);
    btnEnter->setAutoDefault(false);
    Animate1 = new TAnimate(this);

    auto* fields = new QGridLayout;
    fields->addWidget(label1, 0, 0);
    fields->addWidget(edMurkin, 0, 1);
    fields->addWidget(lbMurkin2, 1, 0);
    fields->addWidget(edMurkin2, 1, 1);
    fields->setColumnMinimumWidth(1, 170);

    auto* top = new QHBoxLayout;
    top->addWidget(Animate1, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(fields, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnAway);
    buttons->addWidget(btnEnter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnEnter, &QPushButton::clicked, this, &TdlgMurkin::btnEnterClick);
    connect(btnAway, &QPushButton::clicked, this, &TdlgMurkin::btnAwayClick);
    Animate1->Play();
}

TdlgMurkin::~TdlgMurkin() = default;

bool TdlgMurkin::NeedNewPassword() {
    if (FSettings.ChangeLoginPassword) {
        FSettings.ChangeLoginPassword = false;
        SaveChangeLoginPassword(FSettings);
        return true;
    }
    // The settings store keeps the stored form only when the marker that a
    // password was set is there too.
    FStoredPassword = FSettings.StoredLoginPassword;
    return FStoredPassword.empty();
}

void TdlgMurkin::FormShow() {
    FNewPassword = NeedNewPassword();
    setWindowTitle(FSettings.LoginTitle);
    edMurkin2->setVisible(FNewPassword);
    lbMurkin2->setVisible(FNewPassword);
    edMurkin->setFocus();
}

void TdlgMurkin::showEvent(QShowEvent* event) {
    // A window manager showing the window again (after it was minimised, say)
    // is no new show: the mode was decided once.
    if (!event->spontaneous()) {
        FormShow();
    }
    QDialog::showEvent(event);
}

void TdlgMurkin::hideEvent(QHideEvent* event) {
    Animate1->Stop();
    QDialog::hideEvent(event);
}

void TdlgMurkin::closeEvent(QCloseEvent* event) {
    if (!FCanClose) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TdlgMurkin::reject() {
    if (FCanClose) {
        QDialog::reject();
    }
}

void TdlgMurkin::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        btnEnterClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TdlgMurkin::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(54, 72, 120));
    background.setColorAt(1, QColor(18, 24, 46));
    painter.fillRect(rect(), background);
}

void TdlgMurkin::LoginWarn(const QString& message) {
    ShowMessageBox(this, WarnCaption, message);
    edMurkin->clear();
    edMurkin2->clear();
    edMurkin->setFocus();
}

bool TdlgMurkin::PasswordBytes(const QLineEdit* edit, std::string& bytes) {
    std::string text = edit->text().toStdString();
    TCp932Result converted = ToCp932(text);
    WipeBytes(text.data(), text.size());
    if (!converted.Ok) {
        LoginWarn(QStringLiteral("「%1」はパスワードに使えない文字です。Shift-JIS "
                                 "で表せる文字でお願いします")
                      .arg(QString::fromStdString(converted.Unencodable)));
        return false;
    }
    bytes = converted.Bytes;
    WipeBytes(converted.Bytes.data(), converted.Bytes.size());
    return true;
}

void TdlgMurkin::Leave(DialogCode result) {
    FCanClose = true;
    edMurkin->clear();
    edMurkin2->clear();
    done(result);
}

void TdlgMurkin::Enter(std::string_view password, bool isNew) {
    FPassword.Assign(password);
    FPasswordIsNew = isNew;
    Leave(Accepted);
}

void TdlgMurkin::WipePassword() {
    FPassword.Wipe();
    FPasswordIsNew = false;
}

void TdlgMurkin::btnEnterClick() {
    if (FNewPassword) {
        EnterNewPassword();
    } else {
        EnterPassword();
    }
}

void TdlgMurkin::EnterNewPassword() {
    if (edMurkin->text().isEmpty()) {
        LoginWarn(QStringLiteral("パスワードを入力してください。半角英数字３文字以上"));
        return;
    }
    if (edMurkin2->text().isEmpty()) {
        LoginWarn(QStringLiteral("確認再入力の部分にも同じ文字を入力してください"));
        return;
    }
    TWipedString typed;
    TWipedString confirmation;
    if (!PasswordBytes(edMurkin, typed.Bytes) || !PasswordBytes(edMurkin2, confirmation.Bytes)) {
        return;
    }
    const std::string& password = typed.Bytes;
    if (password != confirmation.Bytes) {
        LoginWarn(QStringLiteral("パスワード入力と確認再入力は同じ文字を入力してください"));
        return;
    }
    if (password.size() < MinPasswordBytes) {
        LoginWarn(QStringLiteral("半角英数字３文字以上でお願いします"));
        return;
    }
    if (password.size() > MaxPasswordBytes) {
        LoginWarn(QStringLiteral("パスワードは512バイト（半角512文字）以内でお願いします"));
        return;
    }
    if (!SaveLoginPassword(FSettings, password)) {
        // The password works for this session only; the next start asks for
        // a new one again.
        ShowMessageBox(this, WarnCaption,
                       QStringLiteral("ログインパスワードを保存できませんでした。"
                                      "次回の起動時にもう一度設定してください"));
    }
    Enter(password, true);
}

void TdlgMurkin::EnterPassword() {
    if (edMurkin->text().isEmpty()) {
        LoginWarn(QStringLiteral("パスワードを入力してください"));
        return;
    }
    TWipedString typed;
    if (!PasswordBytes(edMurkin, typed.Bytes)) {
        return;
    }
    const std::string& password = typed.Bytes;
    if (password.size() < MinPasswordBytes) {
        LoginWarn(QStringLiteral("パスワードは半角英数字３文字以上です"));
        return;
    }
    const TLoginCheck check = CheckLoginPassword(FStoredPassword, password);
    if (check == TLoginCheck::Wrong) {
        LoginWarn(QStringLiteral("パスワードが合いません"));
        return;
    }
    // The reversible form of earlier versions goes at its first login; if
    // it cannot be replaced now, the next login tries again.
    if (check == TLoginCheck::RightOldLayout) {
        SaveLoginPassword(FSettings, password);
    }
    Enter(password, false);
}

void TdlgMurkin::btnAwayClick() {
    WipePassword();
    Leave(Rejected);
}

}  // namespace murk
