#pragma once

#include <QIcon>

namespace murk {

// Indices into the toolbar's image list. The pairs of hover pictures are
// shown while the mouse is over a button (Hot) and after it leaves.
enum TToolbarImage {
    tiCancel = 1,
    tiAdd = 2,
    tiDel = 3,
    tiRefresh = 4,
    tiFolder = 5,
    tiNormal = 7,
    tiExtra = 11,
    tiSubDir = 16,
    tiCurrent = 17,
    tiBackHot = 18,
    tiNextHot = 19,
    tiSingle = 21,
    tiAll = 22,
    tiBack = 33,
    tiNext = 34,
    tiExitHot = 35,
    tiOptionHot = 38,
    tiExit = 39,
    tiHelp = 40,
    tiHelpHot = 41,
    tiOption = 42,
};

// The picture at an index: the desktop's theme icon where the theme has
// one, else one drawn here, so the toolbars look complete on a bare machine.
// Null for an index without a picture.
QIcon ToolbarIcon(int index);

// A button picture that shows over while the mouse is on the button (Qt's
// active mode, which auto-raised tool buttons use) and away otherwise.
QIcon HoverIcon(int over, int away);

}  // namespace murk
