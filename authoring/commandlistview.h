#pragma once

class CommandListOperations;
class QPushButton;
class QTreeWidget;

// Shows the rows of the operations in a QTreeWidget (CommandID as the
// caption of column 0, a check box on each row) and hands the operator's
// check clicks back to them. The copy button, when given, shows its caption
// in green while the operations hold a copy made in this window. Replaces
// ops.changed; call once, after the list's columns exist.
void BindCommandList(QTreeWidget* list, CommandListOperations& ops, QPushButton* copyButton = nullptr);
