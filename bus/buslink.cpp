#include "buslink.h"

#include "busdispatch.h"
#include "busobserver.h"
#include "commandcodec.h"
#include "messages.h"

#include <QHostAddress>
#include <QStringList>

#include <algorithm>
#include <exception>

std::array<quint8, 4> BusIdentity::localOctets() const
{
    std::array<quint8, 4> octets{0, 0, 0, 0};
    const QStringList parts = localAddress.split(QLatin1Char('.'));
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        octets[size_t(i)] = static_cast<quint8>(parts.at(i).toInt());
    return octets;
}

namespace {
// The send path reports to the log: a box would hold up the bus.
void logFailure(const QString& text)
{
    LogMessagePresenter().error(nullptr, text);
}
} // namespace

BusLink::~BusLink() = default;

void BusLink::sendPacket(const quint8* payload, int count, quint16 operationCode, quint8 targetSubnet,
                         quint8 targetDevice, bool longForm)
{
    try {
        if (count < 0 || count > BusWire::MaxPayload) {
            logFailure(QStringLiteral("A payload of %1 bytes does not fit in one datagram").arg(count)
                      + QStringLiteral("(pblSendBUF)"));
            return;
        }
        const BusFrameSource source{m_octets, m_identity.generation, m_identity.subnet, m_identity.device};
        const QByteArray datagram =
            FrameDatagram(source, operationCode, targetSubnet, targetDevice, payload, count, longForm);
        if (datagram.isEmpty() || !isOpen())
            return;
        quint32 peer = 0;
        quint16 port = 0;
        // Fire-and-forget: a failed send is not retried or reported.
        if (transmit(datagram, &peer, &port)) {
            for (BusObserver* observer : m_observers)
                observer->busDatagram(BusDirection::Sent, reinterpret_cast<const quint8*>(datagram.constData()),
                                      int(datagram.size()), int(datagram.size()), peer, port);
        }
    } catch (const std::exception& e) {
        logFailure(QString::fromLocal8Bit(e.what()) + QStringLiteral("(pblSendBUF)"));
    }
}

void BusLink::addObserver(BusObserver* observer)
{
    if (observer && !hasObserver(observer))
        m_observers.push_back(observer);
}

void BusLink::removeObserver(BusObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

bool BusLink::hasObserver(const BusObserver* observer) const
{
    return std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end();
}

void BusLink::startReceiving(ShowSwitchTarget& target)
{
    m_target = &target;
    receivingChanged();
}

void BusLink::stopReceiving()
{
    m_target = nullptr;
    receivingChanged();
}

void BusLink::received(const quint8* bytes, int count, int size, quint32 peer, quint16 port)
{
    ++m_datagramsRead;
    for (BusObserver* observer : m_observers)
        observer->busDatagram(BusDirection::Received, bytes, count, size, peer, port);
    if (size > count || !m_target)
        return;
    const QString sender = peer ? QHostAddress(peer).toString() : QString();
    AcceptBusDatagram(bytes, count, sender, m_identity, *m_target, *this);
}

void SendCommand(BusLink& link, quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                 quint16 third)
{
    try {
        const std::optional<EncodedCommand> command = EncodeCommand(kind, first, second, third);
        if (!command)
            return;
        link.sendPacket(reinterpret_cast<const quint8*>(command->payload.constData()), int(command->payload.size()),
                        command->operationCode, subnet, device, false);
    } catch (const std::exception& e) {
        logFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // The caller carries on with its next command whatever happened here.
    }
}

void SendSwitchAck(BusLink& link, quint8 subnet, quint8 device, quint8 switchNo, quint8 status)
{
    const quint8 payload[2] = {switchNo, status};
    link.sendPacket(payload, 2, BusReceive::UniversalSwitchAck, subnet, device, false);
}
