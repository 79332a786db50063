#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include "MainFixture.h"
#include "murkin.h"

using namespace murk;

namespace {

// Keys and menu requests take the road of the window system here: they are
// given to the main window's QWindow, and Qt hands them to the focus widget,
// the combo box rather than its line edit.
class MainInput : public murktest::TMainTest {
protected:
    TMainFm& StartActive(const QStringList& arguments = {}) {
        TMainFm& window = Start(arguments);
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }

    static void Key(TMainFm& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }

    // Types text one key at a time; after each key, check sees the window.
    static void Type(
        TMainFm& window, const QString& text, const std::function<void()>& check = [] {}) {
        for (const QChar c : text) {
            QTest::keyClick(window.windowHandle(), c.toLatin1());
            check();
        }
    }

    // The keyboard's menu key as the window system reports it: a menu request
    // without a position, which the window gives to its focus widget.
    static void MenuRequestFromKeyboard(TMainFm& window) {
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(window.windowHandle(), &request);
    }

    static void Focus(QComboBox* box) {
        box->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([box] { return box->hasFocus(); }, 2000));
        box->lineEdit()->selectAll();
    }

    static QString Folder(const murktest::TTempDir& folder) {
        return QDir::cleanPath(QString::fromStdString(folder.Path()));
    }

    static void PictureIn(const murktest::TTempDir& folder, const std::string& name) {
        murktest::WriteBytes(folder.File(name), murktest::MakeJpeg(16, 16));
    }
};

TEST_F(MainInput, TypingInTheFolderBoxListsNothingUntilEnter) {
    Picture("a.jpg");
    murktest::TTempDir other;
    PictureIn(other, "b.jpg");
    PictureIn(other, "c.jpg");
    const QString typed = Folder(other);
    TMainFm& window = StartActive({PicturesFolder()});
    // A registered folder that begins with what is typed: inline completion
    // would put it in the box.
    window.AddFolderHistory(typed + QStringLiteral("/registered"));
    const QStringList before = FileNames(window);
    ASSERT_EQ(before, QStringList{QStringLiteral("a.jpg")});

    Focus(window.cbDir);
    // Every prefix that names a folder ("/", "/tmp", ...) would be listed
    // at once if the box acted at every key.
    QStringList actedOn;
    Type(window, typed, [&] {
        if (window.Busy() || FileNames(window) != before) {
            actedOn << window.cbDir->currentText();
        }
    });
    EXPECT_TRUE(actedOn.isEmpty())
        << "listed while typing: " << actedOn.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(window.cbDir->currentText().toStdString(), typed.toStdString())
        << "no key lost, nothing completed";
    EXPECT_EQ(window.cbDir->lineEdit()->cursorPosition(), typed.size());

    Key(window, Qt::Key_Return);
    ASSERT_TRUE(WaitIdle(window));
    EXPECT_EQ(FileNames(window), (QStringList{QStringLiteral("b.jpg"), QStringLiteral("c.jpg")}));
    auto* tree = static_cast<QFileSystemModel*>(window.TreeView->model());
    EXPECT_EQ(tree->filePath(window.TreeView->currentIndex()), typed);
}

TEST_F(MainInput, APickFromTheFolderDropDownListsItAfterTyping) {
    Picture("a.jpg");
    murktest::TTempDir other;
    PictureIn(other, "b.jpg");
    TMainFm& window = StartActive({PicturesFolder()});
    window.AddFolderHistory(Folder(other));

    Focus(window.cbDir);
    Type(window, QStringLiteral("/x"));
    EXPECT_EQ(FileNames(window), QStringList{QStringLiteral("a.jpg")});
    window.cbDir->showPopup();
    QAbstractItemView* view = window.cbDir->view();
    const int row = window.cbDir->findText(Folder(other));
    ASSERT_GE(row, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(row, 0)).center());
    ASSERT_TRUE(WaitIdle(window));
    EXPECT_EQ(FileNames(window), QStringList{QStringLiteral("b.jpg")});
    EXPECT_EQ(window.cbDir->currentText(), Folder(other));
}

TEST_F(MainInput, RememberedPasswordsAreNotCompletedWhileTyping) {
    TMainFm& window = StartActive();
    window.Settings().PasswordHistory = {QStringLiteral("secret-one"), QStringLiteral("other")};
    window.SetPasswordHistoryItems(window.Settings().PasswordHistory);

    Focus(window.cbAngou);
    Type(window, QStringLiteral("sec"));
    EXPECT_EQ(window.cbAngou->currentText().toStdString(), "sec");
    Type(window, QStringLiteral("ret"));
    EXPECT_EQ(window.cbAngou->currentText().toStdString(), "secret");
}

TEST_F(MainInput, TheMenuKeyAndShiftF10InBothBoxesOpenTheBoxMenu) {
    TMainFm& window = StartActive();
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    const std::pair<const char*, std::function<void()>> roads[] = {
        {"menu request", [&] { MenuRequestFromKeyboard(window); }},
        {"menu key", [&] { Key(window, Qt::Key_Menu); }},
        {"Shift+F10", [&] { Key(window, Qt::Key_F10, Qt::ShiftModifier); }},
    };
    for (QComboBox* box : {window.cbAngou, window.cbDir}) {
        for (const auto& [name, open] : roads) {
            SCOPED_TRACE(std::string(name) + (box == window.cbDir ? " in cbDir" : " in cbAngou"));
            Focus(box);
            box->setEditText({});
            open();
            EXPECT_EQ(QApplication::activePopupWidget(), window.ppPassList);
            if (QWidget* popup = QApplication::activePopupWidget()) {
                popup->close();
            }
            window.Paste2->trigger();
            EXPECT_EQ(box->currentText(), QStringLiteral("pasted"))
                << "Paste acts on the box that opened the menu";
        }
    }
}

TEST_F(MainInput, TheTreeShowsTheOpenFolderAtStartAlsoBehindTheLogin) {
    // Deep enough, and after enough siblings, to lie below the tree's first
    // screen.
    murktest::TTempDir root;
    QString folder = Folder(root);
    for (int i = 0; i < 40; ++i) {
        QDir(folder).mkdir(QStringLiteral("a%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    folder += QStringLiteral("/z/y/x");
    QDir().mkpath(folder);
    for (const bool login : {false, true}) {
        SCOPED_TRACE(login ? "with the login window" : "without it");
        WriteRegistry(login ? "d0=1\n" : "d0=0\n");
        if (login) {
            AnswerModal([](QWidget* modal) {
                auto* gate = qobject_cast<TdlgMurkin*>(modal);
                ASSERT_NE(gate, nullptr);
                gate->edMurkin->setText(QStringLiteral("abc"));
                gate->edMurkin2->setText(QStringLiteral("abc"));
                gate->btnEnterClick();
            });
        }
        TMainFm& window = StartActive({folder});
        QTreeView* tree = window.TreeView;
        auto* model = static_cast<QFileSystemModel*>(tree->model());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model->filePath(tree->currentIndex()) == folder; }, 5000));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()));
            },
            5000))
            << "the open folder is out of sight";
        Stop();
    }
}

TEST_F(MainInput, AnEmptyFolderEmptiesThePreviewAndTheFileName) {
    Picture("a.jpg");
    murktest::TTempDir empty;
    TMainFm& window = StartActive({PicturesFolder()});
    ASSERT_FALSE(window.PreviewImage().Image.isNull());
    ASSERT_NE(window.pnFileName->text(), QStringLiteral(" FileName : "));

    window.TreeViewClick(Folder(empty));
    ASSERT_TRUE(WaitIdle(window));
    EXPECT_TRUE(FileNames(window).isEmpty());
    EXPECT_TRUE(window.PreviewImage().Image.isNull());
    EXPECT_TRUE(window.pbImageArea->DrawnRect().isEmpty());
    EXPECT_EQ(window.pnFileName->text(), QStringLiteral(" FileName : "));

    window.TreeViewClick(PicturesFolder());
    ASSERT_TRUE(WaitIdle(window));
    EXPECT_FALSE(window.PreviewImage().Image.isNull()) << "the picture shows again";
}

TEST_F(MainInput, TheWindowIsDraggedFromItsOwnSurfaceOnly) {
    TMainFm& window = StartActive();
    const auto drag = [&](QWidget* from) {
        const QPoint before = window.pos();
        const QPoint start = from->rect().center();
        QTest::mousePress(from, Qt::LeftButton, {}, start);
        QTest::mouseMove(from, start + QPoint(30, 20));
        QTest::mouseRelease(from, Qt::LeftButton, {}, start + QPoint(30, 20));
        return window.pos() - before;
    };
    // Controls that let presses pass to the window.
    for (QWidget* control :
         {static_cast<QWidget*>(window.pnTotal), static_cast<QWidget*>(window.dxfLabel1),
          static_cast<QWidget*>(window.pnTotalSize)}) {
        EXPECT_EQ(drag(control), QPoint()) << control->metaObject()->className();
    }
    QWidget* blank = nullptr;
    for (QWidget* child : window.Toolbar972->findChildren<QWidget*>()) {
        if (child->property(SurfaceProperty).toBool() && child->width() > 40) {
            blank = child;
        }
    }
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(drag(blank), QPoint(30, 20));
}

}  // namespace
