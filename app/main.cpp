#include "main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QProgressBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "Animation.h"
#include "BatchRun.h"
#include "FolderChoice.h"
#include "JpzLibrary.h"
#include "ListFontQt.h"
#include "Logout.h"
#include "PickDialogs.h"
#include "RgbQt.h"
#include "RunCommands.h"
#include "SettingsStore.h"
#include "murkin.h"

namespace murk {

namespace {

const QString MainCaption = QStringLiteral("Murkwell for Windows ");
// The design position of the window; it is not stored.
constexpr QPoint DesignPosition(282, 115);

// The list's design font: the "fn..." values default to it. White, since the
// list's design background is black.
TListFont DesignListFont() {
    TListFont font;
    font.Color = 0xFFFFFF;
    return font;
}

}  // namespace

TMainFm::TMainFm(const QStringList& arguments, QWidget* parent)
    : QWidget(parent), FArguments(arguments), FSelection(&FList) {
    setObjectName(QStringLiteral("MainFm"));
    setWindowTitle(MainCaption);
    setAcceptDrops(true);

    FContent = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(FContent);
    auto* layout = new QVBoxLayout(FContent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    CreateMenus();
    CreateToolbars(FContent);
    CreateBody(FContent);

    FRun = std::make_unique<TBatchRun>(FList, FSelection, FSettings, *this, FClock);
    FCommands = std::make_unique<TRunCommands>(*FRun, FList, FSelection, FSettings, *this);
    FFolderChoice = std::make_unique<TFolderChoice>(*FRun, FSettings, *this);
    Connect();
    FormCreate();
}

TMainFm::~TMainFm() {
    if (FLogout) {
        qApp->removeEventFilter(FLogout.get());
    }
    // The login window may be gone already; its password is wiped with it.
    FHistoryFile.Wipe();
    // Unloading the library wipes the keys it keeps.
    TJpzLibrary::Instance().Release();
    // The run and its worker go before the list and the view they report to.
    FFolderChoice.reset();
    FCommands.reset();
    FRun.reset();
}

void TMainFm::FormCreate() {
    // The application-wide hook: clicks in any window restart the logout.
    FLogout = std::make_unique<TLogoutMonitor>(FSettings, [this] { return Busy(); });
    qApp->installEventFilter(FLogout.get());
    connect(FLogout.get(), &TLogoutMonitor::CaptionChanged, this, &QWidget::setWindowTitle);
    connect(FLogout.get(), &TLogoutMonitor::LogoutRequested, this, &TMainFm::Logout);

    FSettings.ListFont = DesignListFont();
    LoadSettings(FSettings);
    FSettings.OpenDir = FSettings.LastFolder;
    resize(FSettings.MainWidth, FSettings.MainHeight);
    move(DesignPosition);
    for (int column = 0; column < ListColumnCount; ++column) {
        ListView->header()->resizeSection(column, FSettings.ColumnWidths[size_t(column)]);
    }
    Splitter4main->setSizes(
        {FSettings.TreeViewWidth, FSettings.MainWidth - FSettings.TreeViewWidth});

    // Start-up always selects Extra.
    FSettings.EncDisp = 0;
    FCommands->btnExtraClick();
    FRun->SetOperationButton(OperationLook(FSettings.MurkMode));
    // The toggle inverts the setting back and shows it.
    FSettings.SubDirMode = !FSettings.SubDirMode;
    FCommands->btnSubDirClick();
    RefillFolderBox();
    Option->setChecked(FSettings.EndMessage);
    ItmMurkCheckMode->setChecked(FSettings.MurkCheckMode);
    TreeView->setVisible(FSettings.FolderView);

    ListView->setFont(FontFromListFont(FSettings.ListFont, ListView->font()));
    ListView->SetListLine(FSettings.ListLine);
}

void TMainFm::SetWindows(TAboutBox* about, TEndMesDlg* endMessage, TdlgMurkin* login,
                         TdlgOption* option) {
    FAboutBox = about;
    FEndMesDlg = endMessage;
    FdlgMurkin = login;
    FdlgOption = option;
}

void TMainFm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FShowPending) {
        FShowPending = false;
        // After the window is on the screen, so it is painted before the
        // first folder is listed.
        QMetaObject::invokeMethod(this, &TMainFm::FormShow, Qt::QueuedConnection);
    }
}

void TMainFm::FormShow() {
    QPalette progress = ProgBar->palette();
    progress.setColor(QPalette::Highlight, QColor(250, 150, 50));
    ProgBar->setPalette(progress);
    FLogout->RestartLogout();
    FSettings.AllMode = !FSettings.AllMode;
    FCommands->btnAllModeClick();
    SetFolderText(FSettings.FolderHistory.value(0));

    const QString start = StartFolder(FArguments, FSettings.LastFolder, cbDir->currentText());
    SelectTreeFolder(start);
    TreeViewClick(start);

    FSettings.SmallBtn = !FSettings.SmallBtn;
    SmallButton1Click();
    ApplyListColors();
    pbImageArea->SetColor(ToColor(RgbFromColorRef(FSettings.SamnailBackColor)));
    SetUltraItemsVisible(FSettings.UltraEnabled);

    if (FSettings.LoginAtStart && FdlgMurkin) {
        // Nothing of the folder being listed shows until the password is in.
        FContent->hide();
        const int answer = FdlgMurkin->exec();
        if (FClosed) {
            return;
        }
        if (answer != QDialog::Accepted) {
            btnExitClick();
            return;
        }
        FContent->show();
    }
    // While the gate is on, the history can be read only with the login
    // password.
    LoadPasswordHistory();

    FSettings.JpzAvailable = TJpzLibrary::Instance().Load();
    SetJpzItemsVisible(FSettings.UseJpz && FSettings.JpzAvailable);
    if (FdlgOption) {
        FdlgOption->SelectLayout(FSettings.MainLayout);
    }
    ApplyLayout(FSettings.MainLayout);
    QCoreApplication::processEvents();
    FStarted = true;
}

void TMainFm::closeEvent(QCloseEvent* event) {
    if (FClosed) {
        event->accept();
        return;
    }
    FRun->State().CancelRequested = true;
    // A list run lets events through below this call; it can stop only once
    // this returns, so the close waits for the command to end.
    if (FCommandDepth > 0) {
        FCloseAfterCommand = true;
        event->ignore();
        return;
    }
    if (FClosePending) {
        event->ignore();
        return;
    }
    FClosePending = true;
    FRun->CancelAndWait();
    FClosePending = false;
    SaveSettings();
    // The window's close, the logout timer and "帰る" all end here.
    WipeSecrets();
    FClosed = true;
    event->accept();
}

void TMainFm::Logout() {
    FLoggingOut = true;
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (popup == QApplication::activePopupWidget()) {
            popup->hide();
        }
    }
    // Innermost first. Each box leaves its own event loop once this call has
    // returned to it; the command that opened it then ends, and a close
    // asked for during a command follows it.
    for (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this;
         modal = QApplication::activeModalWidget()) {
        if (modal == FdlgMurkin) {
            FdlgMurkin->btnAwayClick();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        if (modal->isVisible()) {
            // A window that refuses to go would hold the loop for ever.
            modal->hide();
        }
    }
    close();
}

void TMainFm::SaveSettings() {
    FSettings.MainWidth = width();
    FSettings.MainHeight = height();
    for (int column = 0; column < ListColumnCount; ++column) {
        FSettings.ColumnWidths[size_t(column)] = ListView->header()->sectionSize(column);
    }
    if (PnLeftMain->isVisible()) {
        FSettings.TreeViewWidth = PnLeftMain->width();
    }
    FSettings.LastFolder = cbDir->currentText();
    // Failures are not reported: the program is closing.
    murk::SaveSettings(FSettings);
    FHistoryFile.Save(FSettings.PasswordHistory, FSettings.LoginAtStart);
}

void TMainFm::WipeSecrets() {
    FHistoryFile.Wipe();
    if (FdlgMurkin) {
        FdlgMurkin->WipePassword();
    }
}

bool TMainFm::Busy() const {
    return FRun->Busy();
}

template <typename Command>
void TMainFm::RunWindowCommand(Command command) {
    ++FCommandDepth;
    (FCommands.get()->*command)();
    --FCommandDepth;
    if (FCommandDepth == 0 && FCloseAfterCommand) {
        FCloseAfterCommand = false;
        close();
    }
}

void TMainFm::btnExitClick() {
    FRun->State().CancelRequested = true;
    close();
}

void TMainFm::btnCancelClick() {
    FCommands->btnCancelClick();
}

void TMainFm::ppMurkwellNormalClick() {
    RunWindowCommand(&TRunCommands::ppMurkwellNormalClick);
}

void TMainFm::ppMurkwellExtraClick() {
    RunWindowCommand(&TRunCommands::ppMurkwellExtraClick);
}

void TMainFm::ppMurkwellUltraClick() {
    RunWindowCommand(&TRunCommands::ppMurkwellUltraClick);
}

void TMainFm::ppJpzEncodeClick() {
    RunWindowCommand(&TRunCommands::ppJpzEncodeClick);
}

void TMainFm::ppUnMurkwellClick() {
    RunWindowCommand(&TRunCommands::ppUnMurkwellClick);
}

void TMainFm::btnOpenClick() {
    if (!FCommands->btnOpenClick()) {
        return;
    }
    const QStringList files =
        PickOpenFiles(this, FCommands->OpenStartFolder(), FCommands->OpenAllowsSeveral());
    if (!files.isEmpty()) {
        FCommands->OpenChosen(files);
    }
}

void TMainFm::WMDropFiles(const QStringList& paths) {
    FCommands->WMDropFiles(paths);
}

void TMainFm::ppOptionClick() {
    if (Busy()) {
        return;
    }
    TdlgOption* dialog = FdlgOption;
    if (!dialog) {
        if (!FOwnOption) {
            FOwnOption = std::make_unique<TdlgOption>(FSettings, *this, this);
        }
        dialog = FOwnOption.get();
    }
    const QRect frame = frameGeometry();
    dialog->move(frame.left() + frame.width() / 2, frame.top());
    dialog->exec();
}

void TMainFm::ppAboutClick() {
    ShowAbout();
}

void TMainFm::ShowAbout() {
    if (!FAboutBox) {
        return;
    }
    FAboutBox->exec();
}

void TMainFm::SmallButton1Click() {
    if (FSettings.SmallBtn) {
        FSettings.SmallBtn = false;
    } else {
        FSettings.SmallBtn = true;
        QFont plain = btnMurkwell->font();
        plain.setBold(false);
        plain.setItalic(false);
        btnMurkwell->setFont(plain);
    }
    btnMurkwell->update();
}

}  // namespace murk
