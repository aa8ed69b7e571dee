#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class ShowSwitchTarget;

// One receive attempt on the program's UDP socket: reads at most one
// datagram and acts on it. False when nothing was waiting (or no socket is
// open, or the program is closing), true when a datagram was taken, whatever
// became of it. Datagrams larger than the receive buffer are dropped whole.
bool ReceiveDatagram(ShowSwitchTarget& target);

// Reads the program's UDP socket on the GUI thread whenever datagrams are
// waiting and hands them to the dispatcher. It follows the socket when it is
// closed and opened again on another port. A flood is read in bounded batches
// with the event loop running in between, so the window stays responsive.
// Once ClosingFlag is set it reads nothing more.
class BusReceiver : public QObject {
    Q_OBJECT
public:
    explicit BusReceiver(ShowSwitchTarget& target, QObject* parent = nullptr);
    ~BusReceiver() override;

    void start();
    void stop();
    bool isRunning() const { return m_running; }

    // Datagrams read per turn of the event loop, at most; a turn also ends
    // after DrainBudgetMs of reading.
    void setBatchLimit(int limit) { m_batchLimit = limit > 0 ? limit : 1; }
    static constexpr int DefaultBatchLimit = 1024;
    static constexpr int DrainBudgetMs = 4;
    int batchLimit() const { return m_batchLimit; }

    // Datagrams taken from the socket since construction.
    quint64 datagramsRead() const { return m_datagramsRead; }

private:
    void watchSocket();
    void releaseSocket();
    void drain();
    void scheduleDrain();

    ShowSwitchTarget& m_target;
    QPointer<QSocketNotifier> m_notifier;
    bool m_running = false;
    bool m_drainScheduled = false;
    bool m_draining = false;
    int m_batchLimit = DefaultBatchLimit;
    quint64 m_datagramsRead = 0;
};
