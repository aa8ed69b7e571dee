#pragma once

#include "showmodel.h"

#include <QString>
#include <QVector>

struct SettingsFiles;

// One row of the main window's show list.
struct ShowListRow {
    QString name;   // ShowName from Show.ini
    QString showId; // the ShowID as text
};

struct ShowListReload {
    bool ok = false; // false: the Show table could not be read, nothing changed
    QVector<ShowListRow> rows;
};

// Reads the shows in SequenceNo order with their names and media paths from
// Show.ini, rebuilds the loaded shows and returns the rows for the window's
// list.
//
// Time points already loaded stay with their own show: a show keeps them
// when it is still in the list, wherever it now stands, and a position taken
// over by another show starts without any. The current index follows the
// chosen show to its new position (-1 when the show is gone).
ShowListReload ReloadShowList(const SettingsFiles& files, LoadedShows& loaded);
