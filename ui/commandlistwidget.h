#pragma once

#include "commandlist.h"
#include "showstore.h"

class QTreeWidget;

// The command lists of the authoring windows on a QTreeWidget: the columns
// of commandlist.h, the CommandID as the caption of column 0, a check box
// on each row. The owning window sets the column headings.

// Reads the command list (commands in display order), clears the widget and
// adds one row per command, described by the language file of the files
// and the lookup lists. A row starts checked only when the list holds
// exactly one command. Returns the number of rows; a list that cannot be
// read leaves the widget empty and gives 0.
int FillCommandList(QTreeWidget* list, const SettingsFiles& files, const LookupLists& lookups,
                    const ShowStore::CommandTarget& commands);

// Number of checked rows (0 without a list).
int CountCheckedItems(const QTreeWidget* list);

// Copies the commands of the checked rows into the clipboard (see
// CopyCommandsToClipboard). Returns the number of commands copied.
int CopyCheckedCommands(const QTreeWidget* list, CommandClipboard& clipboard,
                        const ShowStore::CommandTarget& commands);
