#pragma once

#include "backupservice.h"
#include "buslink.h"
#include "commandsequencer.h"
#include "inifile.h"
#include "lookups.h"
#include "settingsfiles.h"
#include "showlist.h"
#include "showswitchtarget.h"
#include "undohistory.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>

class MediaPlayer;
class MessagePresenter;
class ShowRunner;

// What the session works with. Everything but the player has a default for
// the real program; tests hand in fakes.
struct ProgramSessionDependencies {
    // The player the shows play in (not owned; it must outlive the session).
    MediaPlayer* player = nullptr;
    // The way onto the bus; a UdpBusLink to the gateways when null.
    std::unique_ptr<BusLink> busLink;
    // How one command reaches the bus; SendCommand over the bus link when
    // empty. Tests record the commands instead.
    CommandSequencer::Sender sender;
    // The host's own IPv4 addresses; LocalAddresses() when empty.
    std::function<QStringList()> hostAddresses;
    // Paces the commands sent; a QtPacingTimer when null.
    std::unique_ptr<PacingTimer> pacingTimer;
    // How start-up tells the operator what went wrong (not owned); the log
    // when null.
    MessagePresenter* messages = nullptr;
    // Given to the settings files start-up opens; tests make their writes
    // fail.
    IniFile::BeforeReplaceHook beforeSettingsReplace;
    // The time snapshots are named and kept by; the wall clock when empty.
    BackupService::Clock clock;
};

// The program at work, without a window: it owns the settings read at
// start-up, the own address, the bus link, the show list, the sequencer, the
// show runner and the command sets, and carries out what the operator, the
// bus and (later) remote control ask of it. The main window renders it and
// forwards the operator's actions; a show switched on from the window's
// list or by a universal-switch command goes through the same switchShowOn().
class ProgramSession : public QObject, public ShowSwitchTarget {
    Q_OBJECT
public:
    using Dependencies = ProgramSessionDependencies;

    explicit ProgramSession(Dependencies deps, QObject* parent = nullptr);
    ~ProgramSession() override;

    // Start-up after the window's layout: database, settings files, a
    // snapshot of both (taken on a thread of its own), show list, lookup lists, System.ini settings (address, port, generation,
    // mute and volume, firing), the own address, the bus link, receiving and
    // the 100 ms show timer. A database or settings file that cannot be read
    // is told and start-up goes on. False when the port could not be taken:
    // the operator has been told ("Fail to initialize UDP socket!") and the
    // program must end.
    bool start();

    // Exit: the show timer and receiving stop, nothing fires or sends any
    // more (stopping the player sends no stop set), the player's mute state
    // and volume are written to System.ini, the player is stopped and let
    // go, the bus link closed.
    void end();
    bool hasEnded() const { return m_ended; }

    // ShowSwitchTarget. The show at this position of the list plays: loaded
    // when it is not the current one (other media starts from its beginning),
    // resumed when it is. The list's current row follows.
    void switchShowOn(int index) override;
    // The player stops; the stop set goes out.
    void switchShowOff() override;

    // Remote control's operations, each through the same paths as the
    // window's and the bus's. The show at this position of the list is
    // switched on and, when a second is given, continues from there.
    void playShowFrom(int index, double second);
    // A playing show pauses (the pause set goes out); a paused one resumes.
    void pauseShow();
    void resumeShow();
    // The current show's media moves to the second (the start for negative
    // values); nothing without a current show.
    void seek(double second);

    // The show list read afresh from the database and Show.ini.
    void reloadShowList();
    // After shows were added, changed or removed: the list is read afresh and
    // the playing show takes its edited time points at the next tick, its
    // playback going on as it was.
    void showsEdited();
    // The firing settings saved in System.ini take effect at once.
    void reloadFiringSettings();

    // The snapshots of Database/Backups: taken at start-up, once a day and
    // before what the authoring windows delete, paste or import; null
    // before start(). A restore has the session read the database and the
    // settings files afresh (backupRestored()).
    BackupService* backups() const { return m_backups.get(); }
    // The authoring edits of this run, to be undone and redone; emptied when
    // a snapshot is restored.
    UndoHistory& undoHistory() { return m_history; }

    const QVector<ShowListRow>& showRows() const { return m_rows; }
    // The current show's position in the list, or -1.
    int currentShowIndex() const;
    // The shows of the list, each with its time points once loaded.
    const QVector<TShow>& shows() const override { return m_shows.shows; }
    const LoadedShows& loadedShows() const { return m_shows; }
    // Whether the operator asked for the bus monitor at start-up
    // (System.ini [Monitor] OpenAtStart=1).
    bool monitorAtStart() const;

    // Show.ini, System.ini and the language file, open once start() ran.
    SettingsFiles& settingsFiles() { return m_files; }
    const SettingsFiles& settingsFiles() const { return m_files; }
    // The lookup lists, filled by start().
    const LookupLists& lookups() const { return m_lookups; }

    MediaPlayer& player() const { return m_player; }
    CommandSequencer& sequencer() const { return *m_sequencer; }
    ShowRunner& runner() const { return *m_runner; }
    BusLink& busLink() const { return *m_link; }
    QTimer& showTimer() { return m_showTimer; }

Q_SIGNALS:
    // The show list was read afresh.
    void showListChanged();
    // Another show became the current one (from the bus or the window).
    void currentShowChanged(int index);
    // Why the last media did not play; empty text once media plays.
    void playProblemChanged(const QString& text);
    // A setting could not be written to System.ini: the whole text.
    void settingsNotSaved(const QString& text);
    // The player's state changed (MediaPlayer::PlayState), after the
    // command set of the change went to the sequencer.
    void playStateChanged(int state);
    // A time point of the show fired: its commands went to the sequencer.
    void timePointFired(int showId, qint64 second, int commands);
    // A snapshot replaced the database and the settings files, and the show
    // list was read afresh from them.
    void backupRestored(const QString& snapshotName);

private:
    void applySettings();
    void chooseLocalAddress(const QString& configuredIp);
    void reportSettingsNotSaved(const QString& what);
    void onPlayState(int state);
    void onRestored(const SnapshotInfo& snapshot);

    MediaPlayer& m_player;
    std::unique_ptr<BusLink> m_link;
    std::function<QStringList()> m_hostAddresses;
    std::unique_ptr<MessagePresenter> m_ownMessages;
    MessagePresenter* m_messages = nullptr;
    IniFile::BeforeReplaceHook m_beforeSettingsReplace;
    SettingsFiles m_files;
    UndoHistory m_history{m_files};
    LookupLists m_lookups;
    std::unique_ptr<CommandSequencer> m_sequencer;
    std::unique_ptr<ShowRunner> m_runner;
    QTimer m_showTimer;
    LoadedShows m_shows;
    QVector<ShowListRow> m_rows;
    quint16 m_port = 15000; // from System.ini
    bool m_ended = false;
    BackupService::Clock m_clock;
    // Last, so that it goes first: its job at work is waited for.
    std::unique_ptr<BackupService> m_backups;
};
