// Feeds arbitrary bytes to the OSC decoder as if they had arrived on the
// remote control's OSC port. Whatever it refuses must carry a reason;
// whatever it takes must be written back as the same bytes.

#include "osccodec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const quint8* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const OscDecoded decoded = DecodeOscMessage(bytes, qsizetype(size));
    if (!decoded.ok) {
        if (decoded.refusal.isEmpty())
            std::abort();
        return 0;
    }
    if (decoded.message.address.isEmpty() || size > size_t(OscMaxPacketSize))
        std::abort();

    // A message taken is in its one canonical form: padding of NULs and
    // nothing after the last argument. Only a type tag string is added when
    // the message came without one.
    const QByteArray input = QByteArray::fromRawData(bytes, qsizetype(size));
    const QByteArray encoded = EncodeOscMessage(decoded.message);
    if (encoded != input && encoded != input + QByteArray(",\0\0\0", 4))
        std::abort();
    const OscDecoded again = DecodeOscMessage(encoded);
    if (!again.ok || !(again.message == decoded.message))
        std::abort();
    return 0;
}
