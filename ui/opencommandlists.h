#pragma once
#include <QList>
// A window that shows a checkable command list and lets the command editor
// read which commands are checked. The show settings window registers as
// the owner of set 1 (a time point's commands), the play/pause/stop window
// as the owner of sets 2 to 4, while they are open.
class CommandListOwner {
public:
    virtual ~CommandListOwner() = default;
    // CommandIDs of the checked rows, top to bottom.
    virtual QList<int> checkedCommandIds() const = 0;
};
// The open owner of the given command set, or null.
CommandListOwner* OpenCommandListOwner(int setCode);
// Registers (or with null, unregisters) the owner of set 1 (setCode 1) or of sets 2-4 (any of 2, 3, 4).
void SetOpenCommandListOwner(int setCode, CommandListOwner* owner);
