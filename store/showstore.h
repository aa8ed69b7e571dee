#pragma once

#include "records.h"

#include <QString>
#include <QVector>

#include <optional>
#include <utility>

struct SettingsFiles;

// The editing operations of the authoring windows: shows, time points, the
// commands of a time point and the play, pause and stop sets. They work on
// the open show database without any widget, so a window only gathers its
// input, calls one operation and shows the outcome.
//
// The reads of the lists the program shows and plays are here too, next to
// the writes, so that no window or player runs a statement of its own.
//
// Every operation runs on a query object of its own: calling one while a
// caller walks the rows of another read leaves that walk alone. Every
// change of more than one row runs in one transaction, all of it or none of
// it. A failure carries the database's own reason, for one clear message;
// it never comes back as an identifier that could be stored.
namespace ShowStore {

// Outcome of a change.
struct EditResult {
    bool ok = false;
    QString error; // the database's reason when !ok

    static EditResult success() { return {true, {}}; }
    static EditResult failure(QString reason) { return {false, std::move(reason)}; }
    explicit operator bool() const { return ok; }
};

// A value read or made, or the reason there is none.
template <typename T> struct Outcome {
    std::optional<T> value;
    QString error; // the database's reason when there is no value

    static Outcome success(T v) { return {std::move(v), {}}; }
    static Outcome failure(QString reason) { return {std::nullopt, std::move(reason)}; }
    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    const T* operator->() const { return &*value; }
};

// A new identifier (or sequence number), or the reason there is none.
using IdResult = Outcome<int>;

// Rows as far as they could be read: every row, or those before the row the
// database failed on, with its reason. A select is run up to its first row,
// so a failure without rows means the list could not be read at all.
template <typename T> struct RowsRead {
    QVector<T> rows;
    QString error; // the database's reason when the read stopped early

    bool complete() const { return error.isEmpty(); }
};

// ---- Shows ----------------------------------------------------------------

// A show as the show lists show it: its row of table Show with its name and
// media path from Show.ini.
struct ShowRow {
    int ShowID = 0;
    int SequenceNo = 0;
    int ActivedUniversalSwitch = 0;
    int UniversalSwitchID = 0;
    QString Name;
    QString URL;
};

// What the add/edit show dialog saves.
struct ShowFields {
    int SequenceNo = 0;
    bool ActivedUniversalSwitch = false;
    int UniversalSwitchID = 0; // stored as 0 while the switch is not active
    QString Name;
    QString URL;
};

// Every show, in SequenceNo order.
Outcome<QVector<ShowRow>> ReadShows(const SettingsFiles& files);
// The same shows, as far as they could be read.
RowsRead<ShowRow> ReadShowList(const SettingsFiles& files);
// One show, or an empty optional when there is no such row.
Outcome<std::optional<ShowRow>> ReadShow(const SettingsFiles& files, int showId);
// The sequence number offered to a new show: Max(SequenceNo)+1, 1 for none.
IdResult NextShowSequenceNo();
// The ShowID a new show gets: Max(ShowID)+1, 1 for none.
IdResult NextShowId();
// Whether a listed show other than exceptShowId already has this name
// (compared exactly, letter case counting). Without exceptShowId any show
// counts.
Outcome<bool> ShowNameExists(const SettingsFiles& files, const QString& name,
                            std::optional<int> exceptShowId = std::nullopt);
// Inserts the show row and writes its name and path into Show.ini, both or
// neither: the file is written only once the row is committed, and a file
// that refuses the entry takes the row out again. Returns the new ShowID.
IdResult AddShow(SettingsFiles& files, const ShowFields& fields);
// Updates the show row and its Show.ini entry, both or neither, in the same
// order: a refused entry puts the row's earlier values back.
EditResult UpdateShow(SettingsFiles& files, int showId, const ShowFields& fields);
// Deletes the show's commands, its time points and its row, all or none.
// Its Show.ini section stays; a later show with the same ShowID overwrites it.
EditResult DeleteShow(int showId);

// ---- Time points --------------------------------------------------------

// The show's time points in SecondOfTimePoint order (without commands).
Outcome<QVector<TTimePoint>> ReadTimePoints(int showId);
// One time point, or an empty optional when there is none.
Outcome<std::optional<TTimePoint>> ReadTimePoint(int showId, int timePointId);
// Whether the show has a time point at that second.
Outcome<bool> TimePointExistsAt(int showId, int second);
// Max(TimePointID)+1 within the show, 1 for none.
IdResult NextTimePointId(int showId);
// Inserts a time point at the second (no remark); returns its TimePointID.
// Whether one already exists at that second is the caller's test.
IdResult AddTimePoint(int showId, int second);
EditResult UpdateTimePoint(int showId, int timePointId, int second, const QString& remark);
// Deletes the time point's commands and the time point, both or neither.
EditResult DeleteTimePoint(int showId, int timePointId);

// ---- Commands -------------------------------------------------------------

// The command list an operation works on: the commands of one time point
// (set CommandsForShowSet, with its show and time point) or the play, pause
// or stop set (the ids are not used).
struct CommandTarget {
    CommandSetCode setCode = CommandsForShowSet;
    int showId = 0;
    int timePointId = 0;

    static CommandTarget timePoint(int showId, int timePointId) { return {CommandsForShowSet, showId, timePointId}; }
    static CommandTarget set(CommandSetCode code) { return {code, 0, 0}; }
};

// The list's commands in SequenceNo order, as the lists show them.
Outcome<QVector<TControlObject>> ReadCommands(const CommandTarget& target);
// The same commands with whether each one's DelayMS is stored empty, as far
// as they could be read.
RowsRead<CommandListRow> ReadCommandList(const CommandTarget& target);
// Max(CommandID)+1 of the list (of the whole table for a set), 1 for none.
IdResult NextCommandId(const CommandTarget& target);
// Appends count blank commands (kind 3, everything else 0) numbered from
// NextCommandId, each with its CommandID as SequenceNo. Returns their ids.
Outcome<QVector<int>> AddBlankCommands(const CommandTarget& target, int count);
// Inserts copies of the commands with new identifiers from NextCommandId up.
// Into an empty list they keep their SequenceNo; into a list that has
// commands each takes its new CommandID as SequenceNo. Returns the new ids.
Outcome<QVector<int>> PasteCommands(const CommandTarget& target, const QVector<TControlObject>& commands);
// Writes the edited commands (matched by CommandID), all or none.
EditResult UpdateCommands(const CommandTarget& target, const QVector<TControlObject>& commands);
// Deletes the commands with these ids, all or none.
EditResult DeleteCommands(const CommandTarget& target, const QVector<int>& commandIds);

} // namespace ShowStore
