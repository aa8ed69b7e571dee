#include "showsetup.h"

#include "addeditshow.h"
#include "edittimepointdialog.h"

bool RunShowSetupWindow(QWidget* parent, CommandSequencer& sequencer, MessagePresenter& messages,
                        FileChooser& files, SettingsFiles& settings, const LookupLists& lookups,
                        CommandClipboard& clipboard, SnapshotRequester* snapshots, UndoHistory* history)
{
    ShowSetupLogic::Dialogs dialogs;
    dialogs.addEditShow = [&messages, &files, &settings](QWidget* owner, int mode, const QString& showId,
                                                         const ShowSetupLogic::ShowNameCheck& nameExists) {
        return RunAddEditShowDialog(owner, messages, files, settings, mode, showId, nameExists);
    };
    dialogs.modifyTimePoint = [&messages](QWidget* owner, const QString& showId, const QString& showName,
                                          const QString& timePointId, const QString& remark) {
        return RunEditTimePointDialog(owner, messages, showId, showName, timePointId, remark);
    };
    dialogs.commands = DefaultCommandListDialogs(messages, settings, lookups);
    dialogs.files = &files;
    dialogs.writableSettings = &settings;
    ShowSettingsWindow window(parent, sequencer, messages, settings, lookups, clipboard, std::move(dialogs));
    window.logic().setSnapshots(snapshots);
    window.setHistory(history);
    window.setWindowState(Qt::WindowMaximized);
    window.exec();
    return window.logic().storedDataChanged();
}
