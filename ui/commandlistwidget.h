#pragma once

#include "columnfit.h"
#include "commandlist.h"
#include "showstore.h"

#include <QColor>
#include <QList>

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

// The look of the command lists: rows on green (159, 215, 181), the
// selection as visible when the list loses focus, and check boxes drawn
// dark enough to be seen on every row colour (see CheckIndicatorInk).
QColor CommandListBackground();
void StyleCommandList(QTreeWidget* list);

// Contrast ratio of two colours as perceived on screen, from 1 (the same
// lightness) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The colour of a check box's border (and of its fill when checked) on a row
// of the given colour: black or white, whichever stands out more (at least
// 4.5:1 on any colour). The inside of an unchecked box and the tick of a
// checked one take the other of the two.
QColor CheckIndicatorInk(const QColor& row);
