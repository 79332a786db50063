#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QSet>
#include <QTest>

#include <unistd.h>

#include "FailureText.h"
#include "MainFixture.h"
#include "endmes.h"

using namespace murk;

namespace {

class MainFailures : public murktest::TMainTest {
protected:
    void Run(TMainFm& window, QAction* command, const QString& password) {
        window.SelectAll1->trigger();
        window.SetPasswordText(password);
        AnswerModal([this](QWidget* modal) {
            if (auto* note = qobject_cast<TEndMesDlg*>(modal)) {
                FEndMessages << note->StaticText1->text();
            }
            static_cast<QDialog*>(modal)->accept();
        });
        command->trigger();
    }

    QStringList FEndMessages;
};

TEST_F(MainFailures, ARestoreWithAWrongPasswordListsEveryFileAndWhyInOneBox) {
    constexpr int kFiles = 22;
    for (int i = 0; i < kFiles; ++i) {
        Picture(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')).toStdString());
    }
    TMainFm& window = Start({PicturesFolder()});
    Run(window, window.ppMurkwellExtra, QStringLiteral("secret"));
    // Shielded already: left as wanted, nothing to say.
    Run(window, window.ppMurkwellNormal, QStringLiteral("secret"));
    ASSERT_TRUE(FMessages.empty()) << MessageTexts().join('\n').toStdString();

    Run(window, window.ppUnMurkwell, QStringLiteral("wrong"));
    EXPECT_EQ(FEndMessages, QStringList(3, QStringLiteral("Process is end.")));
    ASSERT_EQ(FMessages.size(), 1u) << "one box for the whole run";
    const QStringList lines = FMessages[0].Text.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + int(ShownFailures) + 1) << FMessages[0].Text.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("22 件")));
    EXPECT_EQ(lines[1], QStringLiteral("フォルダ: ") + PicturesFolder());
    for (int i = 2; i < 2 + int(ShownFailures); ++i) {
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("p%1.jpg: ").arg(i - 2, 2, 10, QChar('0'))))
            << lines[i].toStdString();
        EXPECT_TRUE(lines[i].endsWith(QStringLiteral("パスワードが違うか、ファイルが壊れています")))
            << lines[i].toStdString();
    }
    EXPECT_EQ(lines.last().toStdString(), "ほか 2 件");
    EXPECT_EQ(window.pnProc->text(), QStringLiteral(" Processed: 0"));
}

TEST_F(MainFailures, AFileWithAnotherHardLinkIsNamedWithItsReason) {
    const std::string linked = Picture("linked.jpg");
    Picture("plain.jpg");
    murktest::TTempDir elsewhere;
    ASSERT_EQ(::link(linked.c_str(), elsewhere.File("other-name.jpg").c_str()), 0);
    TMainFm& window = Start({PicturesFolder()});
    Run(window, window.ppMurkwellExtra, QStringLiteral("secret"));

    ASSERT_EQ(FMessages.size(), 1u);
    EXPECT_TRUE(
        FMessages[0].Text.contains("\nlinked.jpg: " + RefusalTextJa(TRefusal::OtherNames, 1)))
        << FMessages[0].Text.toStdString();
    EXPECT_FALSE(FMessages[0].Text.contains(QStringLiteral("plain.jpg")));
}

TEST(FailureText, EveryRefusalHasItsOwnJapaneseText) {
    QSet<QString> texts;
    for (int value = int(TRefusal::None); value <= int(TRefusal::NoCp932Converter); ++value) {
        const QString text = RefusalTextJa(TRefusal(value), 2);
        EXPECT_NE(text, RefusalTextJa(TRefusal(-1))) << "no text for refusal " << value;
        const bool japanese =
            std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
        EXPECT_TRUE(japanese) << text.toStdString();
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), int(TRefusal::NoCp932Converter) + 1) << "two refusals share a text";
    EXPECT_TRUE(RefusalTextJa(TRefusal::OtherNames, 3).contains('3'));
}

TEST(FailureText, TheSystemsOwnWordsFollowTheReason) {
    TRunFailure failure;
    failure.Path = QStringLiteral("/p/a.jpg");
    failure.Kind = TFailureKind::CannotOpen;
    failure.Detail = QStringLiteral("Permission denied");
    EXPECT_EQ(FailureReasonJa(failure).toStdString(), "ファイルを開けません (Permission denied)");
    TRunFailure elsewhere = failure;
    elsewhere.Path = QStringLiteral("/q/b.jpg");
    EXPECT_EQ(FailureListText({failure, elsewhere}).split('\n').mid(2),
              (QStringList{"/p/a.jpg: ファイルを開けません (Permission denied)",
                           "/q/b.jpg: ファイルを開けません (Permission denied)"}))
        << "files of several folders keep their folders";
    EXPECT_EQ(FailureListText({failure}).split('\n').mid(1),
              (QStringList{"フォルダ: /p", "", "a.jpg: ファイルを開けません (Permission denied)"}));
}

}  // namespace
