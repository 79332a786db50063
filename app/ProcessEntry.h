#pragma once

#include <QStringList>

#include "about.h"
#include "dlg_option.h"
#include "endmes.h"
#include "main.h"
#include "murkin.h"

namespace murk {

// The five windows of the program in their fixed order: the main window
// first, whose creation reads the settings the others are given, then the
// about, end-message, login and options windows. They go in reverse order.
class TWindows {
public:
    // arguments: the command line after the program's name.
    explicit TWindows(const QStringList& arguments);

    TMainFm MainFm;
    TAboutBox AboutBox;
    TEndMesDlg EndMesDlg;
    TdlgMurkin dlgMurkin;
    TdlgOption dlgOption;
};

// The process: ends at once, with no window and no message, while another
// instance runs; otherwise shows the main window and runs the message loop
// until it closes. With $MURKWELL_SCREENSHOT naming a PNG file, it saves a
// picture of the main window there once the first folder is listed, and
// closes.
int MurkwellMain(int argc, char** argv);

}  // namespace murk
