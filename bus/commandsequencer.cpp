#include "commandsequencer.h"

#include <QDebug>
#include <QTimer>

struct QtPacingTimer::Impl {
    QTimer timer;
    std::function<void()> onTimeout;
};

QtPacingTimer::QtPacingTimer() : m(std::make_unique<Impl>())
{
    m->timer.setSingleShot(true);
    m->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m->timer, &QTimer::timeout, [impl = m.get()] {
        auto call = std::move(impl->onTimeout);
        impl->onTimeout = nullptr;
        if (call)
            call();
    });
}

QtPacingTimer::~QtPacingTimer() = default;

void QtPacingTimer::start(int ms, std::function<void()> onTimeout)
{
    m->onTimeout = std::move(onTimeout);
    m->timer.start(ms);
}

void QtPacingTimer::cancel()
{
    m->timer.stop();
    m->onTimeout = nullptr;
}

CommandSequencer::CommandSequencer(Sender sender, std::unique_ptr<PacingTimer> timer)
    : m_sender(std::move(sender)),
      m_timer(timer ? std::move(timer) : std::make_unique<QtPacingTimer>())
{
}

CommandSequencer::~CommandSequencer()
{
    stop();
}

void CommandSequencer::enqueue(QVector<TControlObject> commands, StopCheck stopCheck, Done done, Owner owner)
{
    m_queue.push_back({std::move(commands), std::move(stopCheck), std::move(done), owner});
    pump();
}

void CommandSequencer::stop()
{
    ++m_generation;
    m_timer->cancel();
    m_queue.clear();
    m_next = 0;
    m_waiting = false;
}

int CommandSequencer::dropShowLists()
{
    int dropped = 0;
    bool frontDropped = false;
    bool front = true;
    for (auto it = m_queue.begin(); it != m_queue.end(); front = false) {
        if (it->owner != Owner::Show) {
            ++it;
            continue;
        }
        dropped += int(it->commands.size()) - (front ? m_next : 0);
        frontDropped = frontDropped || front;
        it = m_queue.erase(it);
    }
    if (dropped > 0)
        qInfo().noquote() << QStringLiteral("show stopped: %1 queued commands dropped").arg(dropped);
    if (!frontDropped)
        return dropped;
    ++m_generation; // a pump under way must not touch the dropped list
    m_next = 0;
    if (m_waiting && m_gapMS > MinGapMS)
        startGap(MinGapMS);
    else if (!m_waiting)
        pump();
    return dropped;
}

void CommandSequencer::startGap(int ms)
{
    m_waiting = true;
    m_gapMS = ms;
    m_timer->start(ms, [this] {
        m_waiting = false;
        pump();
    });
}

// Sends the next command of the front list and starts its gap, finishing
// lists (and starting the next) as long as no gap is running.
void CommandSequencer::pump()
{
    if (m_pumping || m_waiting)
        return;
    m_pumping = true;
    while (!m_waiting && !m_queue.empty()) {
        const quint64 generation = m_generation;
        Pending& current = m_queue.front();
        bool finished = m_next >= current.commands.size();
        if (!finished && current.stopCheck) {
            finished = current.stopCheck();
            if (generation != m_generation)
                continue; // the check stopped the sequencer
        }
        if (!finished) {
            const TControlObject command = current.commands.at(m_next++);
            m_sender(command.SubnetID, command.DeviceID, command.CommandTypeID, command.FirstParameter,
                     command.SecondParameter, command.ThirdParameter);
            if (generation != m_generation)
                continue; // stopped while sending
            startGap(gapAfter(command.DelayMS));
            break;
        }
        Done done = std::move(current.done);
        m_queue.pop_front();
        m_next = 0;
        if (done)
            done(); // may queue another list or stop; the loop picks up either
    }
    m_pumping = false;
}
