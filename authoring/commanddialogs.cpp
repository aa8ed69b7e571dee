#include "commandlistops.h"

#include "addcommandsdialog.h"
#include "commandeditordialog.h"

CommandListOperations::Dialogs DefaultCommandListDialogs(MessagePresenter& messages)
{
    CommandListOperations::Dialogs dialogs;
    dialogs.addCommands = [&messages](QWidget* parent, int setCode, const QString& showId,
                                      const QString& showName, const QString& timePointId,
                                      const QString& timePointText) {
        return RunAddCommandsDialog(parent, messages, setCode, showId, showName, timePointId, timePointText);
    };
    dialogs.modifyCommands = [&messages](QWidget* parent, int setCode, const QList<int>& checkedIds,
                                         const QString& showId, const QString& showName,
                                         const QString& timePointId, const QString& timePointText) {
        return RunCommandEditorDialog(parent, messages, setCode, checkedIds, showId, showName, timePointId,
                                      timePointText);
    };
    return dialogs;
}
