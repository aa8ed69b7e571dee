#include "buswire.h"

#include "messages.h"

#include <exception>

namespace {

constexpr std::array<quint16, 256> makeCrcTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<quint16, 256> crcTable = makeCrcTable();

// Reported to the log: a box would hold up the bus.
void logFailure(const QString& text)
{
    LogMessagePresenter().error(nullptr, text);
}

QString errorText(const std::exception& e)
{
    return QString::fromLocal8Bit(e.what());
}

} // namespace

quint16 BusCrc16(const quint8* bytes, int count)
{
    quint16 crc = 0;
    if (!bytes)
        return crc;
    for (int i = 0; i < count; ++i)
        crc = quint16(crc << 8) ^ crcTable[((crc >> 8) ^ bytes[i]) & 0xFF];
    return crc;
}

std::array<quint8, 2> BusCrcBytes(const quint8* bytes, int count)
{
    try {
        const quint16 crc = BusCrc16(bytes, count);
        return {quint8(crc >> 8), quint8(crc & 0xFF)};
    } catch (const std::exception& e) {
        logFailure(errorText(e) + QStringLiteral("(pblPackCRC)"));
        return {0, 0};
    }
}

bool BusCrcMatches(const quint8* bytes, int count)
{
    try {
        if (!bytes || count < 0)
            return false;
        // Positions are plain ints: runs longer than 255 bytes are checked
        // at their real end, not at a position wrapped to 8 bits.
        const std::array<quint8, 2> crc = BusCrcBytes(bytes, count);
        return bytes[count] == crc[0] && bytes[count + 1] == crc[1];
    } catch (const std::exception& e) {
        logFailure(errorText(e) + QStringLiteral("(pblCheckCRC)"));
        return false;
    }
}

QByteArray ProtocolTag(quint8 generation)
{
    return generation <= 3 ? QByteArrayLiteral("RODOVEVARA") : QByteArrayLiteral("VORTELUMEN");
}

QHostAddress BroadcastDestination(const std::array<quint8, 4>& octets)
{
    quint32 a = octets[0], b = octets[1], c = octets[2];
    quint32 ip;
    if (a < 128)
        ip = (a << 24) | 0x00FFFFFFu;
    else if (a < 192)
        ip = (a << 24) | (b << 16) | 0x0000FFFFu;
    else
        ip = (a << 24) | (b << 16) | (c << 8) | 0xFFu;
    return QHostAddress(ip);
}

QByteArray FrameDatagram(const BusFrameSource& source, quint16 operationCode, quint8 targetSubnet,
                         quint8 targetDevice, const quint8* payload, int count, bool longForm)
{
    if (count < 0 || count > BusWire::MaxPayload || (count > 0 && !payload))
        return {};

    QByteArray datagram;
    datagram.reserve(BusWire::FrameOverhead + count);
    for (quint8 octet : source.localOctets)
        datagram.append(char(octet));
    datagram.append(ProtocolTag(source.generation));
    datagram.append(char(0xAA));
    datagram.append(char(0xAA));
    const int length = count + 11;
    datagram.append(char(longForm || length > BusWire::LongFormThreshold ? 0xFF : length));
    datagram.append(char(source.subnet));
    datagram.append(char(source.device));
    datagram.append(char(BusWire::SourceDeviceType >> 8));
    datagram.append(char(BusWire::SourceDeviceType & 0xFF));
    datagram.append(char(operationCode >> 8));
    datagram.append(char(operationCode & 0xFF));
    datagram.append(char(targetSubnet));
    datagram.append(char(targetDevice));
    if (count > 0)
        datagram.append(reinterpret_cast<const char*>(payload), count);

    const auto* run = reinterpret_cast<const quint8*>(datagram.constData()) + 16;
    const std::array<quint8, 2> crc = BusCrcBytes(run, 9 + count);
    datagram.append(char(crc[0]));
    datagram.append(char(crc[1]));
    return datagram;
}
