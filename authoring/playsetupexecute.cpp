#include "playsetupwindow.h"

// Apart from the window itself, so that code using the window with dialogs
// of its own does not pull in the real command dialogs.
void PlaySettingsWindow::Execute(QWidget* parent, CommandSequencer& sequencer, MessagePresenter& messages,
                                 const SettingsFiles& files, const LookupLists& lookups, CommandClipboard& clipboard,
                                 SnapshotRequester* snapshots, FileChooser* fileChooser, UndoHistory* history)
{
    PlaySettingsWindow window(sequencer, messages, files, lookups, clipboard,
                              DefaultCommandListDialogs(messages, files, lookups), parent);
    window.logic().commands().setSnapshots(snapshots);
    window.logic().fileChooser = fileChooser;
    window.setHistory(history);
    window.exec();
}
