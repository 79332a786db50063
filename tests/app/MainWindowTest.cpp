#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QEnterEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "FileSelection.h"
#include "LoginPassword.h"
#include "MainFixture.h"
#include "PickDialogs.h"
#include "Shell.h"
#include "dlg_option.h"
#include "endmes.h"
#include "murkin.h"

using namespace murk;

namespace {

class MainWindow : public murktest::TMainTest {
protected:
    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) {
            items << box->itemText(i);
        }
        return items;
    }

    static std::vector<int> Selected(TMainFm& window) { return SelectedRows(window.Selection()); }

    static void SelectOnly(TMainFm& window, std::initializer_list<int> rows) {
        window.Selection().clearSelection();
        for (const int row : rows) {
            window.Selection().select(window.List().index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // Closes the end message the next command shows, keeping its text.
    void AnswerEndMessage() {
        AnswerModal([this](QWidget* modal) {
            if (auto* note = qobject_cast<TEndMesDlg*>(modal)) {
                FEndMessages << note->StaticText1->text();
            }
            static_cast<QDialog*>(modal)->accept();
        });
    }

    static bool ShieldedExtra(const murktest::TBytes& bytes) {
        return bytes.size() > 4 && bytes[0] == 0x8F && bytes[1] == 0x98 && bytes[2] == 0x8C &&
               (bytes[3] == 0xCB || bytes[3] == 0xCA);
    }

    QStringList FEndMessages;
};

TEST_F(MainWindow, FirstStartOnACleanFolderUsesTheDefaultsAndAsksForANewLoginPassword) {
    std::remove(Path("registry.ini").c_str());
    bool setPasswordMode = false;
    bool listShownBehindLogin = true;
    AnswerModal([&](QWidget* modal) {
        auto* login = qobject_cast<TdlgMurkin*>(modal);
        ASSERT_NE(login, nullptr) << "the login window must open first";
        setPasswordMode = login->edMurkin2->isVisible();
        listShownBehindLogin = FWindows->MainFm.ListView->isVisible();
        login->edMurkin->setText(QStringLiteral("abc"));
        login->edMurkin2->setText(QStringLiteral("abc"));
        login->btnEnterClick();
    });
    TMainFm& window = Start();

    EXPECT_TRUE(setPasswordMode);
    EXPECT_FALSE(listShownBehindLogin) << "nothing of the folder shows before the login";
    EXPECT_TRUE(window.ListView->isVisible());
    EXPECT_EQ(CheckLoginPassword(Registry(QStringLiteral("version/date2")).toStdString(), "abc"),
              TLoginCheck::Right);
    EXPECT_EQ(window.size(), QSize(600, 640));
    std::vector<int> widths;
    for (int column = 0; column < kFileColumnCount; ++column) {
        widths.push_back(window.ListView->header()->sectionSize(column));
    }
    EXPECT_EQ(widths, (std::vector<int>{60, 60, 60, 60, 80, 180}));
    EXPECT_EQ(window.ListView->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(window.PreviewColor(), QColor(182, 197, 214));
    // "dir" defaults to the settings folder, which exists here.
    EXPECT_EQ(window.cbDir->currentText(), QDir::cleanPath(QString::fromStdString(FHome.Path())));
    EXPECT_TRUE(window.cbAngou->isEnabled()) << "start-up selects Extra";
    EXPECT_EQ(window.btnMurkwell->text(), QStringLiteral(" MurkCheck"))
        << "the first folder choice turns the check mode on";
    EXPECT_FALSE(window.ppMurkwellUltra->isVisible());
    EXPECT_FALSE(window.ppJpzEncode->isVisible());
    EXPECT_TRUE(window.TreeView->isVisible());
    EXPECT_TRUE(window.pbImageArea->isVisible());
}

TEST_F(MainWindow, SettingsWrittenAtCloseAreReadAtTheNextStart) {
    Picture("a.jpg");
    Picture("b.jpg");
    {
        TMainFm& window = Start({PicturesFolder()});
        window.resize(700, 520);
        window.ListView->header()->resizeSection(colFileName, 123);
        window.btnAddClick();
        window.Option->trigger();
        window.SelectAll1->trigger();
        window.cbAngou->setEditText(QStringLiteral("secret"));
        window.ppMurkwellExtra->trigger();
        ASSERT_EQ(Icons(window), (std::vector<int>{2, 2}));
        Stop();
    }
    // A value that is not a number gives its default.
    std::string ini = ReadText(Path("murkw.ini"));
    const size_t height = ini.find("MainHeight=520");
    ASSERT_NE(height, std::string::npos) << ini;
    ini.replace(height, std::string("MainHeight=520").size(), "MainHeight=tall");
    WriteText(Path("murkw.ini"), ini);

    TMainFm& window = Start();
    EXPECT_EQ(window.size(), QSize(700, 640));
    EXPECT_EQ(window.ListView->header()->sectionSize(colFileName), 123);
    EXPECT_EQ(Items(window.cbDir), QStringList{PicturesFolder()});
    EXPECT_EQ(window.cbDir->currentText(), PicturesFolder()) << "the saved dir opens first";
    EXPECT_EQ(Items(window.cbAngou), QStringList{QStringLiteral("secret")});
    EXPECT_FALSE(window.Option->isChecked()) << "End Message was switched off";
    EXPECT_EQ(FileNames(window), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(MainWindow, MurkwellExtraShieldsTheSelectedRowsAndUnMurkwellGivesThemBack) {
    const std::string paths[] = {Picture("a.jpg"), Picture("b.jpg", 80, 60), Picture("c.jpg")};
    std::vector<murktest::TBytes> originals;
    for (const std::string& path : paths) {
        originals.push_back(murktest::ReadBytes(path));
    }
    TMainFm& window = Start({PicturesFolder()});
    ASSERT_EQ(Icons(window), (std::vector<int>{6, 6, 6}));
    ASSERT_FALSE(window.PreviewImage().Image.isNull()) << "the first row is previewed";

    window.SelectAll1->trigger();
    QTest::keyClicks(window.cbAngou->lineEdit(), QStringLiteral("secret"));
    AnswerEndMessage();
    window.ppMurkwellExtra->trigger();

    EXPECT_EQ(Icons(window), (std::vector<int>{2, 2, 2}));
    for (const std::string& path : paths) {
        EXPECT_TRUE(ShieldedExtra(murktest::ReadBytes(path))) << path;
    }
    EXPECT_EQ(window.pnProc->text(), QStringLiteral(" Processed: 3"));
    EXPECT_EQ(FEndMessages, QStringList{QStringLiteral("Process is end.")});
    EXPECT_TRUE(window.PreviewImage().Image.isNull()) << "a shielded row empties the preview";
    EXPECT_FALSE(window.btnCancel->isEnabled());

    AnswerEndMessage();
    window.ppUnMurkwell->trigger();
    EXPECT_EQ(Icons(window), (std::vector<int>{6, 6, 6}));
    for (size_t i = 0; i < std::size(paths); ++i) {
        EXPECT_EQ(murktest::ReadBytes(paths[i]), originals[i]) << paths[i];
    }
    EXPECT_FALSE(window.PreviewImage().Image.isNull()) << "the restored picture shows again";
    EXPECT_TRUE(FMessages.empty()) << MessageTexts().join('\n').toStdString();
}

TEST_F(MainWindow, TheRunsUseWhatTheOptionsWindowChanged) {
    Picture("a.jpg");
    TMainFm& window = Start({PicturesFolder()});
    AnswerModal([](QWidget* modal) {
        auto* dialog = qobject_cast<TdlgOption*>(modal);
        if (!dialog) {
            ADD_FAILURE() << "not the options window";
            modal->close();
            return;
        }
        QTest::mouseClick(dialog->cbjpgxxx, Qt::LeftButton);
        dialog->edNewExt->setText(QStringLiteral("xyz"));
        dialog->close();
    });
    window.btnOption->click();
    ASSERT_TRUE(window.Settings().RenameExt);

    window.SelectAll1->trigger();
    window.cbAngou->setEditText(QStringLiteral("secret"));
    AnswerEndMessage();
    window.ppMurkwellExtra->trigger();
    EXPECT_EQ(FileNames(window), QStringList{"a.xyz"});
    EXPECT_TRUE(ShieldedExtra(murktest::ReadBytes(FPictures.File("a.xyz"))));
}

TEST_F(MainWindow, ShieldingWithAnEmptyPasswordIsRefusedWithAMessage) {
    const std::string path = Picture("a.jpg");
    const murktest::TBytes original = murktest::ReadBytes(path);
    TMainFm& window = Start({PicturesFolder()});
    window.SelectAll1->trigger();
    window.ppMurkwellExtra->trigger();

    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_EQ(FMessages[0].Caption, QStringLiteral("Warnning "));
    EXPECT_EQ(FMessages[0].Text, QStringLiteral("パスワードを入力してください ! "));
    EXPECT_EQ(murktest::ReadBytes(path), original);
    EXPECT_EQ(Icons(window), (std::vector<int>{6}));
    EXPECT_FALSE(window.btnCancel->isEnabled());
}

TEST_F(MainWindow, BackAndNextMoveOneRowAndStopAtTheEnds) {
    Picture("a.jpg", 40, 30);
    Picture("b.jpg", 50, 30);
    Picture("c.jpg", 60, 30);
    TMainFm& window = Start({PicturesFolder()});
    const auto previewWidth = [&] { return window.PreviewImage().FullSize.width(); };
    ASSERT_EQ(Selected(window), (std::vector<int>{0}));
    EXPECT_EQ(previewWidth(), 40);

    window.btnNextClick();
    EXPECT_EQ(Selected(window), (std::vector<int>{1}));
    EXPECT_EQ(previewWidth(), 50);
    QTest::keyClick(window.ListView, Qt::Key_N);
    EXPECT_EQ(Selected(window), (std::vector<int>{2}));
    EXPECT_EQ(previewWidth(), 60);

    // At the last row nothing moves and the picture is not decoded again.
    const qint64 shown = window.PreviewImage().Image.cacheKey();
    window.btnNextClick();
    EXPECT_EQ(Selected(window), (std::vector<int>{2}));
    EXPECT_EQ(window.PreviewImage().Image.cacheKey(), shown);

    QTest::keyClick(window.ListView, Qt::Key_B);
    EXPECT_EQ(Selected(window), (std::vector<int>{1}));
    EXPECT_EQ(previewWidth(), 50);
    window.btnBackClick();
    window.btnBackClick();
    EXPECT_EQ(Selected(window), (std::vector<int>{0}));
    EXPECT_EQ(previewWidth(), 40);

    // With several rows selected Next adds row 0; Back only shows the first.
    SelectOnly(window, {1, 2});
    window.btnNextClick();
    EXPECT_EQ(Selected(window), (std::vector<int>{0, 1, 2}));
    SelectOnly(window, {1, 2});
    window.btnBackClick();
    EXPECT_EQ(Selected(window), (std::vector<int>{1, 2}));
    EXPECT_EQ(previewWidth(), 50);

    window.pbImageAreaClick();
    ASSERT_EQ(FOpened.size(), 1);
    EXPECT_EQ(FOpened[0], QUrl::fromLocalFile(PicturesFolder() + "/b.jpg"));
}

TEST_F(MainWindow, AFolderDroppedOnTheWindowIsListedAndOneDroppedOnTheTreeIsNot) {
    Picture("a.jpg");
    murktest::TTempDir dropped;
    const murktest::TBytes picture = murktest::MakeJpeg(32, 32);
    murktest::WriteBytes(dropped.File("x.jpg"), picture);
    murktest::WriteBytes(dropped.File("y.jpeg"), picture);
    murktest::WriteBytes(dropped.File("z.txt"), picture);
    TMainFm& window = Start({PicturesFolder()});

    // As Qt delivers a drag: its start, a move, then the drop, each to the
    // widget under the pointer.
    const auto drop = [&](QWidget* target) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped.Path()))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent event(QPointF(6, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
        return move.isAccepted();
    };

    EXPECT_FALSE(drop(window.TreeView)) << "the tree refuses the drop";
    EXPECT_FALSE(window.Busy());
    EXPECT_EQ(FileNames(window), QStringList{"a.jpg"});

    AnswerEndMessage();
    EXPECT_TRUE(drop(window.ListView->viewport())) << "a drop on the list is the window's";
    ASSERT_TRUE(WaitIdle(window));
    EXPECT_EQ(FileNames(window), (QStringList{"x.jpg", "y.jpeg"}));
    EXPECT_EQ(Icons(window), (std::vector<int>{6, 6})) << "in check mode drops are only listed";
    EXPECT_EQ(murktest::ReadBytes(dropped.File("x.jpg")), picture);
    EXPECT_EQ(FEndMessages, QStringList{QStringLiteral("Check is end.")});
}

TEST_F(MainWindow, ExitDuringAListRunStopsItAndSavesOnceItHasEnded) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
        Picture(name);
    }
    TMainFm& window = Start({PicturesFolder()});
    window.Option->trigger();
    window.SelectAll1->trigger();
    window.cbAngou->setEditText(QStringLiteral("secret"));
    // Exit is clicked while the run lets events through after its first file.
    bool exitClicked = false;
    QObject::connect(&window.List(), &QAbstractItemModel::dataChanged, &window, [&] {
        if (!exitClicked) {
            exitClicked = true;
            QTimer::singleShot(0, &window, &TMainFm::btnExitClick);
        }
    });
    window.ppMurkwellExtra->trigger();

    ASSERT_TRUE(exitClicked);
    EXPECT_FALSE(window.isVisible());
    const std::vector<int> icons = Icons(window);
    EXPECT_EQ(std::count(icons.begin(), icons.end(), 2), 1)
        << "the run stops after the file in hand";
    // The run registers its folder as it ends; the save came after that.
    EXPECT_EQ(ReadText(Path("dir.txt")), PicturesFolder().toStdString() + "\n");
    EXPECT_EQ(murktest::ReadBytes(Path("murkw.hst")).size(), std::string("secret\n").size());
}

TEST_F(MainWindow, DeleteInTheOpenPasswordListRemovesOneEntryOrWithShiftAll) {
    WriteText(Path("murkw.hst"), "one\ntwo\nthree\n");
    TMainFm& window = Start();
    ASSERT_EQ(Items(window.cbAngou), (QStringList{"one", "two", "three"}));

    window.cbAngou->setEditText(QStringLiteral("typed"));
    QTest::keyClick(window.cbAngou->lineEdit(), Qt::Key_Delete);
    EXPECT_EQ(Items(window.cbAngou).size(), 3) << "a closed list leaves the history alone";

    window.cbAngou->showPopup();
    window.cbAngou->view()->setCurrentIndex(window.cbAngou->model()->index(1, 0));
    QTest::keyClick(window.cbAngou->view(), Qt::Key_Delete);
    EXPECT_EQ(Items(window.cbAngou), (QStringList{"one", "three"}));
    EXPECT_EQ(window.Settings().PasswordHistory, (QStringList{"one", "three"}));
    EXPECT_TRUE(window.cbAngou->currentText().isEmpty());

    QTest::keyClick(window.cbAngou->view(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(Items(window.cbAngou).isEmpty());
    window.cbAngou->hidePopup();
    Stop();
    EXPECT_EQ(ReadText(Path("murkw.hst")), "");
}

TEST_F(MainWindow, FolderRegistrationAddsSortedOnceAndRemovingTheLastOpensTheHomeFolder) {
    Picture("a.jpg");
    murktest::TTempDir other;
    TMainFm& window = Start({PicturesFolder()});
    const QString second = QString::fromStdString(other.Path());

    window.btnAddClick();
    window.btnAddClick();
    window.SetFolderText(second);
    window.btnAddClick();
    QStringList sorted{PicturesFolder(), second};
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(Items(window.cbDir), sorted);

    window.SetFolderText(QStringLiteral("/not/registered"));
    window.btnDelClick();
    EXPECT_EQ(Items(window.cbDir), sorted) << "an unknown folder removes nothing";

    window.SetFolderText(second);
    window.btnDelClick();
    EXPECT_EQ(Items(window.cbDir), QStringList{PicturesFolder()});
    EXPECT_EQ(window.cbDir->currentText(), PicturesFolder());

    window.btnDelClick();
    ASSERT_TRUE(WaitIdle(window));
    EXPECT_TRUE(Items(window.cbDir).isEmpty());
    EXPECT_EQ(window.cbDir->currentText(), QDir::homePath());
    EXPECT_TRUE(FileNames(window).isEmpty()) << "the empty home folder is listed";
}

TEST_F(MainWindow, TheListTextColourChosenInTheOptionsColoursTheNamesAndIsKept) {
    SetColorAnswer([](const QColor&) { return QColor(10, 20, 30); });
    {
        TMainFm& window = Start();
        EXPECT_EQ(window.ListView->palette().color(QPalette::Text), QColor(Qt::white));
        AnswerModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TdlgOption*>(modal);
            ASSERT_NE(dialog, nullptr);
            QTest::mouseClick(dialog->btnListTextColor, Qt::LeftButton);
            dialog->close();
        });
        window.btnOption->click();
        EXPECT_EQ(window.ListView->palette().color(QPalette::Text), QColor(10, 20, 30));
        Stop();
    }
    EXPECT_EQ(Registry(QStringLiteral("fnColor")), QString::number(0x1E140A));
    TMainFm& window = Start();
    EXPECT_EQ(window.ListView->palette().color(QPalette::Text), QColor(10, 20, 30));
}

TEST_F(MainWindow, TheHelpMenusPagesAreSectionsOfTheLocalManual) {
    TMainFm& window = Start();
    const std::pair<QAction*, QString> items[] = {
        {window.mnNewHelp, "usage"}, {window.mnNewInfo, "news"}, {window.mnGotoHP, "author"}};
    QFile manual(ManualPath());
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly)) << "no manual beside the program";
    const QString text = QString::fromUtf8(manual.readAll());
    for (const auto& [item, section] : items) {
        FOpened.clear();
        item->trigger();
        ASSERT_EQ(FOpened.size(), 1) << item->text().toStdString();
        EXPECT_EQ(FOpened[0].toLocalFile(), ManualPath());
        EXPECT_EQ(FOpened[0].fragment(), section);
        EXPECT_TRUE(text.contains(QStringLiteral("<h2 id=\"%1\">").arg(section)))
            << "the manual has no section " << section.toStdString();
    }
}

TEST_F(MainWindow, LayoutsShowTheTreeAndThePreviewOrNeither) {
    TMainFm& window = Start();
    struct Case {
        int Index;
        bool Pane, Tree;
    };
    const Case cases[] = {{2, false, false}, {1, true, false}, {0, true, true}, {7, true, true}};
    for (const Case& c : cases) {
        window.ApplyLayout(c.Index);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.PnLeftMain->isVisible(), c.Pane) << c.Index;
        EXPECT_EQ(window.TreeView->isVisible(), c.Tree) << c.Index;
        EXPECT_EQ(window.pbImageArea->isVisible(), c.Pane) << c.Index;
    }
    const int pane = window.SpLeftMain->height();
    EXPECT_NEAR(window.pbImageArea->height(), pane / 3, 8) << "the preview takes a third";
}

TEST_F(MainWindow, PassListEditsTheBoxThatOpenedIt) {
    TMainFm& window = Start();
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    const QString folder = window.cbDir->currentText();
    const auto paste = [&](QComboBox* box) {
        emit box->lineEdit()->customContextMenuRequested(QPoint(1, 1));
        window.ppPassList->hide();
        window.Paste2->trigger();
    };

    window.cbAngou->setEditText({});
    paste(window.cbAngou);
    EXPECT_EQ(window.cbAngou->currentText(), QStringLiteral("pasted"));
    EXPECT_EQ(window.cbDir->currentText(), folder);

    window.cbAngou->setEditText({});
    window.SetPasswordEnabled(false);
    paste(window.cbAngou);
    EXPECT_TRUE(window.cbAngou->currentText().isEmpty()) << "a disabled box takes nothing";
}

TEST_F(MainWindow, HoveringOverOperationOpensTheMenuAfterItsDelay) {
    TMainFm& window = Start();
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(window.btnPopup, &enter);
    QTest::qWait(200);
    EXPECT_FALSE(window.ppMain->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.ppMain->isVisible(); }, 1000));
    window.ppMain->hide();

    QApplication::sendEvent(window.btnPopup, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window.btnPopup, &leave);
    QTest::qWait(500);
    EXPECT_FALSE(window.ppMain->isVisible()) << "leaving the button stops the timer";
}

TEST(StartFolder, FollowsTheArgumentThenDirThenTheFolderBox) {
    murktest::TTempDir root;
    const QString base = QString::fromStdString(root.Path());
    QDir(base).mkpath(QStringLiteral("pics"));
    murktest::WriteBytes(root.File("pics/a.jpg"), {0xFF, 0xD8});
    const QString pics = base + "/pics";
    const QString home = QDir::homePath();
    struct Case {
        QStringList Arguments;
        QString Dir, Box, Expected;
    };
    const Case cases[] = {
        {{pics + "/a.jpg"}, {}, {}, pics},
        {{pics + "/"}, {}, {}, pics},
        {{pics}, {}, {}, pics},
        {{base + "/missing/a.jpg"}, pics, pics, home},
        {{}, pics, base, pics},
        {{}, base + "/missing", pics, pics},
        {{}, base + "/missing", base + "/gone", home},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartFolder(c.Arguments, c.Dir, c.Box), c.Expected)
            << c.Arguments.join(' ').toStdString() << " | " << c.Dir.toStdString();
    }
}

}  // namespace
