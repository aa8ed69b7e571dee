#include "commandlistops.h"

#include "addcommandsdialog.h"
#include "commandeditordialog.h"

CommandListOperations::Dialogs DefaultCommandListDialogs(MessagePresenter& messages, const SettingsFiles& files,
                                                         const LookupLists& lookups)
{
    CommandListOperations::Dialogs dialogs;
    dialogs.addCommands = [&messages](QWidget* parent, const NamedCommandList& list) {
        return RunAddCommandsDialog(parent, messages, list);
    };
    dialogs.modifyCommands = [&messages, &files, &lookups](QWidget* parent, const NamedCommandList& list,
                                                           const QList<int>& checkedIds) {
        return RunCommandEditorDialog(parent, messages, files, lookups, list, checkedIds);
    };
    return dialogs;
}
