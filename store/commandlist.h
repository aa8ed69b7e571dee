#pragma once

#include "commandrows.h"
#include "database.h"
#include "records.h"

#include <QSet>
#include <QString>
#include <QVector>

// The rows of the authoring windows' command lists, without the widgets
// (those live in ui/commandlistwidget.h). A list has ten columns, one row
// per command: column 0 is the CommandID; then SequenceNo, Remark, SubnetID,
// DeviceID, the kind's name, the three parameter texts and DelayMS.
constexpr int CommandListColumns = 10;

// One command of a list and whether its DelayMS was stored empty.
struct CommandListRow {
    TControlObject command;
    bool delayIsEmpty = false;
};

// Reads every row of the statement, appending to rows; false when the
// statement failed before or while walking the rows.
bool ReadCommandListRows(DbQuery query, const QString& statement, QVector<CommandListRow>* rows);

// The row texts of one command, columns 1 to 9 (display form: a parameter is
// value + "(" + label + ")").
QStringList CommandListCells(const TControlObject& command, bool delayIsEmpty = false);

// Copies the commands whose CommandID is among the given ones into
// mPublicVariable().CommandClipboard, reading them again with the statement
// that filled the list, in its order. With no identifier, or when the
// statement cannot be read, or none of them is still stored, the clipboard
// stays as it was. Returns the number of commands copied.
int CopyCommandsToClipboard(const QSet<int>& commandIds, const QString& statement,
                            DbQuery query = DbQuery::General);
