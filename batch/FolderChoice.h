#pragma once

#include <QString>

namespace murk {

class TBatchRun;
class TRunView;
struct TAppSettings;

// Choosing the folder to list: from the folder tree, the folder box, the
// refresh button or at start-up. Each choice starts a listing run.
class TFolderChoice {
public:
    TFolderChoice(TBatchRun& run, TAppSettings& settings, TRunView& view);

    void TreeViewClick(const QString& FolderName);
    // A key in the folder box; Enter (13) chooses the text's folder. The
    // window makes the tree select that folder.
    void cbDirKeyDown(int Key, const QString& text);
    void cbDirChange(const QString& text);
    // Lists the folder box's folder again; the window refreshes the tree.
    void btnRefreshClick();

    const QString& LastFolder() const { return FLastFolder; }
    bool Typing() const { return FTyping; }

private:
    TBatchRun& FRun;
    TAppSettings& FSettings;
    TRunView& FView;
    QString FLastFolder;
    bool FTyping = false;
};

}  // namespace murk
