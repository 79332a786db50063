#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "Animation.h"
#include "FolderChoice.h"
#include "MessageBox.h"
#include "RunCommands.h"
#include "Shell.h"
#include "StateIcons.h"
#include "ToolbarIcons.h"
#include "main.h"

// The window's widgets, menus and connections.

namespace murk {

namespace {

constexpr int PopUpDelayMs = 350;
constexpr int StripHeight = 16;

QWidget* Gap(QWidget* parent, int width) {
    auto* gap = new QWidget(parent);
    gap->setFixedWidth(width);
    return gap;
}

QWidget* Stretch(QWidget* parent) {
    auto* stretch = new QWidget(parent);
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return stretch;
}

QToolButton* ToolButton(QWidget* parent, const QString& caption, const QString& hint,
                        const QIcon& icon) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                                 : Qt::ToolButtonTextBesideIcon);
    return button;
}

QLabel* Panel(const QString& caption, const QString& hint, QWidget* parent) {
    auto* panel = new QLabel(caption, parent);
    panel->setToolTip(hint);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

QComboBox* EditableBox(const QString& hint, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(hint);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->setMinimumContentsLength(8);
    // A drop on the box belongs to the window, like a drop anywhere else.
    box->lineEdit()->setAcceptDrops(false);
    box->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    return box;
}

QToolBar* ToolbarRow(const QString& name, QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize({18, 18});
    return bar;
}
}  // namespace

void TMainFm::CreateToolbars(QWidget* content) {
    auto* layout = static_cast<QVBoxLayout*>(content->layout());

    Toolbar972 = ToolbarRow(QStringLiteral("Toolbar972"), content);
    btnExit = ToolButton(Toolbar972, QStringLiteral("Exit"),
                         QStringLiteral("プログラムを終了します"), HoverIcon(tiExitHot, tiExit));
    btnCancel = ToolButton(Toolbar972, QStringLiteral("Cancel"), QStringLiteral("処理の中止"),
                           ToolbarIcon(tiCancel));
    btnCancel->setEnabled(false);
    btnBack = ToolButton(Toolbar972, QStringLiteral("Back"), QStringLiteral("前の画像"),
                         HoverIcon(tiBackHot, tiBack));
    btnNext = ToolButton(Toolbar972, QStringLiteral("Next"), QStringLiteral("次の画像"),
                         HoverIcon(tiNextHot, tiNext));
    btnMurkwell = ToolButton(Toolbar972, QStringLiteral("UnMurkwell"), {}, {});
    QFont modeFont = btnMurkwell->font();
    modeFont.setBold(true);
    btnMurkwell->setFont(modeFont);
    btnOpen = ToolButton(Toolbar972, QStringLiteral("Open"), QStringLiteral("処理する画像を選択"),
                         ToolbarIcon(tiFolder));
    btnOption = ToolButton(Toolbar972, QStringLiteral("Option"), QStringLiteral("オプション設定"),
                           HoverIcon(tiOptionHot, tiOption));
    btnHelp = ToolButton(Toolbar972, QStringLiteral("Help"), QStringLiteral("マニュアルを表示"),
                         HoverIcon(tiHelpHot, tiHelp));
    btnHelp->setMenu(ppHelps);
    btnHelp->setPopupMode(QToolButton::InstantPopup);
    pnAnimate = new QFrame(Toolbar972);
    pnAnimate->setFrameStyle(QFrame::Panel | QFrame::Raised);
    AnimateMain = new TAnimate(pnAnimate);
    AnimateMain->setToolTip(QStringLiteral("バージョン情報"));
    auto* animateLayout = new QHBoxLayout(pnAnimate);
    animateLayout->setContentsMargins(2, 2, 2, 2);
    animateLayout->addWidget(AnimateMain);
    for (QWidget* member : {static_cast<QWidget*>(btnExit), static_cast<QWidget*>(btnCancel),
                            static_cast<QWidget*>(btnBack), static_cast<QWidget*>(btnNext)}) {
        Toolbar972->addWidget(member);
    }
    Toolbar972->addWidget(btnMurkwell)->setVisible(false);
    Toolbar972->addWidget(btnOpen)->setVisible(false);
    Toolbar972->addWidget(Stretch(Toolbar972));
    Toolbar972->addWidget(btnOption);
    Toolbar972->addWidget(btnHelp);
    Toolbar972->addWidget(pnAnimate);
    layout->addWidget(Toolbar972);

    Toolbar973 = ToolbarRow(QStringLiteral("Toolbar973"), content);
    btnSubDir = ToolButton(Toolbar973, QStringLiteral("SubDir"),
                           QStringLiteral("ディレクトリモード"), ToolbarIcon(tiCurrent));
    btnPassWord = new TShadowLabel(QStringLiteral("PassWord"), Toolbar973);
    cbAngou = EditableBox(QStringLiteral("画像のパスワードを入力"), Toolbar973);
    btnAllMode = ToolButton(Toolbar973, QStringLiteral("All Mode"),
                            QStringLiteral("Single/All Mode 選択"), ToolbarIcon(tiSingle));
    btnExtra = ToolButton(Toolbar973, QStringLiteral("Extra"), QStringLiteral("Normal/Extra選択"),
                          ToolbarIcon(tiExtra));
    Toolbar973->addWidget(Gap(Toolbar973, 6));
    Toolbar973->addWidget(btnSubDir);
    Toolbar973->addWidget(Gap(Toolbar973, 8));
    Toolbar973->addWidget(btnPassWord);
    Toolbar973->addWidget(cbAngou);
    Toolbar973->addWidget(btnAllMode)->setVisible(false);
    Toolbar973->addWidget(btnExtra)->setVisible(false);
    layout->addWidget(Toolbar973);

    Toolbar977 = ToolbarRow(QStringLiteral("Toolbar977"), content);
    ProgBar = new QProgressBar(Toolbar977);
    ProgBar->setRange(0, 100);
    ProgBar->setValue(0);
    ProgBar->setTextVisible(false);
    ProgBar->setFixedSize(120, 14);
    ProgBar->setToolTip(QStringLiteral("進行状況"));
    btnDel = ToolButton(Toolbar977, {}, QStringLiteral("登録の削除"), ToolbarIcon(tiDel));
    btnAdd = ToolButton(Toolbar977, {}, QStringLiteral("フォルダの登録"), ToolbarIcon(tiAdd));
    btnRefresh = ToolButton(Toolbar977, {}, QStringLiteral("再チェック"), ToolbarIcon(tiRefresh));
    btnDir = ToolButton(Toolbar977, QStringLiteral("Folder"), {}, ToolbarIcon(tiFolder));
    btnDir->setFocusPolicy(Qt::NoFocus);
    cbDir = EditableBox(QStringLiteral("画像のあるフォルダ"), Toolbar977);
    Toolbar977->addWidget(Gap(Toolbar977, 6));
    Toolbar977->addWidget(ProgBar);
    Toolbar977->addWidget(Gap(Toolbar977, 6));
    Toolbar977->addWidget(btnDel);
    Toolbar977->addWidget(btnAdd);
    Toolbar977->addWidget(btnRefresh);
    Toolbar977->addWidget(Gap(Toolbar977, 6));
    Toolbar977->addWidget(btnDir);
    Toolbar977->addWidget(cbDir);
    layout->addWidget(Toolbar977);

    Toolbar978 = ToolbarRow(QStringLiteral("Toolbar978"), content);
    auto* panels = new QSplitter(Qt::Horizontal, Toolbar978);
    panels->setChildrenCollapsible(false);
    panels->setHandleWidth(4);
    pnTotal = Panel(QStringLiteral(" Total : 0"),
                    QStringLiteral("入力されたＪＰＥＧファイルの総数"), panels);
    pnProc =
        Panel(QStringLiteral(" Processed :  0"), QStringLiteral("処理されたファイル数"), panels);
    pnTime = Panel(QStringLiteral(" Time : 0.0 sec"), QStringLiteral("処理にかかった時間"), panels);
    pnFileName =
        Panel(QStringLiteral(" FileName : "), QStringLiteral("処理中のファイル名"), panels);
    // A long name is cut at the panel's edge instead of widening the window.
    pnFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    pnFileName->setMinimumWidth(40);
    for (QLabel* panel : {pnTotal, pnProc, pnTime, pnFileName}) {
        panels->addWidget(panel);
    }
    panels->setStretchFactor(3, 1);
    panels->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    Toolbar978->addWidget(panels);
    layout->addWidget(Toolbar978);

    pnTop = new QWidget(content);
    pnTop->setObjectName(QStringLiteral("pnTop"));
    pnTop->setFixedHeight(std::max(StripHeight, fontMetrics().height() + 2));
    dxfLabel1 = new QLabel(QStringLiteral("May the Force of Murkwell be with you."), pnTop);
    QFont italic = dxfLabel1->font();
    italic.setItalic(true);
    dxfLabel1->setFont(italic);
    btnPopup = new QToolButton(pnTop);
    btnPopup->setText(QStringLiteral("Operation"));
    btnPopup->setAutoRaise(true);
    btnPopup->setFocusPolicy(Qt::NoFocus);
    auto* strip = new QHBoxLayout(pnTop);
    strip->setContentsMargins(6, 0, 6, 0);
    strip->addWidget(dxfLabel1);
    strip->addStretch(1);
    strip->addWidget(btnPopup);
    layout->addWidget(pnTop);
}

void TMainFm::CreateBody(QWidget* content) {
    auto* layout = static_cast<QVBoxLayout*>(content->layout());

    Splitter4main = new QSplitter(Qt::Horizontal, content);
    Splitter4main->setChildrenCollapsible(false);
    PnLeftMain = new QWidget(Splitter4main);
    SpLeftMain = new QSplitter(Qt::Vertical, PnLeftMain);
    SpLeftMain->setChildrenCollapsible(false);
    auto* left = new QVBoxLayout(PnLeftMain);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(SpLeftMain);

    FolderModel = new QFileSystemModel(this);
    FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    FolderModel->setRootPath(QDir::rootPath());
    TreeView = new QTreeView(SpLeftMain);
    TreeView->setObjectName(QStringLiteral("TreeView"));
    TreeView->setModel(FolderModel);
    for (int column = 1; column < FolderModel->columnCount(); ++column) {
        TreeView->hideColumn(column);
    }
    TreeView->setHeaderHidden(true);
    TreeView->setRootIndex(FolderModel->index(QDir::rootPath()));
    // The tree is the target of drags over it, so that its event filter can
    // refuse them before they reach the window.
    TreeView->setAcceptDrops(true);
    pbImageArea = new TPreviewArea(SpLeftMain);
    pbImageArea->setObjectName(QStringLiteral("pbImageArea"));
    SpLeftMain->addWidget(TreeView);
    SpLeftMain->addWidget(pbImageArea);
    SpLeftMain->setStretchFactor(0, 1);
    SpLeftMain->setStretchFactor(1, 0);

    ListView = new TFileListView(Splitter4main);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setModel(&FList);
    ListView->setSelectionModel(&FSelection);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setRootIsDecorated(false);
    ListView->setItemsExpandable(false);
    ListView->setUniformRowHeights(true);
    ListView->setAllColumnsShowFocus(true);
    ListView->setSortingEnabled(false);
    ListView->setItemDelegateForColumn(colState, new TStateIconDelegate(ListView));
    ListView->header()->setStretchLastSection(false);
    ListView->header()->setSectionsClickable(true);
    ListView->header()->setSectionsMovable(false);
    ListView->setIconSize(StateIconPixmap(kJpegIcon).size());
    Splitter4main->addWidget(PnLeftMain);
    Splitter4main->addWidget(ListView);
    Splitter4main->setStretchFactor(0, 0);
    Splitter4main->setStretchFactor(1, 1);
    layout->addWidget(Splitter4main, 1);

    Toolbar971 = ToolbarRow(QStringLiteral("Toolbar971"), content);
    btnBackSub =
        ToolButton(Toolbar971, {}, QStringLiteral("前の画像"), HoverIcon(tiBackHot, tiBack));
    btnNextSub =
        ToolButton(Toolbar971, {}, QStringLiteral("次の画像"), HoverIcon(tiNextHot, tiNext));
    pnTotalSize = Panel(QStringLiteral("0 MB"), {}, Toolbar971);
    pnProcedTotalSize = Panel(QStringLiteral("0 MB"), {}, Toolbar971);
    for (QLabel* panel : {pnTotalSize, pnProcedTotalSize}) {
        panel->setMinimumWidth(110);
        panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Toolbar971->addWidget(btnBackSub);
    Toolbar971->addWidget(btnNextSub);
    Toolbar971->addWidget(Gap(Toolbar971, 12));
    Toolbar971->addWidget(new QLabel(QStringLiteral("Total "), Toolbar971));
    Toolbar971->addWidget(pnTotalSize);
    Toolbar971->addWidget(Gap(Toolbar971, 12));
    Toolbar971->addWidget(new QLabel(QStringLiteral("Processed "), Toolbar971));
    Toolbar971->addWidget(pnProcedTotalSize);
    layout->addWidget(Toolbar971);
}

void TMainFm::CreateMenus() {
    ppHelps = new QMenu(this);
    mnWithHelp = ppHelps->addAction(QStringLiteral("付属ヘルプ"));
    mnNewHelp = ppHelps->addAction(QStringLiteral("最新オンラインヘルプ"));
    mnNewInfo = ppHelps->addAction(QStringLiteral("最新情報ページ"));
    mnVersion = ppHelps->addAction(QStringLiteral("バージョン情報"));
    mnGotoHP = ppHelps->addAction(QStringLiteral("作者のホームページ"));

    ppMain = new QMenu(this);
    ppMain->setObjectName(QStringLiteral("ppMain"));
    MenuOff1 = ppMain->addAction(QStringLiteral("Menu Off"));
    ppMain->addSeparator();
    SelectAll1 = ppMain->addAction(QStringLiteral("Select All Files"));
    QMenu* select1 = ppMain->addMenu(QStringLiteral("Select"));
    ppJpegSelect = select1->addAction(QStringLiteral("Jpeg"));
    ppNormalSelect = select1->addAction(QStringLiteral("Normal"));
    ppExtraSelect = select1->addAction(QStringLiteral("Extra"));
    ppSelectUltra = select1->addAction(QStringLiteral("Ultra"));
    ppSelectJpz = select1->addAction(QStringLiteral("Jpz"));
    select1->addAction(QStringLiteral("Jpp"));
    select1->addAction(QStringLiteral("Other"));
    ppMain->addSeparator();
    ppUnMurkwell = ppMain->addAction(QStringLiteral("UnMurkwell"));
    ppMurkwellNormal = ppMain->addAction(QStringLiteral("Murkwell Normal"));
    ppMurkwellExtra = ppMain->addAction(QStringLiteral("Murkwell Extra"));
    ppMurkwellUltra = ppMain->addAction(QStringLiteral("Murkwell Ultra"));
    ppJpzEncode = ppMain->addAction(QStringLiteral("Jpz Encode"));
    SelectUltra = ppMain->addAction(QStringLiteral("Select Ultra"));
    SelectUltra->setVisible(false);
    ppMain->addSeparator();
    Reverse1 = ppMain->addAction(QStringLiteral("Reverse "));
    QMenu* edit = ppMain->addMenu(QStringLiteral("Edit"));
    Edit1 = edit->menuAction();
    Edit1->setVisible(false);
    ppTrash = edit->addAction(QStringLiteral("ごみ箱へ移動"));
    ppMain->addSeparator();
    ppMain->addAction(QStringLiteral("Cancel"));
    ppMain->addSeparator();
    ppOption = ppMain->addAction(QStringLiteral("Option"));
    QMenu* misc = ppMain->addMenu(QStringLiteral("Misc"));
    Option1 = misc->menuAction();
    Option1->setVisible(false);
    ItmMurkCheckMode = misc->addAction(QStringLiteral("MurkCheck Mode"));
    ItmMurkCheckMode->setCheckable(true);
    SaveList1 = misc->addAction(QStringLiteral("Save List "));
    SmallButton1 = misc->addAction(QStringLiteral("Small Button"));
    Option = ppMain->addAction(QStringLiteral("End Message"));
    Option->setCheckable(true);
    ppHelp = ppMain->addAction(QStringLiteral("Help"));
    ppHelp->setVisible(false);
    ppAbout = ppMain->addAction(QStringLiteral("About"));
    ppMain->addSeparator();
    Close1 = ppMain->addAction(QStringLiteral("Exit"));

    ppPassList = new QMenu(this);
    ppPassList->setObjectName(QStringLiteral("ppPassList"));
    Paste2 = ppPassList->addAction(QStringLiteral("Paste"));
    Copy2 = ppPassList->addAction(QStringLiteral("Copy"));
    Cut1 = ppPassList->addAction(QStringLiteral("Cut"));
    ppPassList->addSeparator();
    QAction* unMurkwell1 = ppPassList->addAction(QStringLiteral("UnMurkwell"));
    QAction* murkwellNormal1 = ppPassList->addAction(QStringLiteral("Murkwell Normal"));
    QAction* murkwellExtra1 = ppPassList->addAction(QStringLiteral("Murkwell Extra"));
    connect(unMurkwell1, &QAction::triggered, this, &TMainFm::ppUnMurkwellClick);
    connect(murkwellNormal1, &QAction::triggered, this, &TMainFm::ppMurkwellNormalClick);
    connect(murkwellExtra1, &QAction::triggered, this, &TMainFm::ppMurkwellExtraClick);
}

void TMainFm::Connect() {
    connect(btnExit, &QToolButton::clicked, this, &TMainFm::btnExitClick);
    connect(btnCancel, &QToolButton::clicked, this, &TMainFm::btnCancelClick);
    connect(btnBack, &QToolButton::clicked, this, &TMainFm::btnBackClick);
    connect(btnBackSub, &QToolButton::clicked, this, &TMainFm::btnBackClick);
    connect(btnNext, &QToolButton::clicked, this, &TMainFm::btnNextClick);
    connect(btnNextSub, &QToolButton::clicked, this, &TMainFm::btnNextClick);
    connect(btnMurkwell, &QToolButton::clicked, this, [this] { FCommands->btnMurkwellClick(); });
    connect(btnOpen, &QToolButton::clicked, this, &TMainFm::btnOpenClick);
    connect(btnOption, &QToolButton::clicked, this, &TMainFm::ppOptionClick);
    connect(btnSubDir, &QToolButton::clicked, this, [this] { FCommands->btnSubDirClick(); });
    connect(btnAllMode, &QToolButton::clicked, this, [this] { FCommands->btnAllModeClick(); });
    connect(btnExtra, &QToolButton::clicked, this, [this] { FCommands->btnExtraClick(); });
    connect(btnDel, &QToolButton::clicked, this, &TMainFm::btnDelClick);
    connect(btnAdd, &QToolButton::clicked, this, &TMainFm::btnAddClick);
    connect(btnRefresh, &QToolButton::clicked, this, &TMainFm::btnRefreshClick);

    connect(cbDir, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (!FFolderChoice->Typing()) {
            SelectTreeFolder(text);
        }
        FFolderChoice->cbDirChange(text);
    });
    // A pick from the drop-down chooses its folder even after typing that
    // was not ended with Enter.
    connect(cbDir, &QComboBox::textActivated, this, [this](const QString& text) {
        SelectTreeFolder(text);
        TreeViewClick(text);
    });
    for (QComboBox* box : {cbAngou, cbDir}) {
        connect(box->lineEdit(), &QLineEdit::customContextMenuRequested, this,
                [this, box](const QPoint& position) { ShowPassList(box, position); });
    }
    connect(Paste2, &QAction::triggered, this,
            [this] { PassListEdit([](QComboBox* box) { box->lineEdit()->paste(); }); });
    connect(Copy2, &QAction::triggered, this,
            [this] { PassListEdit([](QComboBox* box) { box->lineEdit()->copy(); }); });
    connect(Cut1, &QAction::triggered, this,
            [this] { PassListEdit([](QComboBox* box) { box->lineEdit()->cut(); }); });

    // The folder model reads and sorts folders in the background, which
    // moves the folder to show; it is shown again until the user takes over
    // the tree.
    const auto showAgain = [this] {
        if (!FTreeFolder.isEmpty()) {
            ShowTreeFolder();
        }
    };
    connect(FolderModel, &QFileSystemModel::layoutChanged, this, showAgain);
    connect(FolderModel, &QFileSystemModel::rowsInserted, this, showAgain);
    connect(TreeView, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { TreeViewClick(FolderModel->filePath(index)); });
    connect(ListView->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { FCommands->ListViewColumnClick(column); });
    connect(pbImageArea, &TPreviewArea::Clicked, this, &TMainFm::pbImageAreaClick);

    PopUpTimer.setSingleShot(true);
    PopUpTimer.setInterval(PopUpDelayMs);
    connect(&PopUpTimer, &QTimer::timeout, this, [this] {
        PopUpTimer.stop();
        ppMain->popup(btnPopup->mapToGlobal(btnPopup->rect().bottomLeft()));
    });

    for (QObject* watched :
         {static_cast<QObject*>(cbDir->lineEdit()), static_cast<QObject*>(cbAngou->view()),
          static_cast<QObject*>(TreeView), static_cast<QObject*>(TreeView->viewport()),
          static_cast<QObject*>(ListView), static_cast<QObject*>(ListView->viewport()),
          static_cast<QObject*>(pbImageArea), static_cast<QObject*>(AnimateMain),
          static_cast<QObject*>(btnPopup)}) {
        watched->installEventFilter(this);
    }

    connect(SelectAll1, &QAction::triggered, this, [this] { FCommands->SelectAll1Click(); });
    const std::pair<QAction*, int> selections[] = {
        {ppJpegSelect, kJpegIcon}, {ppNormalSelect, 1}, {ppExtraSelect, 2},
        {ppSelectUltra, 5},        {SelectUltra, 5},    {ppSelectJpz, 7},
    };
    for (const auto& [action, icon] : selections) {
        connect(action, &QAction::triggered, this,
                [this, icon = icon] { FCommands->SelectByState(icon); });
    }
    connect(ppUnMurkwell, &QAction::triggered, this, &TMainFm::ppUnMurkwellClick);
    connect(ppMurkwellNormal, &QAction::triggered, this, &TMainFm::ppMurkwellNormalClick);
    connect(ppMurkwellExtra, &QAction::triggered, this, &TMainFm::ppMurkwellExtraClick);
    connect(ppMurkwellUltra, &QAction::triggered, this, &TMainFm::ppMurkwellUltraClick);
    connect(ppJpzEncode, &QAction::triggered, this, &TMainFm::ppJpzEncodeClick);
    connect(Reverse1, &QAction::triggered, this, [this] { FCommands->Reverse1Click(); });
    connect(ppTrash, &QAction::triggered, this, [this] {
        ShowMessageBox(this, QStringLiteral("warnning"),
                       QStringLiteral("この機能はまだ動きません"));
    });
    connect(ppOption, &QAction::triggered, this, &TMainFm::ppOptionClick);
    connect(ItmMurkCheckMode, &QAction::triggered, this,
            [this] { FCommands->ItmMurkCheckModeClick(); });
    connect(SaveList1, &QAction::triggered, this, [this] {
        ShowMessageBox(this, QStringLiteral("未実装！"), QStringLiteral("Not Implemented !"));
    });
    connect(SmallButton1, &QAction::triggered, this, &TMainFm::SmallButton1Click);
    connect(Option, &QAction::triggered, this, [this] { FCommands->OptionClick(); });
    connect(ppAbout, &QAction::triggered, this, &TMainFm::ppAboutClick);
    connect(Close1, &QAction::triggered, this, &TMainFm::btnExitClick);

    connect(mnWithHelp, &QAction::triggered, this, [] {
        const QString manual = ManualPath();
        if (!manual.isEmpty()) {
            OpenUrl(QUrl::fromLocalFile(manual));
        }
    });
    connect(mnNewHelp, &QAction::triggered, this,
            [] { OpenUrl(HomePageUrl.resolved(QUrl(QStringLiteral("manual/")))); });
    connect(mnNewInfo, &QAction::triggered, this,
            [] { OpenUrl(HomePageUrl.resolved(QUrl(QStringLiteral("news/")))); });
    connect(mnVersion, &QAction::triggered, this, &TMainFm::ppAboutClick);
    connect(mnGotoHP, &QAction::triggered, this, [] { OpenUrl(HomePageUrl); });
}

}  // namespace murk
