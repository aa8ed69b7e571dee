#include "osccodec.h"

#include <QtEndian>

#include <bit>
#include <cstring>

namespace {

constexpr qsizetype padded(qsizetype n)
{
    return (n + 3) & ~qsizetype(3);
}

// Walks the packet; every read checks what is left first, so nothing is
// read past the end however the sizes inside are forged.
class Reader {
public:
    Reader(const char* data, qsizetype size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos == m_size; }
    QString refusal() const { return m_refusal; }

    // A NUL-terminated string padded with NULs to a multiple of four.
    bool string(QByteArray& out, const char* what)
    {
        const qsizetype left = m_size - m_pos;
        const void* nul = std::memchr(m_data + m_pos, 0, size_t(left));
        if (!nul)
            return fail(QStringLiteral("%1 has no terminating NUL").arg(QLatin1String(what)));
        const qsizetype length = static_cast<const char*>(nul) - (m_data + m_pos);
        const qsizetype whole = padded(length + 1);
        if (whole > left)
            return fail(QStringLiteral("%1 is cut short in its padding").arg(QLatin1String(what)));
        if (!zeros(m_pos + length, whole - length))
            return fail(QStringLiteral("%1 is padded with other bytes than NUL").arg(QLatin1String(what)));
        out = QByteArray(m_data + m_pos, length);
        m_pos += whole;
        return true;
    }

    bool int32(qint32& out, const char* what)
    {
        if (m_size - m_pos < 4)
            return fail(QStringLiteral("%1 is cut short").arg(QLatin1String(what)));
        out = qFromBigEndian<qint32>(m_data + m_pos);
        m_pos += 4;
        return true;
    }

    bool blob(QByteArray& out)
    {
        qint32 length = 0;
        if (!int32(length, "blob size"))
            return false;
        if (length < 0)
            return fail(QStringLiteral("blob size is negative"));
        const qsizetype left = m_size - m_pos;
        if (length > left)
            return fail(QStringLiteral("blob is longer than the packet"));
        const qsizetype whole = padded(length);
        if (whole > left)
            return fail(QStringLiteral("blob is cut short in its padding"));
        if (!zeros(m_pos + length, whole - length))
            return fail(QStringLiteral("blob is padded with other bytes than NUL"));
        out = QByteArray(m_data + m_pos, length);
        m_pos += whole;
        return true;
    }

    bool fail(const QString& why)
    {
        m_refusal = why;
        return false;
    }

private:
    bool zeros(qsizetype from, qsizetype count) const
    {
        for (qsizetype k = 0; k < count; ++k)
            if (m_data[from + k] != 0)
                return false;
        return true;
    }

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    QString m_refusal;
};

OscDecoded refused(const QString& why)
{
    OscDecoded out;
    out.refusal = why;
    return out;
}

bool validAddress(const QByteArray& address)
{
    if (!address.startsWith('/'))
        return false;
    for (const char c : address)
        if (c < 0x21 || c > 0x7E)
            return false;
    return true;
}

void appendString(QByteArray& out, QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text = text.first(nul);
    out.append(text);
    out.append(padded(text.size() + 1) - text.size(), '\0');
}

void appendInt32(QByteArray& out, qint32 value)
{
    char be[4];
    qToBigEndian(value, be);
    out.append(be, 4);
}

} // namespace

OscArgument OscArgument::int32(qint32 value)
{
    OscArgument a;
    a.type = Int32;
    a.i = value;
    return a;
}

OscArgument OscArgument::float32(float value)
{
    OscArgument a;
    a.type = Float32;
    a.f = value;
    return a;
}

OscArgument OscArgument::string(const QString& text)
{
    OscArgument a;
    a.type = String;
    a.bytes = text.toUtf8();
    return a;
}

OscArgument OscArgument::blob(const QByteArray& data)
{
    OscArgument a;
    a.type = Blob;
    a.bytes = data;
    return a;
}

bool OscArgument::operator==(const OscArgument& other) const
{
    if (type != other.type)
        return false;
    switch (type) {
    case Int32:
        return i == other.i;
    case Float32:
        return std::bit_cast<quint32>(f) == std::bit_cast<quint32>(other.f);
    case String:
    case Blob:
        return bytes == other.bytes;
    }
    return false;
}

QByteArray OscMessage::typeTags() const
{
    QByteArray tags;
    tags.reserve(arguments.size());
    for (const OscArgument& a : arguments)
        tags.append(char(a.type));
    return tags;
}

OscDecoded DecodeOscMessage(const char* data, qsizetype size)
{
    if (size <= 0 || !data)
        return refused(QStringLiteral("empty packet"));
    if (size > OscMaxPacketSize)
        return refused(QStringLiteral("packet of %1 bytes is over 64 KB").arg(size));
    if (size % 4 != 0)
        return refused(QStringLiteral("packet size %1 is not a multiple of 4").arg(size));
    if (data[0] == '#')
        return refused(QStringLiteral("bundles are not accepted"));

    Reader in(data, size);
    OscDecoded out;
    if (!in.string(out.message.address, "address"))
        return refused(in.refusal());
    if (!validAddress(out.message.address))
        return refused(QStringLiteral("address does not start with '/' or holds other than printable ASCII"));
    if (in.atEnd()) {
        out.ok = true;
        return out;
    }

    QByteArray tags;
    if (!in.string(tags, "type tag string"))
        return refused(in.refusal());
    if (!tags.startsWith(','))
        return refused(QStringLiteral("type tag string does not start with ','"));

    for (qsizetype k = 1; k < tags.size(); ++k) {
        OscArgument a;
        bool read = false;
        switch (tags.at(k)) {
        case 'i':
            a.type = OscArgument::Int32;
            read = in.int32(a.i, "int32 argument");
            break;
        case 'f': {
            qint32 bits = 0;
            a.type = OscArgument::Float32;
            read = in.int32(bits, "float32 argument");
            a.f = std::bit_cast<float>(bits);
            break;
        }
        case 's':
            a.type = OscArgument::String;
            read = in.string(a.bytes, "string argument");
            break;
        case 'b':
            a.type = OscArgument::Blob;
            read = in.blob(a.bytes);
            break;
        default:
            return refused(QStringLiteral("unknown type tag '%1'")
                               .arg(QString::fromLatin1(QByteArray(1, tags.at(k)).toPercentEncoding())));
        }
        if (!read)
            return refused(in.refusal());
        out.message.arguments.append(std::move(a));
    }
    if (!in.atEnd())
        return refused(QStringLiteral("bytes after the last argument"));
    out.ok = true;
    return out;
}

QByteArray EncodeOscMessage(const OscMessage& message)
{
    QByteArray out;
    appendString(out, message.address);
    appendString(out, QByteArray(1, ',') + message.typeTags());
    for (const OscArgument& a : message.arguments) {
        switch (a.type) {
        case OscArgument::Int32:
            appendInt32(out, a.i);
            break;
        case OscArgument::Float32:
            appendInt32(out, std::bit_cast<qint32>(a.f));
            break;
        case OscArgument::String:
            appendString(out, a.bytes);
            break;
        case OscArgument::Blob:
            appendInt32(out, qint32(a.bytes.size()));
            out.append(a.bytes);
            out.append(padded(a.bytes.size()) - a.bytes.size(), '\0');
            break;
        }
    }
    return out;
}
