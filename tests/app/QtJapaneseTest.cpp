#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "QtJapanese.h"

namespace {

TEST(QtJapanese, StandardButtonsAndDialogsSpeakJapanese) {
    QTranslator* translator = murk::InstallQtJapanese(*qApp);
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations are not installed";

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warnning"), QStringLiteral("text"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().toStdString(), "キャンセル");
    QColorDialog colors;
    colors.setOption(QColorDialog::DontUseNativeDialog);
    const auto* buttons = colors.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().toStdString(), "キャンセル");

    QCoreApplication::removeTranslator(translator);
    delete translator;
}

}  // namespace
