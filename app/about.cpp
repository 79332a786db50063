#include "about.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "Animation.h"
#include "MessageBox.h"
#include "Shell.h"

namespace murk {

TAboutBox::TAboutBox(TAppSettings& settings, TAboutHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FSettings(settings),
      FHost(host) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Version"));
    setModal(true);

    Animate1 = new TAnimate(this);
    btnAMurkwell = new QToolButton(this);
    btnAMurkwell->setIcon(MurkwellLogo(64));
    btnAMurkwell->setIconSize({64, 64});
    btnAMurkwell->setAutoRaise(true);
    btnAMurkwell->setToolTip(QStringLiteral("ヒストリの切り替え"));
    lbHistory = new QLabel(QStringLiteral("History"), this);

    auto* name = new QLabel(QStringLiteral("Murkwell"), this);
    QFont nameFont = name->font();
    nameFont.setPointSize(nameFont.pointSize() + 6);
    nameFont.setBold(true);
    name->setFont(nameFont);
    Version = new QLabel(VersionText, this);
    auto* credit = new QLabel(QStringLiteral("© Murkwell developers"), this);
    Label1 = new QLabel(MailAddress, this);
    QFont mailFont = Label1->font();
    mailFont.setUnderline(true);
    Label1->setFont(mailFont);
    Label1->setCursor(Qt::PointingHandCursor);

    SpeedButton2 = new QPushButton(QStringLiteral("作者のホームページへ"), this);
    SpeedButton2->setToolTip(QStringLiteral("Go to Home Page"));
    SpeedButton3 = new QPushButton(QStringLiteral("UnsInstall"), this);
    SpeedButton1 = new QPushButton(QStringLiteral("OK"), this);
    SpeedButton1->setDefault(true);

    auto* logo = new QVBoxLayout;
    logo->addWidget(btnAMurkwell, 0, Qt::AlignHCenter);
    logo->addWidget(lbHistory, 0, Qt::AlignHCenter);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(Version);
    texts->addWidget(credit);
    texts->addWidget(Label1);
    auto* head = new QHBoxLayout;
    head->addLayout(logo);
    head->addSpacing(8);
    head->addLayout(texts, 1);
    head->addWidget(Animate1, 0, Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton3);
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(head);
    layout->addSpacing(6);
    layout->addWidget(SpeedButton2);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumSize(248, 224);

    lbHistory->setVisible(FSettings.History);

    connect(btnAMurkwell, &QToolButton::clicked, this, &TAboutBox::btnAMurkwellClick);
    connect(SpeedButton2, &QPushButton::clicked, this, [] { OpenUrl(HomePageUrl); });
    connect(SpeedButton3, &QPushButton::clicked, this, &TAboutBox::SpeedButton3Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TAboutBox::accept);
    Label1->installEventFilter(this);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label1 && event->type() == QEvent::MouseButtonRelease) {
        OpenUrl(QUrl(QStringLiteral("mailto:") + MailAddress));
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    Animate1->Play();
    QDialog::showEvent(event);
}

void TAboutBox::hideEvent(QHideEvent* event) {
    Animate1->Stop();
    QDialog::hideEvent(event);
}

void TAboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, width(), height());
    background.setColorAt(0, QColor(214, 222, 240));
    background.setColorAt(1, QColor(160, 176, 214));
    painter.fillRect(rect(), background);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(rect()).adjusted(8, 8, -8, -8), 12, 12);
    painter.fillPath(frame, QColor(255, 255, 255, 170));
    painter.setPen(QPen(QColor(90, 110, 160), 1.5));
    painter.drawPath(frame);
}

void TAboutBox::btnAMurkwellClick() {
    if (!lbHistory->isHidden()) {
        lbHistory->hide();
        FSettings.History = false;
        FHost.SetPasswordHistoryItems({});
    } else {
        lbHistory->show();
        FSettings.History = true;
        FHost.SetPasswordHistoryItems(FSettings.PasswordHistory);
    }
}

void TAboutBox::SpeedButton3Click() {
    if (FHost.Busy()) {
        return;
    }
    // Without the uninstaller the program says what removes it instead.
    if (const QString advice = UninstallAdvice(ProgramFolder(), PackageListsFolder);
        !advice.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("Warnning"), advice);
        return;
    }
    if (!ShowMessageBox(this, QStringLiteral("Warnning"),
                        QStringLiteral("Murkwellをアンインストールしますか？"),
                        TMessageButtons::OkCancel)) {
        return;
    }
    // The program closes whether or not the uninstaller could start.
    StartProgram(UninstallerPath());
    accept();
    FHost.btnExitClick();
}

}  // namespace murk
