#include "SharedSettings.h"

namespace murk {

void CopyToOperation(const TAppSettings& from, TOperationSettings& to, TShared which) {
    to.History = from.History;
    to.UltraEnabled = from.UltraEnabled;
    to.JpzAvailable = from.JpzAvailable;
    to.NormalModeNo = from.NormalModeNo;
    to.ExtraModeNo = from.ExtraModeNo;
    to.UltraModeNo = from.UltraModeNo;
    to.RenameExt = from.RenameExt;
    to.NewExt = from.NewExt.toStdString();
    if (which == TShared::WindowSettings) {
        return;
    }
    to.Shield = from.Shield;
    to.MurkCheckMode = from.MurkCheckMode;
    to.PasswordMode = from.PasswordMode;
    to.SubDirMode = from.SubDirMode;
    to.AllMode = from.AllMode;
    to.MurkMode = from.MurkMode;
    to.EncDisp = from.EncDisp;
    to.EndMessage = from.EndMessage;
    to.ResList = from.ResList;
    to.OpenDir = from.LastFolder;
}

void CopyToApp(const TOperationSettings& from, TAppSettings& to) {
    to.Shield = from.Shield;
    to.MurkCheckMode = from.MurkCheckMode;
    to.PasswordMode = from.PasswordMode;
    to.SubDirMode = from.SubDirMode;
    to.AllMode = from.AllMode;
    to.MurkMode = from.MurkMode;
    to.EncDisp = from.EncDisp;
    to.EndMessage = from.EndMessage;
    to.ResList = from.ResList;
}

}  // namespace murk
