#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QtGlobal>

#include <array>

// The wire format of bus packets over UDP.
//
// Every datagram is: the four local octets, a 10-byte protocol tag, the lead
// code AA AA, then the bus packet proper (length, source subnet and device,
// device type FFFD, operation code, target subnet and device, payload) and a
// CRC-16/XMODEM over length byte .. last payload byte, high byte first.

namespace BusWire {
constexpr int SendBufferSize = 1300;
constexpr int HeaderSize = 25;          // local address, tag, lead code, packet head
constexpr int FrameOverhead = 27;       // header plus CRC
constexpr int MaxPayload = SendBufferSize - FrameOverhead; // 1273
constexpr int LongFormThreshold = 80;   // a length above this goes out as 0xFF
constexpr quint16 GatewayPort = 6000;   // bus gateways listen here, whatever our own port
constexpr quint16 SourceDeviceType = 0xFFFD;
} // namespace BusWire

// CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection, no final XOR).
quint16 BusCrc16(const quint8* bytes, int count);

// The CRC of the first count bytes, high byte first.
std::array<quint8, 2> BusCrcBytes(const quint8* bytes, int count);

// True when the two bytes after the first count bytes hold their CRC, high
// byte first. The caller guarantees count + 2 readable bytes.
bool BusCrcMatches(const quint8* bytes, int count);

// The protocol tag of a generation: "RODOVEVARA" up to 3, "VORTELUMEN" from 4.
QByteArray ProtocolTag(quint8 generation);

// Directed broadcast of the local address's class: a.255.255.255 below 128,
// a.b.255.255 below 192, a.b.c.255 from 192 up.
QHostAddress BroadcastDestination(const std::array<quint8, 4>& octets);

struct BusFrameSource {
    std::array<quint8, 4> localOctets{0, 0, 0, 0};
    quint8 generation = 3;
    quint8 subnet = 0;
    quint8 device = 0;
};

// The whole datagram for one packet, or an empty array when the payload does
// not fit in the send buffer (count < 0 or count > MaxPayload).
QByteArray FrameDatagram(const BusFrameSource& source, quint16 operationCode, quint8 targetSubnet,
                         quint8 targetDevice, const quint8* payload, int count, bool longForm = false);
