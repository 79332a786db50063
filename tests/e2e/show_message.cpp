// e2e_show_message CAPTION TEXT
// Not a test by itself: shows a warning box the way the program shows its
// own, so that a journey can compare the program's box with this one
// pixel for pixel and so know the program's text exactly.
#include <QApplication>

#include "MessageBox.h"
#include "QtJapanese.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("murkwell"));
    murk::InstallQtJapanese(application);
    murk::ShowMessageBox(nullptr, QString::fromUtf8(argv[1]), QString::fromUtf8(argv[2]));
    return 0;
}
