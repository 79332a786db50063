#include "main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "Animation.h"
#include "BatchRun.h"
#include "FileSelection.h"
#include "FolderChoice.h"
#include "JpzLibrary.h"
#include "ListFontQt.h"
#include "Logout.h"
#include "MessageBox.h"
#include "PickDialogs.h"
#include "RunCommands.h"
#include "SettingsStore.h"
#include "Shell.h"
#include "StateIcons.h"
#include "ToolbarIcons.h"
#include "endmes.h"
#include "murkin.h"

namespace murk {

namespace {

const QString MainCaption = QStringLiteral("Murkwell for Windows ");
// The design position of the window; it is not stored.
constexpr QPoint DesignPosition(282, 115);
constexpr int PopUpDelayMs = 350;
constexpr int StripHeight = 16;
// The failure box lists this many files and counts the rest.
constexpr size_t ShownFailures = 20;

QColor ToColor(TRgb rgb) {
    return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

TRgb ToRgb(const QColor& color) {
    return {uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue())};
}

// The list's design font: the "fn..." values default to it. White, since the
// list's design background is black.
TListFont DesignListFont() {
    TListFont font;
    font.Color = 0xFFFFFF;
    return font;
}

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

bool IsFolderPath(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

void TFileListView::SetListLine(bool shown) {
    FListLine = shown;
    viewport()->update();
}

void TFileListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (FListLine) {
        painter->save();
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
}

TPreviewArea::TPreviewArea(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(16, 16);
}

void TPreviewArea::SetPicture(const QImage& image, const QSize& fullSize) {
    FImage = image;
    FFullSize = image.isNull() ? QSize() : fullSize;
    update();
}

QRect TPreviewArea::DrawnRect() const {
    return FImage.isNull() ? QRect() : PreviewDrawRect(FFullSize, size());
}

QColor TPreviewArea::Color() const {
    return palette().color(QPalette::Window);
}

void TPreviewArea::SetColor(const QColor& color) {
    QPalette colored = palette();
    colored.setColor(QPalette::Window, color);
    setPalette(colored);
}

void TPreviewArea::paintEvent(QPaintEvent*) {
    const QRect drawn = DrawnRect();
    if (drawn.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(drawn, FImage);
}

void TPreviewArea::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
}

TShadowLabel::TShadowLabel(const QString& text, QWidget* parent) : QWidget(parent), FCaption(text) {
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void TShadowLabel::SetLook(TRgb text, TRgb shadow) {
    FText = text;
    FShadow = shadow;
    update();
}

QSize TShadowLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(FCaption) + 6, metrics.height() + 2};
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(2, 0, -2, -1);
    painter.setPen(ToColor(FShadow));
    painter.drawText(area.translated(1, 1), Qt::AlignVCenter | Qt::AlignLeft, FCaption);
    painter.setPen(ToColor(FText));
    painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft, FCaption);
}

QString StartFolder(const QStringList& arguments, const QString& lastFolder,
                    const QString& folderBoxText) {
    QString chosen;
    if (!arguments.isEmpty()) {
        const QFileInfo argument(arguments.first());
        // A folder named on the command line is that folder, with or without
        // its trailing "/", rather than the folder it sits in.
        chosen = argument.isDir() ? argument.absoluteFilePath() : argument.absolutePath();
    } else if (IsFolderPath(lastFolder)) {
        chosen = lastFolder;
    } else {
        chosen = folderBoxText;
    }
    return IsFolderPath(chosen) ? QDir::cleanPath(chosen) : QDir::homePath();
}

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
    TJpzLibrary::Instance().Release();
    // The run and its worker go before the list and the view they report to.
    FFolderChoice.reset();
    FCommands.reset();
    FRun.reset();
}

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

void TMainFm::FormCreate() {
    // The application-wide hook: clicks in any window restart the logout.
    FLogout = std::make_unique<TLogoutMonitor>(FSettings, [this] { return Busy(); });
    qApp->installEventFilter(FLogout.get());
    connect(FLogout.get(), &TLogoutMonitor::CaptionChanged, this, &QWidget::setWindowTitle);
    connect(FLogout.get(), &TLogoutMonitor::LogoutRequested, this, &QWidget::close);

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
    if (FSettings.History) {
        SetPasswordHistoryItems(FSettings.PasswordHistory);
    }
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
    FClosed = true;
    event->accept();
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

void TMainFm::TreeViewClick(const QString& FolderName) {
    FFolderChoice->TreeViewClick(FolderName);
}

void TMainFm::btnRefreshClick() {
    // The folder model follows the file system by itself; only the list is
    // made again.
    FFolderChoice->btnRefreshClick();
}

void TMainFm::btnAddClick() {
    AddFolderHistory(cbDir->currentText());
}

void TMainFm::btnDelClick() {
    const int index = cbDir->findText(cbDir->currentText(), Qt::MatchFixedString);
    if (index < 0) {
        return;
    }
    FSettings.FolderHistory.removeAt(index);
    RefillFolderBox();
    const QString next =
        FSettings.FolderHistory.isEmpty() ? QDir::homePath() : FSettings.FolderHistory.first();
    SetFolderText(next);
    SelectTreeFolder(next);
    TreeViewClick(next);
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

QString TMainFm::RowPath(int row) const {
    return QFile::decodeName(QByteArray::fromStdString(FList.RowPath(row)));
}

void TMainFm::ShowPreview() {
    const std::vector<int> rows = SelectedRows(FSelection);
    if (rows.empty()) {
        return;
    }
    const int row = rows.front();
    const QString path = RowPath(row);
    const int icon = FList.Row(row).Icon;
    if (icon == kJpegIcon || icon == StateIcon(msJpgPlus)) {
        if (path == FPreviewPath) {
            return;
        }
        FPreviewPath = path;
        FPreview = DecodePreview(path, pbImageArea->size());
        pbImageArea->SetPicture(FPreview.Image, FPreview.FullSize);
    } else if (!FPreview.Image.isNull()) {
        FPreview = {};
        FPreviewPath = path;
        pbImageArea->SetPicture({}, {});
    }
}

void TMainFm::ForgetPreview() {
    FPreviewPath.clear();
}

void TMainFm::PreviewResized() {
    // Kept at reduced size, the picture is decoded again once the pane
    // outgrows it.
    if (PreviewTooSmall(FPreview, pbImageArea->size())) {
        FPreview = DecodePreview(FPreviewPath, pbImageArea->size());
        pbImageArea->SetPicture(FPreview.Image, FPreview.FullSize);
    }
}

void TMainFm::pbImageAreaClick() {
    const std::vector<int> rows = SelectedRows(FSelection);
    if (!rows.empty()) {
        OpenUrl(QUrl::fromLocalFile(RowPath(rows.front())));
    }
}

void TMainFm::ListViewClick() {
    if (FList.rowCount() > 0) {
        ShowPreview();
    }
}

void TMainFm::btnNextClick() {
    if (FList.rowCount() == 0) {
        return;
    }
    const std::vector<int> rows = SelectedRows(FSelection);
    if (rows.size() == 1) {
        const int row = rows.front();
        if (row + 1 < FList.rowCount()) {
            const QModelIndex next = FList.index(row + 1, 0);
            FSelection.setCurrentIndex(next,
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
            ListView->scrollTo(next);
            FSelection.select(FList.index(row, 0),
                              QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
        QCoreApplication::processEvents();
    } else {
        FSelection.select(FList.index(0, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    ShowPreview();
}

void TMainFm::btnBackClick() {
    const std::vector<int> rows = SelectedRows(FSelection);
    if (rows.size() != 1) {
        ListViewClick();
        return;
    }
    if (FList.rowCount() == 0) {
        return;
    }
    const int row = rows.front();
    if (row > 0) {
        const QModelIndex previous = FList.index(row - 1, 0);
        ListView->scrollTo(previous);
        FSelection.setCurrentIndex(previous,
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
        FSelection.select(FList.index(row, 0),
                          QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    QCoreApplication::processEvents();
    ShowPreview();
}

void TMainFm::ListViewKeyDown(int key) {
    switch (key) {
        case Qt::Key_Space:
        case Qt::Key_N:
        case Qt::Key_Right:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            btnNextClick();
            break;
        case Qt::Key_Backspace:
        case Qt::Key_B:
        case Qt::Key_Left:
            btnBackClick();
            break;
        default:
            break;
    }
}

void TMainFm::DeletePasswordHistory(int Index) {
    if (Index < 0 || Index >= FSettings.PasswordHistory.size()) {
        return;
    }
    FSettings.PasswordHistory.removeAt(Index);
    SetPasswordHistoryItems(FSettings.History ? FSettings.PasswordHistory : QStringList());
}

bool TMainFm::PasswordDropDownKey(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete) {
        return false;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        FSettings.PasswordHistory.clear();
        SetPasswordHistoryItems({});
    } else if (const QModelIndex highlighted = cbAngou->view()->currentIndex();
               highlighted.isValid()) {
        DeletePasswordHistory(highlighted.row());
    }
    cbAngou->setEditText({});
    return true;
}

void TMainFm::ShowPassList(QComboBox* box, const QPoint& position) {
    FPassListBox = box;
    ppPassList->popup(box->lineEdit()->mapToGlobal(position));
}

void TMainFm::PassListEdit(void (*edit)(QComboBox*)) {
    if (FPassListBox && FPassListBox->isEnabled()) {
        edit(FPassListBox);
    }
}

void TMainFm::SelectTreeFolder(const QString& folder) {
    if (!IsFolderPath(folder)) {
        return;
    }
    FTreeFolder = QDir::cleanPath(folder);
    ShowTreeFolder();
}

void TMainFm::ShowTreeFolder() {
    const QModelIndex index = FolderModel->index(FTreeFolder);
    if (!index.isValid()) {
        return;
    }
    // Opened before the scroll, which lays out only what was open already.
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
        TreeView->expand(parent);
    }
    TreeView->setCurrentIndex(index);
    TreeView->scrollTo(index);
}

void TMainFm::FillComboKeepingText(QComboBox* box, const QStringList& items) {
    const QString text = box->currentText();
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void TMainFm::RefillFolderBox() {
    FillComboKeepingText(cbDir, FSettings.FolderHistory);
}

void TMainFm::ApplyListColors() {
    QPalette colors = ListView->palette();
    colors.setColor(QPalette::Base, ToColor(RgbFromColorRef(FSettings.ListViewColor)));
    colors.setColor(QPalette::Text, ToColor(RgbFromColorRef(FSettings.ListFont.Color)));
    // The selection stays visible while the list does not have the focus.
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colors.setColor(QPalette::Inactive, role, colors.color(QPalette::Active, role));
    }
    ListView->setPalette(colors);
}

void TMainFm::ApplyLayout(int Index) {
    switch (Index) {
        case 0: {
            PnLeftMain->show();
            TreeView->show();
            SpLeftMain->show();
            const int height = std::max(3, PnLeftMain->height());
            SpLeftMain->setSizes({height - height / 3, height / 3});
            break;
        }
        case 1:
            PnLeftMain->show();
            SpLeftMain->show();
            TreeView->hide();
            break;
        case 2:
            PnLeftMain->hide();
            TreeView->hide();
            SpLeftMain->hide();
            break;
        default:
            break;
    }
}

bool TMainFm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Drags over the tree stop there: the tree takes their start, so Qt does
    // not hand them on to the window, refuses every position, and drops a
    // drop that comes all the same.
    if (watched == TreeView && type == QEvent::DragEnter) {
        event->accept();
        return true;
    }
    if (watched == TreeView && type == QEvent::DragMove) {
        event->ignore();
        return true;
    }
    if (watched == TreeView && type == QEvent::Drop) {
        static_cast<QDropEvent*>(event)->setDropAction(Qt::IgnoreAction);
        event->accept();
        return true;
    }
    if ((watched == TreeView && type == QEvent::KeyPress) ||
        (watched == TreeView->viewport() &&
         (type == QEvent::MouseButtonPress || type == QEvent::Wheel))) {
        FTreeFolder.clear();
    }
    if (watched == ListView && type == QEvent::KeyPress) {
        // Not consumed: the list moves its own way too.
        ListViewKeyDown(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == ListView->viewport() && type == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ListViewClick();
    } else if (watched == cbDir->lineEdit() && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter) {
            SelectTreeFolder(cbDir->currentText());
        }
        FFolderChoice->cbDirKeyDown(enter ? 13 : key, cbDir->currentText());
    } else if (watched == cbAngou->view() && type == QEvent::KeyPress) {
        return PasswordDropDownKey(static_cast<QKeyEvent*>(event));
    } else if (watched == pbImageArea && type == QEvent::Resize) {
        PreviewResized();
    } else if (watched == AnimateMain && type == QEvent::MouseButtonPress) {
        pnAnimate->setFrameShadow(QFrame::Sunken);
    } else if (watched == AnimateMain && type == QEvent::MouseButtonRelease) {
        pnAnimate->setFrameShadow(QFrame::Raised);
        ShowAbout();
    } else if (watched == btnPopup && type == QEvent::Enter) {
        PopUpTimer.start();
    } else if (watched == btnPopup && type == QEvent::Leave) {
        PopUpTimer.stop();
    }
    return QWidget::eventFilter(watched, event);
}

void TMainFm::contextMenuEvent(QContextMenuEvent* event) {
    ppMain->popup(event->globalPos());
}

void TMainFm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TMainFm::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TMainFm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        WMDropFiles(paths);
    }
}

void TMainFm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        FDragging = true;
        FDragPosition = event->globalPosition().toPoint();
    }
}

void TMainFm::mouseMoveEvent(QMouseEvent* event) {
    if (FDragging) {
        const QPoint position = event->globalPosition().toPoint();
        move(pos() + position - FDragPosition);
        FDragPosition = position;
    }
}

void TMainFm::mouseReleaseEvent(QMouseEvent*) {
    FDragging = false;
}

void TMainFm::SetPanelText(TPanel panel, const QString& text) {
    switch (panel) {
        case TPanel::Total:
            pnTotal->setText(text);
            break;
        case TPanel::Processed:
            pnProc->setText(text);
            break;
        case TPanel::Time:
            pnTime->setText(text);
            break;
        case TPanel::FileName:
            pnFileName->setText(text);
            break;
        case TPanel::TotalSize:
            pnTotalSize->setText(text);
            break;
        case TPanel::ProcessedSize:
            pnProcedTotalSize->setText(text);
            break;
    }
}

void TMainFm::SetPanelColor(TPanel panel, TRgb color) {
    QLabel* const labels[] = {pnTotal, pnProc, pnTime, pnFileName, pnTotalSize, pnProcedTotalSize};
    QLabel* label = labels[size_t(panel)];
    QPalette colored = label->palette();
    colored.setColor(QPalette::WindowText, ToColor(color));
    label->setPalette(colored);
}

void TMainFm::SetOperationButton(const QString& caption, TRgb color) {
    btnMurkwell->setText(caption);
    QPalette colored = btnMurkwell->palette();
    colored.setColor(QPalette::ButtonText, ToColor(color));
    btnMurkwell->setPalette(colored);
}

void TMainFm::SetToggleButton(TToggleButton button, const QString& caption, int image) {
    QToolButton* target = button == TToggleButton::AllMode  ? btnAllMode
                          : button == TToggleButton::SubDir ? btnSubDir
                                                            : btnExtra;
    target->setText(caption);
    target->setIcon(ToolbarIcon(image));
}

QString TMainFm::PasswordText() const {
    return cbAngou->currentText();
}

void TMainFm::SetPasswordText(const QString& text) {
    cbAngou->setEditText(text);
}

void TMainFm::SetPasswordEnabled(bool enabled) {
    cbAngou->setEnabled(enabled);
}

void TMainFm::FocusPassword() {
    cbAngou->setFocus();
}

void TMainFm::SetPasswordHistoryItems(const QStringList& items) {
    FillComboKeepingText(cbAngou, items);
}

void TMainFm::SetPasswordLabelLook(TRgb text, TRgb shadow) {
    btnPassWord->SetLook(text, shadow);
}

void TMainFm::SetMenuItemVisible(TMenuItem item, bool visible) {
    switch (item) {
        case TMenuItem::MurkwellUltra:
            ppMurkwellUltra->setVisible(visible);
            break;
        case TMenuItem::JpzEncode:
            // The Jpz commands are offered only while the option asks for them.
            ppJpzEncode->setVisible(visible && FSettings.UseJpz);
            break;
        case TMenuItem::EndMessage:
            Option->setVisible(visible);
            break;
        case TMenuItem::MurkCheckMode:
            ItmMurkCheckMode->setVisible(visible);
            break;
    }
}

void TMainFm::SetMenuItemChecked(TMenuItem item, bool checked) {
    switch (item) {
        case TMenuItem::MurkwellUltra:
            ppMurkwellUltra->setChecked(checked);
            break;
        case TMenuItem::JpzEncode:
            ppJpzEncode->setChecked(checked);
            break;
        case TMenuItem::EndMessage:
            Option->setChecked(checked);
            break;
        case TMenuItem::MurkCheckMode:
            ItmMurkCheckMode->setChecked(checked);
            break;
    }
}

QString TMainFm::FolderText() const {
    return cbDir->currentText();
}

void TMainFm::SetFolderText(const QString& text) {
    // Only the user's changes of the box choose a folder.
    const QSignalBlocker blocker(cbDir);
    cbDir->setEditText(text);
}

void TMainFm::AddFolderHistory(const QString& folder) {
    if (murk::AddFolderHistory(FSettings.FolderHistory, folder)) {
        RefillFolderBox();
    }
}

void TMainFm::SetCancelEnabled(bool enabled) {
    btnCancel->setEnabled(enabled);
}

void TMainFm::SetProgress(int percent) {
    ProgBar->setValue(percent);
}

void TMainFm::SetAnimation(bool running) {
    if (running) {
        AnimateMain->Play();
    } else {
        AnimateMain->Stop();
    }
}

void TMainFm::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TMainFm::RestartLogout() {
    FLogout->RestartLogout();
}

void TMainFm::ShowMessage(const QString& caption, const QString& text) {
    ShowMessageBox(this, caption, text);
}

void TMainFm::ShowEndMessage(TEndMessagePlace place, const QString& text) {
    if (!FEndMesDlg) {
        return;
    }
    const QRect frame = frameGeometry();
    const QPoint corner =
        place == TEndMessagePlace::ListViewCentre
            ? ListView->mapToGlobal(ListView->rect().center())
            : QPoint(frame.left() + frame.width() / 2, frame.top() + frame.height() / 2);
    FEndMesDlg->ShowAt(corner, text);
}

void TMainFm::ShowFailures(const std::vector<TRunFailure>& failures) {
    QStringList lines;
    for (size_t i = 0; i < failures.size() && i < ShownFailures; ++i) {
        const TRunFailure& failure = failures[i];
        lines << (failure.Path.isEmpty() ? failure.Reason
                                         : failure.Path + QStringLiteral(": ") + failure.Reason);
    }
    if (failures.size() > ShownFailures) {
        lines << QStringLiteral("ほか %1 件").arg(failures.size() - ShownFailures);
    }
    ShowMessageBox(
        this, QStringLiteral("Warnning"),
        QStringLiteral("処理できなかったファイルがあります。\n\n") + lines.join(QLatin1Char('\n')));
}

bool TMainFm::ListLineShown() const {
    return ListView->ListLine();
}

void TMainFm::SetListLine(bool shown) {
    ListView->SetListLine(shown);
}

QFont TMainFm::ListFont() const {
    return ListView->font();
}

void TMainFm::SetListFont(const QFont& font) {
    ListView->setFont(font);
}

void TMainFm::ListColor1Click() {
    const QColor current = ToColor(RgbFromColorRef(FSettings.ListViewColor));
    if (const std::optional<QColor> color = PickColor(this, current)) {
        FSettings.ListViewColor = ColorRefFromRgb(ToRgb(*color));
        ApplyListColors();
    }
}

QColor TMainFm::PreviewColor() const {
    return pbImageArea->Color();
}

void TMainFm::SetPreviewColor(const QColor& color) {
    pbImageArea->SetColor(color);
    FSettings.SamnailBackColor = ColorRefFromRgb(ToRgb(color));
}

void TMainFm::SetUltraItemsVisible(bool visible) {
    ppMurkwellUltra->setVisible(visible);
    ppSelectUltra->setVisible(visible);
}

void TMainFm::SetJpzItemsVisible(bool visible) {
    ppJpzEncode->setVisible(visible);
    ppSelectJpz->setVisible(visible);
}

}  // namespace murk
