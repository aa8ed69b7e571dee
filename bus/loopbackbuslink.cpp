#include "loopbackbuslink.h"

#include "busdispatch.h"

#include <QMetaObject>

#include <algorithm>

namespace {
// The port an end holds when it asks for any port.
quint16 chosenPort(quint16 asked)
{
    return asked ? asked : quint16(49152);
}
} // namespace

LoopbackBusLink::LoopbackBusLink(quint32 address, QObject* parent) : BusLink(parent), m_address(address) {}

LoopbackBusLink::~LoopbackBusLink() = default;

void LoopbackBusLink::join(LoopbackBusLink& a, LoopbackBusLink& b)
{
    a.m_peer = &b;
    b.m_peer = &a;
}

bool LoopbackBusLink::open(const QString& localAddress, quint16 port)
{
    setLocalAddress(localAddress);
    m_open = false;
    if (m_taken.contains(port))
        return false;
    m_port = chosenPort(port);
    m_open = true;
    return true;
}

bool LoopbackBusLink::movePort(quint16 port)
{
    if (!m_open)
        return open(localAddress(), port);
    if (m_taken.contains(port))
        return false;
    m_port = chosenPort(port);
    return true;
}

QList<QByteArray> LoopbackBusLink::takeArrived()
{
    QList<QByteArray> taken;
    taken.swap(m_arrived);
    return taken;
}

void LoopbackBusLink::sendRaw(const QByteArray& datagram)
{
    quint32 peer = 0;
    quint16 port = 0;
    if (m_open)
        transmit(datagram, &peer, &port);
}

bool LoopbackBusLink::transmit(const QByteArray& datagram, quint32* peer, quint16* port)
{
    if (!m_peer)
        return false;
    *peer = m_peer->m_address;
    *port = m_peer->m_port;
    const quint32 from = m_address;
    const quint16 fromPort = m_port;
    QMetaObject::invokeMethod(
        m_peer.data(), [to = m_peer, datagram, from, fromPort] {
            if (to)
                to->arrive(datagram, from, fromPort);
        },
        Qt::QueuedConnection);
    return true;
}

void LoopbackBusLink::arrive(const QByteArray& datagram, quint32 peer, quint16 port)
{
    if (!m_open)
        return;
    m_arrived << datagram;
    Q_EMIT datagramArrived(datagram);
    // As the UDP link: a receive buffer of BufferSize bytes.
    const int count = std::min<int>(int(datagram.size()), BusReceive::BufferSize);
    received(reinterpret_cast<const quint8*>(datagram.constData()), count, int(datagram.size()), peer, port);
}
