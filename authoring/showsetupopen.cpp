#include "showsetup.h"

#include "addeditshow.h"
#include "edittimepointdialog.h"

bool RunShowSetupWindow(QWidget* parent, CommandSequencer& sequencer, FileChooser& files)
{
    ShowSetupLogic::Dialogs dialogs;
    dialogs.addEditShow = [&files](QWidget* owner, int mode, const QString& showId,
                                   const ShowSetupLogic::ShowNameCheck& nameExists) {
        return RunAddEditShowDialog(owner, files, mode, showId, nameExists);
    };
    dialogs.modifyTimePoint = &RunEditTimePointDialog;
    dialogs.commands = DefaultCommandListDialogs();
    ShowSettingsWindow window(parent, sequencer, std::move(dialogs));
    window.setWindowState(Qt::WindowMaximized);
    window.exec();
    return window.logic().storedDataChanged();
}
