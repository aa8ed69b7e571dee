#include "busreceiver.h"

#include "busdispatch.h"
#include "busobserver.h"
#include "publicvariable.h"
#include "udpsocket.h"

#include <QHostAddress>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

bool ReceiveDatagram(ShowSwitchTarget& target)
{
    if (mPublicVariable().ClosingFlag)
        return false;
    const int fd = UDPSocketHandle();
    if (fd < 0)
        return false;

    quint8 buffer[BusReceive::BufferSize];
    sockaddr_in sender{};
    socklen_t senderSize = sizeof sender;
    // MSG_TRUNC makes the call return the datagram's real size, so an
    // oversized one is recognised instead of being taken cut short.
    const ssize_t size = ::recvfrom(fd, buffer, sizeof buffer, MSG_TRUNC,
                                    reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (size < 0)
        return false;
    if (BusObserver* observer = CurrentBusObserver()) {
        const bool fromIPv4 = senderSize >= socklen_t(sizeof sender) && sender.sin_family == AF_INET;
        observer->busDatagram(BusDirection::Received, buffer, int(std::min<ssize_t>(size, sizeof buffer)),
                              int(size), fromIPv4 ? ntohl(sender.sin_addr.s_addr) : 0,
                              fromIPv4 ? ntohs(sender.sin_port) : 0);
    }
    if (size > ssize_t(sizeof buffer))
        return true;

    QString senderAddress;
    if (senderSize >= socklen_t(sizeof sender) && sender.sin_family == AF_INET)
        senderAddress = QHostAddress(ntohl(sender.sin_addr.s_addr)).toString();
    AcceptBusDatagram(buffer, int(size), senderAddress, target);
    return true;
}

BusReceiver::BusReceiver(ShowSwitchTarget& target, QObject* parent)
    : QObject(parent), m_target(target)
{
    connect(&UDPSocketEvents(), &UdpSocketEvents::aboutToClose, this, &BusReceiver::releaseSocket);
    connect(&UDPSocketEvents(), &UdpSocketEvents::opened, this, &BusReceiver::watchSocket);
}

BusReceiver::~BusReceiver()
{
    releaseSocket();
}

void BusReceiver::start()
{
    m_running = true;
    watchSocket();
}

void BusReceiver::stop()
{
    m_running = false;
    releaseSocket();
}

void BusReceiver::watchSocket()
{
    releaseSocket();
    const int fd = UDPSocketHandle();
    if (!m_running || fd < 0 || mPublicVariable().ClosingFlag)
        return;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &BusReceiver::drain);
    // Datagrams that arrived before we started watching are read at once.
    scheduleDrain();
}

void BusReceiver::releaseSocket()
{
    if (!m_notifier)
        return;
    // The notifier may be the sender of the signal being handled right now.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
}

void BusReceiver::scheduleDrain()
{
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    QTimer::singleShot(0, this, &BusReceiver::drain);
}

void BusReceiver::drain()
{
    m_drainScheduled = false;
    if (!m_running || !m_notifier || m_draining)
        return;
    // Quiet while we read: a show being loaded must not re-enter the reader.
    m_notifier->setEnabled(false);
    m_draining = true;
    int taken = 0;
    bool more = true;
    QElapsedTimer turn;
    turn.start();
    while (taken < m_batchLimit) {
        // A long burst is read in turns of at most DrainBudgetMs, so the
        // window's other events still come through.
        if (taken % 32 == 31 && turn.elapsed() >= DrainBudgetMs)
            break;
        if (mPublicVariable().ClosingFlag) {
            m_draining = false;
            releaseSocket();
            return;
        }
        if (!ReceiveDatagram(m_target)) {
            more = false;
            break;
        }
        ++taken;
        ++m_datagramsRead;
        if (!m_running || !m_notifier)
            break; // stopped or the socket replaced while a show was handled
    }
    m_draining = false;
    if (!m_running || !m_notifier)
        return;
    if (more)
        scheduleDrain(); // more may be waiting; let the window's other events in first
    else
        m_notifier->setEnabled(true); // sleep until the socket has more
}
