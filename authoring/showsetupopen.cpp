#include "showsetup.h"

#include "addeditshow.h"
#include "modifycurtimepoint.h"

bool RunShowSetupWindow(QWidget* parent, CommandSequencer& sequencer)
{
    ShowSetupLogic::Dialogs dialogs;
    dialogs.addEditShow = [](QWidget* owner, int mode, const QString& showId,
                             const ShowSetupLogic::ShowNameCheck& nameExists) {
        return RunAddEditShowDialog(owner, mode, showId, nameExists);
    };
    dialogs.modifyTimePoint = &RunModifyCurTimePointDialog;
    dialogs.commands = DefaultCommandListDialogs();
    TfrmShowSetup window(parent, sequencer, std::move(dialogs));
    window.setWindowState(Qt::WindowMaximized);
    window.exec();
    return window.logic().storedDataChanged();
}
