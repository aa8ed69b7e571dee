#include "commandcodec.h"

#include "messages.h"
#include "udpsocket.h"

#include <exception>

namespace {

QByteArray bytes(std::initializer_list<quint16> values)
{
    QByteArray out;
    for (quint16 v : values)
        out.append(char(v & 0xFF));
    return out;
}

quint8 high(quint16 v)
{
    return quint8(v >> 8);
}

} // namespace

std::optional<EncodedCommand> EncodeCommand(quint8 kind, quint16 first, quint16 second, quint16 third)
{
    switch (kind) {
    case 0:
        return EncodedCommand{0x0002, bytes({first, second})};
    case 1:
        return EncodedCommand{0x001A, bytes({first, second})};
    case 2:
        return EncodedCommand{0xE01C, bytes({first, second})};
    case 4:
        return EncodedCommand{0x0031, bytes({first, second, high(third), third})};
    case 5:
        return EncodedCommand{0x0002, bytes({255, second})};
    case 6:
        return EncodedCommand{0x0031, bytes({255, second, high(third), third})};
    case 7:
        return EncodedCommand{0xE3E0, bytes({first, second})};
    case 8:
        return EncodedCommand{0xF116, bytes({first, second})};
    case 9:
        return EncodedCommand{0xE3D4, bytes({first, second})};
    case 10:
        return EncodedCommand{0xE3D8, bytes({first, second})};
    case 11:
        return EncodedCommand{0x0104, bytes({first, second})};
    case 12:
        return EncodedCommand{0x010C, bytes({first, high(second), second, 0, third})};
    default: // 3 is "no operation"; unknown kinds are never sent either
        return std::nullopt;
    }
}

std::optional<DecodedCommand> DecodeCommand(quint16 operationCode, const quint8* payload, int count)
{
    if (!payload || count < 2 || count > 5)
        return std::nullopt;
    // The three values as each payload length lays them out; the encoder
    // then says which kind, if any, gives back these very bytes.
    DecodedCommand candidate;
    candidate.first = payload[0];
    if (count == 2) {
        candidate.second = payload[1];
    } else if (count == 4) {
        candidate.second = payload[1];
        candidate.third = quint16(payload[2] << 8 | payload[3]);
    } else if (count == 5) {
        candidate.second = quint16(payload[1] << 8 | payload[2]);
        candidate.third = payload[4];
    } else {
        return std::nullopt;
    }
    const QByteArray wanted(reinterpret_cast<const char*>(payload), count);
    static constexpr quint8 kinds[] = {5, 6, 0, 1, 2, 4, 7, 8, 9, 10, 11, 12};
    for (quint8 kind : kinds) {
        const std::optional<EncodedCommand> encoded =
            EncodeCommand(kind, candidate.first, candidate.second, candidate.third);
        if (encoded && encoded->operationCode == operationCode && encoded->payload == wanted) {
            candidate.kind = kind;
            return candidate;
        }
    }
    return std::nullopt;
}

void SendCommand(quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second, quint16 third)
{
    try {
        const std::optional<EncodedCommand> command = EncodeCommand(kind, first, second, third);
        if (!command)
            return;
        SendBusPacket(reinterpret_cast<const quint8*>(command->payload.constData()),
                      int(command->payload.size()), command->operationCode, subnet, device, false);
    } catch (const std::exception& e) {
        LogMessagePresenter().error(nullptr, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // The caller carries on with its next command whatever happened here.
    }
}

void SendSwitchAck(quint8 subnet, quint8 device, quint8 switchNo, quint8 status)
{
    const quint8 payload[2] = {switchNo, status};
    SendBusPacket(payload, 2, 0xE01D, subnet, device, false);
}
