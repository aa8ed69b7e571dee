#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// OSC 1.0 messages as bytes and back, without sockets. A packet is taken
// whole or refused whole: the decoder reads only inside the bytes it is
// given and names what it found wrong.
//
// Arguments: i (int32), f (float32), s (string) and b (blob). Strings are
// kept as the bytes sent (UTF-8 is read and written as is). Bundles
// ("#bundle") are refused: remote control answers single messages only.

// The largest packet taken (64 KB); anything longer is refused unread.
inline constexpr qsizetype OscMaxPacketSize = 65536;

struct OscArgument {
    enum Type : char { Int32 = 'i', Float32 = 'f', String = 's', Blob = 'b' };

    Type type = Int32;
    qint32 i = 0;     // Int32
    float f = 0.0f;   // Float32
    QByteArray bytes; // String (without its NUL) or Blob

    static OscArgument int32(qint32 value);
    static OscArgument float32(float value);
    static OscArgument string(const QString& text);
    static OscArgument blob(const QByteArray& data);

    QString text() const { return QString::fromUtf8(bytes); }

    // Floats compare by their bits, so a NaN equals itself.
    bool operator==(const OscArgument& other) const;
};

struct OscMessage {
    QByteArray address; // "/tavolan/stop"
    QList<OscArgument> arguments;

    // The type tags without the comma: "is" for an int and a string.
    QByteArray typeTags() const;

    bool operator==(const OscMessage&) const = default;
};

struct OscDecoded {
    bool ok = false;
    OscMessage message;
    QString refusal; // why the packet was refused, when !ok
};

// One packet as it arrived. A message that ends after its address (no type
// tag string, as very old senders do) has no arguments.
OscDecoded DecodeOscMessage(const char* data, qsizetype size);
inline OscDecoded DecodeOscMessage(const QByteArray& packet)
{
    return DecodeOscMessage(packet.constData(), packet.size());
}

// The packet for a message, always with its type tag string. An address or
// string that holds a NUL is cut at it.
QByteArray EncodeOscMessage(const OscMessage& message);
