#include "udpbuslink.h"

#include "busdispatch.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A non-blocking UDP socket bound to the port on every local address, with
// broadcast permission; -1 when the port cannot be bound.
int openBoundSocket(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0)
        return -1;
    // No SO_REUSEADDR: a port another program holds must make us fail.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // A burst from the bus must wait in the socket rather than be dropped
    // by the kernel before we read it.
    const int asked = UdpBusLink::ReceiveBufferBytes;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &asked, sizeof asked);
    int granted = 0;
    socklen_t size = sizeof granted;
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &size) == 0)
        qInfo().noquote() << QStringLiteral("UDP receive buffer: %1 bytes asked, %2 granted").arg(asked).arg(granted);
    return fd;
}

quint16 boundPort(int fd)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

} // namespace

UdpBusLink::UdpBusLink(quint16 destinationPort, QObject* parent)
    : BusLink(parent), m_destinationPort(destinationPort)
{
}

UdpBusLink::~UdpBusLink()
{
    close();
}

bool UdpBusLink::open(const QString& localAddress, quint16 port)
{
    setLocalAddress(localAddress);
    close();
    m_fd = openBoundSocket(port);
    if (m_fd < 0)
        return false;
    watchSocket();
    return true;
}

bool UdpBusLink::movePort(quint16 port)
{
    if (m_fd < 0)
        return open(localAddress(), port);
    if (port != 0 && port == boundPort(m_fd))
        return true;
    const int fd = openBoundSocket(port);
    if (fd < 0)
        return false;
    close();
    m_fd = fd;
    watchSocket();
    return true;
}

void UdpBusLink::close()
{
    if (m_fd < 0)
        return;
    releaseSocket();
    ::close(m_fd);
    m_fd = -1;
}

quint16 UdpBusLink::port() const
{
    return boundPort(m_fd);
}

bool UdpBusLink::transmit(const QByteArray& datagram, quint32* peer, quint16* port)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(m_destinationPort);
    destination.sin_addr.s_addr = htonl(BroadcastDestination(localOctets()).toIPv4Address());
    const ssize_t sent = ::sendto(m_fd, datagram.constData(), size_t(datagram.size()), 0,
                                  reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    *peer = ntohl(destination.sin_addr.s_addr);
    *port = m_destinationPort;
    return sent >= 0;
}

bool UdpBusLink::receiveOne()
{
    if (m_fd < 0)
        return false;
    quint8 buffer[BusReceive::BufferSize];
    sockaddr_in sender{};
    socklen_t senderSize = sizeof sender;
    // MSG_TRUNC makes the call return the datagram's real size, so an
    // oversized one is recognised instead of being taken cut short.
    const ssize_t size = ::recvfrom(m_fd, buffer, sizeof buffer, MSG_TRUNC,
                                    reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (size < 0)
        return false;
    const bool fromIPv4 = senderSize >= socklen_t(sizeof sender) && sender.sin_family == AF_INET;
    received(buffer, int(std::min<ssize_t>(size, sizeof buffer)), int(size),
             fromIPv4 ? ntohl(sender.sin_addr.s_addr) : 0, fromIPv4 ? ntohs(sender.sin_port) : 0);
    return true;
}

void UdpBusLink::receivingChanged()
{
    watchSocket();
}

void UdpBusLink::watchSocket()
{
    releaseSocket();
    if (!isReceiving() || m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdpBusLink::drain);
    // Datagrams that arrived before we started watching are read at once.
    scheduleDrain();
}

void UdpBusLink::releaseSocket()
{
    if (!m_notifier)
        return;
    // The notifier may be the sender of the signal being handled right now.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
}

void UdpBusLink::scheduleDrain()
{
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    QTimer::singleShot(0, this, &UdpBusLink::drain);
}

void UdpBusLink::drain()
{
    m_drainScheduled = false;
    if (!isReceiving() || !m_notifier || m_draining)
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
        if (!receiveOne()) {
            more = false;
            break;
        }
        ++taken;
        if (!isReceiving() || !m_notifier)
            break; // stopped or the socket replaced while a show was handled
    }
    m_draining = false;
    if (!isReceiving() || !m_notifier)
        return;
    if (more)
        scheduleDrain(); // more may be waiting; let the window's other events in first
    else
        m_notifier->setEnabled(true); // sleep until the socket has more
}
