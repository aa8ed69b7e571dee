#pragma once

#include "records.h"

// Loads the show's time points (ascending second) and each time point's
// commands (ascending SequenceNo) from the database, replacing what the show
// held. The show is read in one joined statement on a query of its own;
// only when that statement cannot be run are the time points read, and each
// one's commands on a second query. A read that fails ends the load
// quietly: what was read up to then stays in the show (all of the previous
// load when the time points themselves cannot be read). Time points are
// never half-filled: one whose commands could not be read is kept with the
// commands read so far. Returns false when the load did not complete.
bool LoadShowTimePoints(TShow& show);

#include <QVector>

// The shows of the show list, in its order, each with its time points once
// loaded, and which one is current (the one chosen last; -1 for none).
struct LoadedShows {
    QVector<TShow> shows;
    int currentIndex = -1;
    int currentId = -1;

    // The show with that ShowID, or nullptr.
    TShow* find(int showId);
    // Its position in the list, or -1.
    int indexOf(int showId) const;
    // The current show, or nullptr.
    const TShow* current() const;
};
