#pragma once

#include <QtGlobal>

// A watcher of every datagram the program sends or receives (the bus
// monitor, remote control's monitor feed), added to the bus link. While none
// is added the send and receive paths pay one emptiness check; a watcher
// sees the bytes only after they have gone out or come in and cannot change
// them.

enum class BusDirection : quint8 { Sent, Received };

class BusObserver {
public:
    virtual ~BusObserver() = default;
    // The datagram's first `count` bytes as they went or came; `size` is its
    // real size, larger than count only for a received datagram too long for
    // the receive buffer. `peer` is the IPv4 address it went to or came
    // from, `port` that side's port. Called on the GUI thread for every
    // datagram, between reads of a flood: it must not do more than note the
    // datagram and return.
    virtual void busDatagram(BusDirection direction, const quint8* bytes, int count, int size, quint32 peer,
                             quint16 port) = 0;
};
