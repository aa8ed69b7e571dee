#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Command kinds as stored in CommandTypeID and how each one travels on the bus.

struct EncodedCommand {
    quint16 operationCode = 0;
    QByteArray payload;
};

// The operation code and payload for a stored command, or nothing for kind 3
// and for kinds the program does not know (such commands are never sent).
std::optional<EncodedCommand> EncodeCommand(quint8 kind, quint16 first, quint16 second, quint16 third);

// A stored command read back from an operation code and payload.
struct DecodedCommand {
    quint8 kind = 0;
    quint16 first = 0;
    quint16 second = 0;
    quint16 third = 0;
};

// The stored command that EncodeCommand turns into exactly this operation
// code and payload, or nothing when none does. Where two kinds give the same
// bytes (0 and 5, 4 and 6 with a first value of 255) the kind with the fixed
// first value is named.
std::optional<DecodedCommand> DecodeCommand(quint16 operationCode, const quint8* payload, int count);
