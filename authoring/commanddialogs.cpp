#include "commandlistops.h"

#include "addcommandsdialog.h"
#include "modifycommandsdialog.h"

CommandListOperations::Dialogs DefaultCommandListDialogs()
{
    return {&RunAddCommandsDialog, &RunModifyCommandsDialog};
}
