#pragma once

#include <QDialog>
#include <QProxyStyle>

#include <memory>
#include <string>

#include "AppSettings.h"
#include "SecureMemory.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace murk {

class TAnimate;

// The login window. exec() answers Accepted once the right password was
// entered or a new one was set, and Rejected after "帰る": the caller then
// runs its Exit command. Nothing else closes it.
class TdlgMurkin : public QDialog {
    Q_OBJECT
public:
    // settings must outlive the window; the login fields are read and the
    // new password is stored through it.
    explicit TdlgMurkin(TAppSettings& settings, QWidget* parent = nullptr);
    ~TdlgMurkin() override;

    bool NeedNewPassword();
    bool NewPasswordMode() const { return FNewPassword; }

    // The password (CP932) of the entry that let the user in, kept in secure
    // memory for the key of the password history; empty after "帰る".
    const TSecureBytes& Password() const { return FPassword; }
    // Whether that password was set in this window just now.
    bool PasswordIsNew() const { return FPasswordIsNew; }
    void WipePassword();

    void btnEnterClick();
    void btnAwayClick();

    QLineEdit* edMurkin;
    QLineEdit* edMurkin2;
    QLabel* lbMurkin2;
    QPushButton* btnEnter;
    QPushButton* btnAway;
    TAnimate* Animate1;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormShow();
    void LoginWarn(const QString& message);
    void EnterNewPassword();
    void EnterPassword();
    // The CP932 bytes of an edit; false, after saying why, when a character
    // has no CP932 form.
    bool PasswordBytes(const QLineEdit* edit, std::string& bytes);
    void Leave(DialogCode result);
    void Enter(std::string_view password, bool isNew);

    TAppSettings& FSettings;
    bool FCanClose = false;
    bool FNewPassword = false;
    std::string FStoredPassword;
    TSecureBytes FPassword;
    bool FPasswordIsNew = false;
    std::unique_ptr<QProxyStyle> FStarStyle;
};

}  // namespace murk
