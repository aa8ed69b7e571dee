#include "busdispatch.h"

#include "mRWFun.h"
#include "mSocket.h"
#include "publicvariable.h"
#include "showswitchtarget.h"

#include <algorithm>
#include <cstring>

std::optional<QByteArray> ExtractBusPacket(const quint8* datagram, int size)
{
    if (!datagram || size < BusReceive::MinimumDatagram)
        return std::nullopt;
    if (datagram[14] != 0xAA || (datagram[15] != 0xAA && datagram[15] != 0x55))
        return std::nullopt;

    if (datagram[16] == 0xFF) {
        const int length = (int(datagram[25]) << 8 | datagram[26]) + 11;
        // Only bytes that really arrived are taken; nothing stale from an
        // earlier, longer datagram and nothing past the receive buffer.
        const int available = std::min(size, BusReceive::BufferSize) - 16;
        QByteArray data(length, '\0');
        std::memcpy(data.data(), datagram + 16, size_t(std::min(length, available)));
        return data;
    }

    const int length = size - 16;
    if (!pblCheckCRC(datagram + 16, length - 2))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(datagram + 16), length);
}

void AcceptBusDatagram(const quint8* datagram, int size, const QString& senderAddress,
                       ShowSwitchTarget& target)
{
    if (mPublicVariable().LocalAddress.isEmpty() || senderAddress.isEmpty())
        return;
    const std::optional<QByteArray> data = ExtractBusPacket(datagram, size);
    if (data)
        DispatchBusPacket(*data, target);
}

void DispatchBusPacket(const QByteArray& data, ShowSwitchTarget& target)
{
    if (data.size() < 11)
        return;
    const auto* d = reinterpret_cast<const quint8*>(data.constData());
    const quint8 sourceSubnet = d[1];
    const quint8 sourceDevice = d[2];
    const quint16 operationCode = quint16(d[5] << 8 | d[6]);
    const quint8 targetSubnet = d[7];
    const quint8 targetDevice = d[8];
    const quint8 switchNo = d[9];
    const quint8 status = d[10];

    PublicVariables& pv = mPublicVariable();
    if (operationCode != BusReceive::UniversalSwitch)
        return;
    // Broadcast addresses never start or stop a show.
    if (targetSubnet == 255 || targetDevice == 255)
        return;
    if (targetSubnet != pv.SubnetID || targetDevice != pv.DeviceID)
        return;

    for (int index = 0; index < pv.ShowList.size(); ++index) {
        if (mPublicVariable().ClosingFlag)
            return;
        const TShow& show = pv.ShowList.at(index);
        if (show.ActivedUniversalSwitch != 1 || show.UniversalSwitchID != switchNo)
            continue;

        // The target may rebuild ShowList while it loads a show; nothing of
        // the show is read after the first call.
        const int showId = show.ShowID;
        if (status == 0) {
            target.stopPlayer();
        } else if (showId == pv.CurrentShowID) {
            target.playPlayer();
        } else {
            target.selectShowRow(index);
            target.playPlayer();
        }
        SendSwitchAck(sourceSubnet, sourceDevice, switchNo, status);
        return;
    }
}
