#pragma once

#include "records.h"
#include "showmodel.h"
#include "settingsfiles.h"

#include <QMetaObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class CommandSequencer;
class MediaPlayer;
class PacingTimer;

// Fills the time points (and their commands) of the show with this ShowID
// from the database, replacing what it held. A
// read error stops the load silently, keeping what was read up to it (or
// the previous time points when none could be read).
// False when no show has the ShowID or a read failed.
bool LoadShow(LoadedShows& shows, int showId);

// The commands a tick at the whole second `second` sends: those of every time
// point of that second, in array order, each time point's commands in their
// own order. A matching time point without commands ends the search there.
QVector<TControlObject> CommandsDueAt(const TShow& show, qint64 second);

// Plays the chosen show and fires its time points while it plays. The program
// session calls chooseShow() when a show is switched on and tick() from its
// 100 ms show timer.
//
// Two firing modes (FiringSettings, from System.ini):
// - Tick: every tick fires the time points of the position's whole second,
//   so a time point fires on each tick within its second.
// - Precise: a time point fires once each time playback crosses its second
//   from below. A single-shot timer is set for the next crossing from the
//   player's position and rate, and set again at every tick. A backward
//   seek, a stop or other media re-arms the time points at and after the
//   new position; a forward seek skips the time points it jumps over; pause
//   holds. Lists go to the sequencer even while it is busy, so one that
//   comes while another is being sent waits behind it.
// In both modes the offset moves every firing earlier by its milliseconds;
// a time point whose early moment lies before the start of playback fires at
// once, and one before second 0 never fires. What the runner queued ends with
// the show: a stop or other media drops it from the sequencer.
class ShowRunner {
public:
    // Milliseconds on a steady clock.
    using Clock = std::function<qint64()>;

    // A chosen show's media path is read from the Show.ini of the settings
    // files. Without a timer a precise QTimer sets the crossings; without a
    // clock a steady clock started here measures time. Tests give a manual
    // timer and its clock.
    ShowRunner(LoadedShows& shows, MediaPlayer& player, CommandSequencer& sequencer, const SettingsFiles& files,
               std::unique_ptr<PacingTimer> firingTimer = {}, Clock clock = {});
    ~ShowRunner();
    ShowRunner(const ShowRunner&) = delete;
    ShowRunner& operator=(const ShowRunner&) = delete;

    // Takes effect at once. Entering precise mode arms the time points after
    // the current position, so the second a tick has just fired does not
    // fire again.
    void setFiringSettings(const FiringSettings& settings);
    const FiringSettings& firingSettings() const { return m_settings; }

    // The show whose ShowID is given as text (the chosen row's ShowID cell)
    // becomes the current one and plays: a new media path is given to the
    // player and started; a show that was not loaded yet has its time points
    // loaded even when its media path equals the loaded one; otherwise a
    // paused or stopped player resumes. Empty or non-numeric text does nothing.
    void chooseShow(const QString& showIdText);

    // The program is ending: nothing fires any more.
    void end();

    // Told each time a list of the show's commands goes to the sequencer:
    // the ShowID, the media second of the time point and the number of
    // commands (in tick mode the seconds of one tick's list).
    std::function<void(int showId, qint64 second, int commands)> fired;

    // While the player plays, hands the commands of the time points matching
    // the playback position's whole second to the sequencer as one list.
    // Does nothing once ended, when no show is chosen, or
    // while the sequencer is still sending (as the ticks that a blocking
    // send held back would have done).
    void tick();

private:
    const TShow* currentShow() const;
    void tickMode();
    void onPlayState(int state);
    // Compares the player's position with where playback should be, re-arms
    // after a seek, fires what has been crossed and sets the timer for the
    // next crossing. From the timer, the position is also predicted from
    // the last tick, since a player's own report may lag behind.
    void sync(bool fromTimer);
    void rearm(qint64 positionMS);
    void hand(QVector<TControlObject> due, const TShow& show, qint64 second);
    // Second (in ms) of the next armed time point, or -1.
    qint64 nextArmed(const TShow& show) const;
    qint64 crossingOf(qint64 secondMS) const { return secondMS - m_settings.offsetMS; }

    LoadedShows& m_shows;
    const SettingsFiles& m_files;
    MediaPlayer& m_player;
    CommandSequencer& m_sequencer;
    std::unique_ptr<PacingTimer> m_timer;
    Clock m_clock;
    FiringSettings m_settings;
    QMetaObject::Connection m_stateConnection;

    // Precise mode: time points at or after this media position (ms) are
    // armed. m_known is false until the position has been seen once.
    qint64 m_armedFrom = 0;
    bool m_known = false;
    qint64 m_lastPosition = 0; // as the player reported it at the last sync
    qint64 m_lastAt = 0;       // clock at the last sync
    double m_rate = 1.0;
    bool m_running = false; // playing at the last sync
    // Tick mode: playback starts from the beginning; the first tick that
    // fires also fires what a positive offset put before it.
    bool m_startPending = true;
    bool m_ended = false;
};
