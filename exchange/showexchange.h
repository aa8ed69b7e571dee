#pragma once

#include "records.h"
#include "showstore.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

struct SettingsFiles;
class MessagePresenter;
class QWidget;

// Shows and command sets carried between program folders in one file, a
// ".tavshow" zip archive:
//
//   manifest.json   what the file is: format version, the program version
//                   that wrote it, and each member's size and SHA-256
//   show.json       a show: its row, its Show.ini name, its media file's
//                   name, its time points and their commands
//   set.json        (instead of show.json) the commands of a play, pause or
//                   stop set
//   media/<file>    the show's media file, when it was asked for
//
// Every row is written with all its columns as stored, an empty column as
// null, so that importing a file and exporting the show again gives the
// same show.json apart from its ShowID and SequenceNo. Nothing here needs a
// widget: the windows ask their questions and call these.
namespace ShowExchange {

inline constexpr int FormatVersion = 1;
inline constexpr char FileSuffix[] = "tavshow";

// What a file may hold at most; a larger member is refused before it is read.
struct Limits {
    qint64 maxJsonBytes = qint64(64) << 20; // manifest.json, show.json, set.json each
    qint64 maxMediaBytes = qint64(4) << 30;
};

// ---- Export -----------------------------------------------------------------

// show.json of a show as the open database and Show.ini hold it.
ShowStore::Outcome<QJsonObject> ShowDocument(const SettingsFiles& files, int showId);
// set.json of the play, pause or stop set.
ShowStore::Outcome<QJsonObject> SetDocument(CommandSetCode set);

// The media file a show's Show.ini entry names (its full path), empty for none.
QString MediaPathOf(const SettingsFiles& files, int showId);

// Writes the show into path, with its media file when includeMedia. The
// file appears complete or not at all.
ShowStore::EditResult ExportShow(const SettingsFiles& files, int showId, const QString& path, bool includeMedia);
// Writes the set into path, the same way.
ShowStore::EditResult ExportSet(CommandSetCode set, const QString& path);

// ---- Reading a file ---------------------------------------------------------

// A file read through and found whole: every member's hash matches the
// manifest, the version is known, nothing exceeds the limits.
struct Package {
    QString path;
    QJsonObject manifest;
    QString kind;         // "show" or "set"
    QJsonObject document; // show.json or set.json
    QString mediaMember;  // "media/<file>", empty when the file holds none
    qint64 mediaSize = 0;
    QByteArray mediaSha256; // raw bytes
};

ShowStore::Outcome<Package> ReadPackage(const QString& path, const Limits& limits = {});

// ---- Importing a show --------------------------------------------------------

// What a show file holds and how it meets the open program folder.
struct ShowImportPlan {
    QString name;       // as the file names it
    QString importName; // the name it gets: the same, or with " (2)" etc. when taken
    int timePoints = 0;
    int commands = 0;
    QString mediaFile; // file name, empty for a show without media
    bool mediaIncluded = false;
    bool switchActive = false;
    int switchId = 0;

    bool nameClash = false;   // a show of that name exists
    bool switchClash = false; // an active show already answers that universal switch
    bool mediaMissing = false; // neither in the file nor in Media/

    bool hasClashes() const { return nameClash || switchClash || mediaMissing; }
    // The text the operator is asked with: what the file holds, then each clash.
    QString description() const;
};

ShowStore::Outcome<ShowImportPlan> PlanShowImport(const SettingsFiles& files, const Package& package);

// Imports the show under a new ShowID: its rows in one transaction, its
// Show.ini entry and its media file (placed in Media/ beside the program,
// beside a different file of the same name rather than over it). All of it
// or nothing. With a switch clash the show is stored with its switch off.
// Returns the new ShowID.
ShowStore::IdResult ImportShow(SettingsFiles& files, const Package& package, const ShowImportPlan& plan,
                               const Limits& limits = {});

// ---- Importing a set ---------------------------------------------------------

// The number of commands a set file holds.
int SetCommandCount(const Package& package);
// Replaces the commands of the set with those of the file, in one transaction.
ShowStore::EditResult ImportSet(CommandSetCode set, const Package& package);

// ---- As the windows run them -------------------------------------------------
// Each shows its outcome (or why it did nothing) through the presenter.

// Asks whether to include the media file (when the show has one that
// exists), then exports. True when the file was written.
bool ExportShowAsked(const SettingsFiles& files, int showId, const QString& path, MessagePresenter& messages,
                     QWidget* owner = nullptr);
bool ExportSetAsked(CommandSetCode set, const QString& path, MessagePresenter& messages, QWidget* owner = nullptr);
// Reads the file, shows what it holds and what clashes, and imports on Yes.
// Returns the new ShowID, or nothing (refused, declined or failed: nothing written).
std::optional<int> ImportShowAsked(SettingsFiles& files, const QString& path, MessagePresenter& messages,
                                   QWidget* owner = nullptr, const Limits& limits = {});
// Reads a set file and, on Yes, replaces the set's commands with it.
bool ImportSetAsked(CommandSetCode set, const QString& path, MessagePresenter& messages, QWidget* owner = nullptr,
                    const Limits& limits = {});

} // namespace ShowExchange
