#pragma once

#include <QImage>
#include <QItemSelectionModel>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <memory>

#include "AppSettings.h"
#include "FileListModel.h"
#include "MainWidgets.h"
#include "PasswordHistoryFile.h"
#include "PreviewDecoder.h"
#include "RunClock.h"
#include "RunView.h"
#include "StartFolder.h"
#include "about.h"
#include "dlg_option.h"

class QAction;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QToolBar;
class QToolButton;

namespace murk {

class TAnimate;
class TBatchRun;
class TEndMesDlg;
class TFolderChoice;
class TLogoutMonitor;
class TRunCommands;
class TdlgMurkin;

// Marks the blank widgets between controls as the window's own surface.
inline constexpr char SurfaceProperty[] = "murkSurface";

// The file name panel before any file.
inline const QString EmptyFileNamePanel = QStringLiteral(" FileName : ");

// The main window. It owns the settings, the file list and the runs, and is
// the view the runs report to.
class TMainFm : public QWidget, public TRunView, public TOptionHost, public TAboutHost {
    Q_OBJECT
public:
    // FormCreate. arguments are the command line after the program's name.
    explicit TMainFm(const QStringList& arguments, QWidget* parent = nullptr);
    // FormDestroy.
    ~TMainFm() override;

    TAppSettings& Settings() { return FSettings; }
    TFileListModel& List() { return FList; }
    QItemSelectionModel& Selection() { return FSelection; }
    // The windows that the process entry creates after this one; the login
    // and options windows must exist before the first show.
    void SetWindows(TAboutBox* about, TEndMesDlg* endMessage, TdlgMurkin* login,
                    TdlgOption* option);
    // Whether FormShow has run to its end.
    bool Started() const { return FStarted; }

    bool Busy() const override;
    // The auto-logout: closes every box and dialog that is open, then the
    // window, which saves the settings; nothing new opens after it.
    void Logout();

    void btnExitClick() override;
    void btnCancelClick();
    void btnBackClick();
    void btnNextClick();
    void btnOpenClick();
    void btnAddClick();
    void btnDelClick();
    void btnRefreshClick();
    void ppOptionClick();
    void ppAboutClick();
    void ppMurkwellNormalClick();
    void ppMurkwellExtraClick();
    void ppMurkwellUltraClick();
    void ppJpzEncodeClick();
    void ppUnMurkwellClick();
    void SmallButton1Click();
    void ListViewClick();
    void pbImageAreaClick();
    void DeletePasswordHistory(int Index);
    void WMDropFiles(const QStringList& paths);
    void TreeViewClick(const QString& FolderName);
    // The picture in the preview pane; its image is null when the pane is
    // empty.
    const TPreview& PreviewImage() const { return FPreview; }

    // TRunView
    void SetPanelText(TPanel panel, const QString& text) override;
    void SetPanelColor(TPanel panel, TRgb color) override;
    void SetOperationButton(const QString& caption, TRgb color) override;
    void SetToggleButton(TToggleButton button, const QString& caption, int image) override;
    QString PasswordText() const override;
    void SetPasswordText(const QString& text) override;
    void SetPasswordEnabled(bool enabled) override;
    void FocusPassword() override;
    void SetPasswordHistoryItems(const QStringList& items) override;
    void SetPasswordLabelLook(TRgb text, TRgb shadow) override;
    void SetMenuItemVisible(TMenuItem item, bool visible) override;
    void SetMenuItemChecked(TMenuItem item, bool checked) override;
    QString FolderText() const override;
    void SetFolderText(const QString& text) override;
    void AddFolderHistory(const QString& folder) override;
    void ShowPreview() override;
    void ForgetPreview() override;
    void SetCancelEnabled(bool enabled) override;
    void SetProgress(int percent) override;
    void SetAnimation(bool running) override;
    void ProcessEvents() override;
    void RestartLogout() override;
    void ShowMessage(const QString& caption, const QString& text) override;
    void ShowEndMessage(TEndMessagePlace place, const QString& text) override;
    void ShowFailures(const std::vector<TRunFailure>& failures) override;

    // TOptionHost
    bool ListLineShown() const override;
    void SetListLine(bool shown) override;
    QFont ListFont() const override;
    void SetListFont(const QFont& font) override;
    void ListColor1Click() override;
    void SetListTextColor(const QColor& color) override;
    QColor PreviewColor() const override;
    void SetPreviewColor(const QColor& color) override;
    void ApplyLayout(int Index) override;
    void SetUltraItemsVisible(bool visible) override;
    void SetJpzItemsVisible(bool visible) override;

    // Row 1 Toolbar972.
    QToolBar* Toolbar972;
    QToolButton* btnExit;
    QToolButton* btnCancel;
    QToolButton* btnBack;
    QToolButton* btnNext;
    QToolButton* btnMurkwell;
    QToolButton* btnOpen;
    QToolButton* btnOption;
    QToolButton* btnHelp;
    QFrame* pnAnimate;
    TAnimate* AnimateMain;
    // Row 2 Toolbar973.
    QToolBar* Toolbar973;
    QToolButton* btnSubDir;
    TShadowLabel* btnPassWord;
    QComboBox* cbAngou;
    QToolButton* btnAllMode;
    QToolButton* btnExtra;
    // Row 3 Toolbar977.
    QToolBar* Toolbar977;
    QProgressBar* ProgBar;
    QToolButton* btnDel;
    QToolButton* btnAdd;
    QToolButton* btnRefresh;
    QToolButton* btnDir;
    QComboBox* cbDir;
    // Row 4 Toolbar978.
    QToolBar* Toolbar978;
    QLabel* pnTotal;
    QLabel* pnProc;
    QLabel* pnTime;
    QLabel* pnFileName;
    // The strip pnTop.
    QWidget* pnTop;
    QLabel* dxfLabel1;
    QToolButton* btnPopup;
    // The body.
    QSplitter* Splitter4main;
    QWidget* PnLeftMain;
    QSplitter* SpLeftMain;
    QTreeView* TreeView;
    QFileSystemModel* FolderModel;
    TPreviewArea* pbImageArea;
    TFileListView* ListView;
    // The bottom toolbar Toolbar971.
    QToolBar* Toolbar971;
    QToolButton* btnBackSub;
    QToolButton* btnNextSub;
    QLabel* pnTotalSize;
    QLabel* pnProcedTotalSize;

    QMenu* ppMain;
    QAction* MenuOff1;
    QAction* SelectAll1;
    QAction* ppJpegSelect;
    QAction* ppNormalSelect;
    QAction* ppExtraSelect;
    QAction* ppSelectUltra;
    QAction* ppSelectJpz;
    QAction* ppUnMurkwell;
    QAction* ppMurkwellNormal;
    QAction* ppMurkwellExtra;
    QAction* ppMurkwellUltra;
    QAction* ppJpzEncode;
    QAction* SelectUltra;
    QAction* Reverse1;
    QAction* Edit1;
    QAction* ppTrash;
    QAction* ppOption;
    QAction* Option1;
    QAction* ItmMurkCheckMode;
    QAction* SaveList1;
    QAction* SmallButton1;
    QAction* Option;
    QAction* ppHelp;
    QAction* ppAbout;
    QAction* Close1;
    QMenu* ppPassList;
    QAction* Paste2;
    QAction* Copy2;
    QAction* Cut1;
    QMenu* ppHelps;
    QAction* mnWithHelp;
    QAction* mnNewHelp;
    QAction* mnNewInfo;
    QAction* mnVersion;
    QAction* mnGotoHP;
    QTimer PopUpTimer;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // FormCloseQuery.
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void CreateToolbars(QWidget* content);
    void CreateBody(QWidget* content);
    void CreateMenus();
    void Connect();
    void FormCreate();
    void FormShow();
    void SaveSettings();
    // Reads the password history into the password box once the login
    // window (if any) has let the user in.
    void LoadPasswordHistory();
    // Forgets every secret of the session: the history's key and the login
    // password.
    void WipeSecrets();
    void ApplyListColors();
    // The widgets the run view names.
    QLabel* PanelLabel(TPanel panel) const;
    QAction* MenuItemAction(TMenuItem item) const;
    // Runs a command of the run commands; a close asked for while a list
    // run of the command lets events through waits for the command's end.
    template <typename Command>
    void RunWindowCommand(Command command);
    void ShowAbout();
    void ShowPassList(QComboBox* box, const QPoint& globalPosition);
    // The menu key and Shift+F10 in one of the two boxes open ppPassList.
    bool BoxMenuKey(QComboBox* box, const QKeyEvent* event);
    void PassListEdit(void (*edit)(QComboBox*));
    bool PasswordDropDownKey(QKeyEvent* event);
    void ListViewKeyDown(int key);
    void SelectTreeFolder(const QString& folder);
    void ShowTreeFolder();
    void RefillFolderBox();
    void FillComboKeepingText(QComboBox* box, const QStringList& items);
    void PreviewResized();
    // A new listing begins: the preview and the file name go with the rows.
    void ListCleared();
    QString RowPath(int row) const;
    // Whether position, in the window, lies on its own surface rather than on
    // one of its controls.
    bool OnOwnSurface(const QPoint& position) const;

    QStringList FArguments;
    TAppSettings FSettings;
    TFileListModel FList;
    QItemSelectionModel FSelection;
    TSteadyClock FClock;
    std::unique_ptr<TBatchRun> FRun;
    std::unique_ptr<TRunCommands> FCommands;
    std::unique_ptr<TFolderChoice> FFolderChoice;
    std::unique_ptr<TLogoutMonitor> FLogout;
    TPasswordHistoryFile FHistoryFile;

    TAboutBox* FAboutBox = nullptr;
    TEndMesDlg* FEndMesDlg = nullptr;
    TdlgMurkin* FdlgMurkin = nullptr;
    TdlgOption* FdlgOption = nullptr;
    // The options dialog made by ppOptionClick when none was given.
    std::unique_ptr<TdlgOption> FOwnOption;

    QWidget* FContent = nullptr;
    QString FPreviewPath;
    TPreview FPreview;
    QComboBox* FPassListBox = nullptr;
    // The folder the tree is to show once it has been read.
    QString FTreeFolder;
    bool FShowPending = true;
    bool FStarted = false;
    int FCommandDepth = 0;
    bool FCloseAfterCommand = false;
    // A close waiting for a thread run to end; a close that was let through.
    bool FClosePending = false;
    bool FClosed = false;
    bool FLoggingOut = false;
    bool FDragging = false;
    QPoint FDragPosition;
};

}  // namespace murk
