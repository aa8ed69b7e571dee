#pragma once

#include "commandrows.h"
#include "database.h"
#include "records.h"

#include <QString>

class QTreeWidget;

// The command lists of the authoring windows: a QTreeWidget with ten
// columns, one row per command, a check box on each row. Column 0 (the
// caption) is the CommandID; then SequenceNo, Remark, SubnetID, DeviceID,
// the kind's name, the three parameter texts and DelayMS. The owning window
// sets the column headings.
constexpr int CommandListColumns = 10;

// Runs the statement (commands in display order), clears the list and adds
// one row per command. A row starts checked only when the statement gave
// exactly one command. Returns the number of rows; a statement that cannot
// be read leaves the list empty and gives 0.
int FillCommandList(QTreeWidget* list, DbQuery query, const QString& statement);

// The row texts of one command, columns 1 to 9 (display form: a parameter is
// value + "(" + label + ")").
QStringList CommandListCells(const TControlObject& command, bool delayIsEmpty = false);

// Number of checked rows (0 without a list).
int CountCheckedItems(const QTreeWidget* list);

// Copies the commands of the checked rows into mPublicVariable().CommandClipboard,
// reading them again with the statement that filled the list. With no row
// checked, or when the statement cannot be read, the clipboard stays as it
// was. Returns the number of commands copied.
int CopyCheckedCommands(const QTreeWidget* list, const QString& statement, DbQuery query = DbQuery::General);
