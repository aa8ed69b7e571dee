#include "commandlistops.h"

#include "addcommandsdialog.h"
#include "commandeditordialog.h"

CommandListOperations::Dialogs DefaultCommandListDialogs()
{
    return {&RunAddCommandsDialog, &RunCommandEditorDialog};
}
