#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

class BusLink;
struct BusIdentity;
class ShowSwitchTarget;

// Turning received bus datagrams into show starts and stops. Everything here
// is free of sockets so that any byte sequence can be fed to it.

namespace BusReceive {
constexpr int BufferSize = 1350;      // the largest datagram the receiver takes
constexpr int MinimumDatagram = 27;   // header, packet head and CRC, no payload
constexpr quint16 UniversalSwitch = 0xE01C;
constexpr quint16 UniversalSwitchAck = 0xE01D;
} // namespace BusReceive

// What the receiver makes of a datagram's frame.
enum class BusFrameCheck {
    Accepted,   // short form with a good CRC
    LongForm,   // length byte 0xFF: accepted, its CRC is not checked
    TooShort,   // fewer than 27 bytes
    NoLeadCode, // byte 14 is not 0xAA, or byte 15 neither 0xAA nor 0x55
    BadCrc,     // short form whose last two bytes are not the CRC
};
BusFrameCheck CheckBusFrame(const quint8* datagram, int size);

// The fixed head of a bus packet (the bytes from the length byte on; at
// least 11 of them).
struct BusPacketHead {
    quint8 length = 0;
    quint8 sourceSubnet = 0;
    quint8 sourceDevice = 0;
    quint16 deviceType = 0;
    quint16 operationCode = 0;
    quint8 targetSubnet = 0;
    quint8 targetDevice = 0;
};
BusPacketHead ReadBusPacketHead(const quint8* packet);
// Where the payload starts within a bus packet.
constexpr int BusPacketPayloadOffset = 9;

// The bus packet of a datagram from its length byte on, or nothing when the
// datagram is refused: shorter than 27 bytes, no lead code (byte 14 0xAA,
// byte 15 0xAA or 0x55), or a short-form packet whose CRC is wrong.
// A long-form packet (length byte 0xFF) takes its length from bytes 25 and 26
// plus 11; bytes it names beyond the datagram (or beyond the receive buffer)
// read as zeros. Its CRC is not checked.
std::optional<QByteArray> ExtractBusPacket(const quint8* datagram, int size);

// Every check a received datagram must pass (including a known own address
// and a sender), then the dispatch; answers go out through the link.
void AcceptBusDatagram(const quint8* datagram, int size, const QString& senderAddress, const BusIdentity& own,
                       ShowSwitchTarget& target, BusLink& link);

// Acts on a universal-switch command addressed to our own subnet and device
// (the link's identity):
// the first active show carrying the switch number is switched on (status
// other than 0) or off, and the sender is answered through the link.
// Anything else is ignored.
void DispatchBusPacket(const QByteArray& data, ShowSwitchTarget& target, BusLink& link);
