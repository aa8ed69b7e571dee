#pragma once

#include "records.h"

#include <QString>
#include <QVector>

class CommandSequencer;
class MediaPlayer;

// Fills the time points (and their commands) of the show with this ShowID in
// mPublicVariable().ShowList from the database, replacing what it held. A
// read error stops the load silently, keeping what was read up to it (or
// the previous time points when none could be read).
// False when no show has the ShowID or a read failed.
bool LoadShow(int showId);

// The commands a tick at the whole second `second` sends: those of every time
// point of that second, in array order, each time point's commands in their
// own order. A matching time point without commands ends the search there.
QVector<TControlObject> CommandsDueAt(const TShow& show, qint64 second);

// Plays the chosen show and fires its time points while it plays. The main
// window calls chooseShow() when a row of its show list is chosen and tick()
// from its 100 ms timer.
class ShowRunner {
public:
    ShowRunner(MediaPlayer& player, CommandSequencer& sequencer);

    // The show whose ShowID is given as text (the chosen row's ShowID cell)
    // becomes the current one and plays: a new media path is given to the
    // player and started; a show that was not loaded yet has its time points
    // loaded even when its media path equals the loaded one; otherwise a
    // paused or stopped player resumes. Empty or non-numeric text does nothing.
    void chooseShow(const QString& showIdText);

    // While the player plays, hands the commands of the time points matching
    // the playback position's whole second to the sequencer as one list.
    // Does nothing once the program is closing, when no show is chosen, or
    // while the sequencer is still sending (as the ticks that a blocking
    // send held back would have done).
    void tick();

private:
    MediaPlayer& m_player;
    CommandSequencer& m_sequencer;
};
