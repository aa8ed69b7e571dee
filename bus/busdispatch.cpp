#include "busdispatch.h"

#include "buslink.h"
#include "showswitchtarget.h"

#include <algorithm>
#include <cstring>

BusFrameCheck CheckBusFrame(const quint8* datagram, int size)
{
    if (!datagram || size < BusReceive::MinimumDatagram)
        return BusFrameCheck::TooShort;
    if (datagram[14] != 0xAA || (datagram[15] != 0xAA && datagram[15] != 0x55))
        return BusFrameCheck::NoLeadCode;
    if (datagram[16] == 0xFF)
        return BusFrameCheck::LongForm;
    return BusCrcMatches(datagram + 16, size - 18) ? BusFrameCheck::Accepted : BusFrameCheck::BadCrc;
}

BusPacketHead ReadBusPacketHead(const quint8* d)
{
    BusPacketHead head;
    head.length = d[0];
    head.sourceSubnet = d[1];
    head.sourceDevice = d[2];
    head.deviceType = quint16(d[3] << 8 | d[4]);
    head.operationCode = quint16(d[5] << 8 | d[6]);
    head.targetSubnet = d[7];
    head.targetDevice = d[8];
    return head;
}

std::optional<QByteArray> ExtractBusPacket(const quint8* datagram, int size)
{
    switch (CheckBusFrame(datagram, size)) {
    case BusFrameCheck::Accepted:
        return QByteArray(reinterpret_cast<const char*>(datagram + 16), size - 16);
    case BusFrameCheck::LongForm: {
        const int length = (int(datagram[25]) << 8 | datagram[26]) + 11;
        // Only bytes that really arrived are taken; nothing stale from an
        // earlier, longer datagram and nothing past the receive buffer.
        const int available = std::min(size, BusReceive::BufferSize) - 16;
        QByteArray data(length, '\0');
        std::memcpy(data.data(), datagram + 16, size_t(std::min(length, available)));
        return data;
    }
    default:
        return std::nullopt;
    }
}

void AcceptBusDatagram(const quint8* datagram, int size, const QString& senderAddress, const BusIdentity& own,
                       ShowSwitchTarget& target, BusLink& link)
{
    if (own.localAddress.isEmpty() || senderAddress.isEmpty())
        return;
    const std::optional<QByteArray> data = ExtractBusPacket(datagram, size);
    if (data)
        DispatchBusPacket(*data, target, link);
}

void DispatchBusPacket(const QByteArray& data, ShowSwitchTarget& target, BusLink& link)
{
    if (data.size() < 11)
        return;
    const auto* d = reinterpret_cast<const quint8*>(data.constData());
    const BusPacketHead head = ReadBusPacketHead(d);
    const quint8 sourceSubnet = head.sourceSubnet;
    const quint8 sourceDevice = head.sourceDevice;
    const quint16 operationCode = head.operationCode;
    const quint8 targetSubnet = head.targetSubnet;
    const quint8 targetDevice = head.targetDevice;
    const quint8 switchNo = d[BusPacketPayloadOffset];
    const quint8 status = d[BusPacketPayloadOffset + 1];

    const BusIdentity& own = link.identity();
    const QVector<TShow>& shows = target.shows();
    if (operationCode != BusReceive::UniversalSwitch)
        return;
    // Broadcast addresses never start or stop a show.
    if (targetSubnet == 255 || targetDevice == 255)
        return;
    if (targetSubnet != own.subnet || targetDevice != own.device)
        return;

    for (int index = 0; index < shows.size(); ++index) {
        const TShow& show = shows.at(index);
        if (show.ActivedUniversalSwitch != 1 || show.UniversalSwitchID != switchNo)
            continue;
        // Switching may rebuild ShowList; nothing of the show is read after.
        if (status == 0)
            target.switchShowOff();
        else
            target.switchShowOn(index);
        SendSwitchAck(link, sourceSubnet, sourceDevice, switchNo, status);
        return;
    }
}
