#pragma once

#include "records.h"

#include <QVector>
#include <QtGlobal>

#include <deque>
#include <functional>
#include <memory>

// A one-shot timer the sequencer paces with. The program uses a QTimer; tests
// use a manual timer they step by hand, so nothing ever sleeps.
class PacingTimer {
public:
    virtual ~PacingTimer() = default;
    // Calls onTimeout once, about ms milliseconds from now. Starting again
    // replaces the pending call.
    virtual void start(int ms, std::function<void()> onTimeout) = 0;
    // Forgets the pending call, if any.
    virtual void cancel() = 0;
};

// PacingTimer on a precise single-shot QTimer of the calling (GUI) thread.
class QtPacingTimer : public PacingTimer {
public:
    QtPacingTimer();
    ~QtPacingTimer() override;
    void start(int ms, std::function<void()> onTimeout) override;
    void cancel() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Puts command lists on the bus one command at a time, on the GUI thread,
// without ever blocking it. After each command it waits the command's
// DelayMS (50 ms when DelayMS is 0 or less, never more than MaxDelayMS)
// before the next, and also after the last one, so a list occupies the bus
// for exactly as long as it did when the sender slept between commands. While
// a list is on its way the sequencer is busy: the show runner holds its ticks
// back, and further lists wait their turn in the order they came.
class CommandSequencer {
public:
    using Sender = std::function<void(quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                      quint16 third)>;
    // Returns true to drop the rest of the list (asked before each command).
    using StopCheck = std::function<bool()>;
    // Called once the list has been sent and its last wait is over, or when
    // its StopCheck cut it short; never for lists that stop() or
    // dropShowLists() drop.
    using Done = std::function<void()>;
    // Whose list it is. The playing show's lists (its time points, the play
    // and pause sets) end with the show; the stop set and the authoring
    // windows' previews go out whatever the show does.
    enum class Owner { Other, Show };

    // The sender puts each command on the bus (SendCommand over the
    // program's bus link); without a timer, a QtPacingTimer paces them.
    explicit CommandSequencer(Sender sender, std::unique_ptr<PacingTimer> timer = {});
    ~CommandSequencer();
    CommandSequencer(const CommandSequencer&) = delete;
    CommandSequencer& operator=(const CommandSequencer&) = delete;

    // Queues a list. When nothing is being sent its first command goes out
    // before enqueue returns. An empty list takes no time: it completes as
    // soon as its turn comes.
    void enqueue(QVector<TControlObject> commands, StopCheck stopCheck = {}, Done done = {},
                 Owner owner = Owner::Other);

    // A list is being sent (or waits after its last command), or waits its turn.
    bool isBusy() const { return !m_queue.empty(); }
    // Lists not yet finished, the one being sent included.
    int pendingLists() const { return int(m_queue.size()); }

    // Drops every list, the one being sent included; nothing more goes out.
    void stop();

    // The show stopped: drops the commands of its lists that have not gone
    // out yet. A list being sent stops after the datagram already on the
    // bus; the wait after it is cut to the shortest gap, so whatever comes
    // next (the stop set) follows within MinGapMS. Other lists keep their
    // turn. Returns the number of commands dropped.
    int dropShowLists();

    // The longest delay the command editor lets one enter. A stored delay
    // above it (typed into the database by hand) waits no longer than this,
    // so one odd row cannot hold back the rest of a show.
    static constexpr qint32 MaxDelayMS = 600000;

    // The wait after a command: its delay, at most MaxDelayMS, or 50 ms when
    // the delay is 0 or less.
    static constexpr int MinGapMS = 50;
    static int gapAfter(qint32 delayMS)
    {
        return delayMS > MaxDelayMS ? MaxDelayMS : delayMS > 0 ? delayMS : MinGapMS;
    }

private:
    struct Pending {
        QVector<TControlObject> commands;
        StopCheck stopCheck;
        Done done;
        Owner owner = Owner::Other;
    };

    void pump();
    void startGap(int ms);

    Sender m_sender;
    std::unique_ptr<PacingTimer> m_timer;
    std::deque<Pending> m_queue; // front: the list being sent
    int m_next = 0;              // next command of the front list
    bool m_waiting = false;      // a gap is running
    int m_gapMS = 0;             // the running gap's length
    bool m_pumping = false;
    quint64 m_generation = 0; // bumped by stop(), so a re-entrant stop is noticed
};
