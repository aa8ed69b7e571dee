#pragma once

#include "commandlist.h"
#include "database.h"

#include <QString>

class QTreeWidget;

// The command lists of the authoring windows on a QTreeWidget: the columns
// of commandlist.h, the CommandID as the caption of column 0, a check box
// on each row. The owning window sets the column headings.

// Runs the statement (commands in display order), clears the list and adds
// one row per command. A row starts checked only when the statement gave
// exactly one command. Returns the number of rows; a statement that cannot
// be read leaves the list empty and gives 0.
int FillCommandList(QTreeWidget* list, DbQuery query, const QString& statement);

// Number of checked rows (0 without a list).
int CountCheckedItems(const QTreeWidget* list);

// Copies the commands of the checked rows into the command clipboard (see
// CopyCommandsToClipboard). Returns the number of commands copied.
int CopyCheckedCommands(const QTreeWidget* list, const QString& statement, DbQuery query = DbQuery::General);
