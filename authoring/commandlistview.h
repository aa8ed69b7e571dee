#pragma once

#include <functional>

class CommandListOperations;
class QMenu;
class QPushButton;
class QTreeWidget;
class QWidget;

// Shows the rows of the operations in a QTreeWidget (CommandID as the
// caption of column 0, a check box on each row) and hands the operator's
// check clicks back to them. The copy button, when given, shows its caption
// in green while the operations hold a copy made in this window. Replaces
// ops.changed; call once, after the list's columns exist.
void BindCommandList(QTreeWidget* list, CommandListOperations& ops, QPushButton* copyButton = nullptr);

// Runs after() each time the operations change, once the bound list shows
// the change. Call after BindCommandList.
void FollowCommandList(CommandListOperations& ops, std::function<void()> after);

// The seven buttons above a command list.
struct CommandPaneButtons {
    QPushButton* selectAll;
    QPushButton* deselectAll;
    QPushButton* copyChecked;
    QPushButton* paste;
    QPushButton* add;
    QPushButton* editChecked;
    QPushButton* deleteChecked;
};

// Hands the seven buttons and a double click on the list to the operations,
// and gives the list its right-click menu ("popmenuCMD", owned by
// menuParent), whose entries click the buttons.
QMenu* WireCommandPane(QTreeWidget* list, CommandListOperations& ops, const CommandPaneButtons& buttons,
                       QWidget* menuParent);

// The wait cursor while something runs in the background.
class BusyCursor {
public:
    BusyCursor() = default;
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    ~BusyCursor() { set(false); }

    void set(bool busy);

private:
    bool m_shown = false;
};
