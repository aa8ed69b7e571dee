#pragma once

#include "showstore.h"
#include "records.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

struct LookupLists;
struct SettingsFiles;

// The rows of the authoring windows' command lists, without the widgets
// (those live in ui/commandlistwidget.h). A list has ten columns, one row
// per command: column 0 is the CommandID; then SequenceNo, Remark, SubnetID,
// DeviceID, the kind's name, the three parameter texts and DelayMS. The rows
// themselves come from ShowStore::ReadCommandList.
constexpr int CommandListColumns = 10;

// A command list with the texts its windows name it by: for the commands of
// a time point, the show's name and the time point's text.
struct NamedCommandList {
    ShowStore::CommandTarget target;
    QString showName;
    QString timePointText;
};

// The context line of the windows that add or edit a list's commands:
// "Current Show:" with the show's name and "Current Time Point:" with the
// time point's text; for a set "Current mode:" with its name and no second
// line.
struct CommandListCaptions {
    QString firstCaption;
    QString firstValue;
    QString secondCaption;
    QString secondValue;
};
CommandListCaptions CaptionsOf(const NamedCommandList& list);

// The row texts of one command, columns 1 to 9 (display form: a parameter is
// value + "(" + label + ")"), with the texts of the language file and the
// names of the lookup lists.
QStringList CommandListCells(const SettingsFiles& files, const LookupLists& lookups, const TControlObject& command,
                             bool delayIsEmpty = false);

// The commands of the rows, in their order.
QVector<TControlObject> CommandsOf(const QVector<CommandListRow>& rows);

// Commands copied in one authoring window to be pasted in either: the show
// settings window and the play/pause/stop settings window share one, which
// the main window owns.
struct CommandClipboard {
    QVector<TControlObject> commands;
};

// Copies the commands whose CommandID is among the given ones into the
// clipboard, reading the list again, in its order.
// With no identifier, or when the list cannot be read, or none of them is
// still stored, the clipboard stays as it was. Returns the number of
// commands copied.
int CopyCommandsToClipboard(CommandClipboard& clipboard, const QSet<int>& commandIds,
                            const ShowStore::CommandTarget& list);
