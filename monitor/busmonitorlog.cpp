#include "busmonitorlog.h"

#include "commandkinds.h"
#include "commandlist.h"
#include "settingsfiles.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {

constexpr int PacketStart = 16; // the length byte within a datagram

QString address(quint8 subnet, quint8 device)
{
    return QStringLiteral("%1/%2").arg(subnet).arg(device);
}

QString hex16(quint16 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString kindText(const SettingsFiles& files, const BusDatagramFacts& f)
{
    switch (f.check) {
    case BusFrameCheck::TooShort:
        return QStringLiteral("Malformed: too short");
    case BusFrameCheck::NoLeadCode:
        return QStringLiteral("Malformed: no lead code");
    default:
        break;
    }
    if (f.switchAck)
        return QStringLiteral("Universal switch acknowledgement");
    if (!f.command)
        return QString();
    const QString name = ControlTypeName(files, f.command->kind);
    return name.isEmpty() ? QStringLiteral("Kind %1").arg(f.command->kind) : name;
}

QString switchAckText(int switchNumber, int status)
{
    return QStringLiteral("switch %1, status %2").arg(switchNumber).arg(status);
}

QString commandText(const SettingsFiles& files, const LookupLists& lookups, const DecodedCommand& command)
{
    // The texts the command lists show for a stored command of this kind.
    TControlObject c;
    c.CommandTypeID = command.kind;
    c.FirstParameter = command.first;
    c.SecondParameter = command.second;
    c.ThirdParameter = command.third;
    const QStringList cells = CommandListCells(files, lookups, c);
    QStringList shown{cells.value(5), cells.value(6)};
    // Every value on the wire is shown: one that no lookup entry names
    // (a status 255, say) is shown by its number.
    const CommandKindFacts& kind = KindFacts(c.CommandTypeID);
    if (kind.lookup != ParameterLookup::None && FactsOf(kind.lookup).nameOf(lookups, c.SecondParameter).isEmpty())
        shown[1] = *kind.secondKey ? DescribedValue(files, QString::number(c.SecondParameter),
                                                    QString::fromLatin1(kind.secondKey))
                                   : QString::number(c.SecondParameter);
    if (KindFacts(c.CommandTypeID).runningTime)
        shown << cells.value(7);
    else if (c.CommandTypeID == 12)
        shown << QString::number(c.ThirdParameter);
    return shown.join(QStringLiteral(", "));
}

QString parameterText(const SettingsFiles& files, const LookupLists& lookups, const BusMonitorEntry& e)
{
    const BusDatagramFacts& f = e.facts();
    const auto* payload = reinterpret_cast<const quint8*>(e.bytes.constData()) + f.payloadOffset;
    if (f.switchAck)
        return switchAckText(payload[0], payload[1]);
    return f.command ? commandText(files, lookups, *f.command) : QString();
}

QString frameText(const BusDatagramFacts& f)
{
    if (f.tooLong)
        return QStringLiteral("too long for the receive buffer");
    switch (f.check) {
    case BusFrameCheck::TooShort:
        return QStringLiteral("too short");
    case BusFrameCheck::NoLeadCode:
        return QStringLiteral("no lead code");
    default:
        break;
    }
    if (!f.lengthMatches())
        return QStringLiteral("length %1, packet %2").arg(f.declaredLength).arg(f.packetLength);
    return f.check == BusFrameCheck::LongForm ? QStringLiteral("long form") : QStringLiteral("ok");
}

QString crcText(const BusDatagramFacts& f)
{
    switch (f.check) {
    case BusFrameCheck::Accepted:
        return QStringLiteral("ok");
    case BusFrameCheck::BadCrc:
        return QStringLiteral("bad");
    case BusFrameCheck::LongForm:
        return QStringLiteral("not checked");
    default:
        return QString();
    }
}

// The head of a datagram that has a lead code, as ReadBusDatagramFacts
// reads it, without checking the CRC or decoding the command: all the
// filter needs, for rows nobody may ever look at.
std::optional<BusPacketHead> packetHead(const QByteArray& bytes)
{
    const auto* d = reinterpret_cast<const quint8*>(bytes.constData());
    if (bytes.size() < BusReceive::MinimumDatagram || d[14] != 0xAA || (d[15] != 0xAA && d[15] != 0x55))
        return std::nullopt;
    return ReadBusPacketHead(d + PacketStart);
}

// CPU time of the calling thread: what a flush costs the GUI thread, without
// the time it spends preempted on a busy machine.
qint64 threadCpuNsecs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

BusDatagramFacts ReadBusDatagramFacts(const QByteArray& bytes, int size)
{
    BusDatagramFacts f;
    const auto* d = reinterpret_cast<const quint8*>(bytes.constData());
    const int count = int(bytes.size());
    f.tooLong = size > count;
    f.check = CheckBusFrame(d, count);
    if (f.check == BusFrameCheck::TooShort || f.check == BusFrameCheck::NoLeadCode)
        return f;

    // From here at least 27 bytes are there: the whole packet head and a CRC.
    f.hasHead = true;
    f.head = ReadBusPacketHead(d + PacketStart);
    f.packetLength = count - PacketStart;
    f.payloadOffset = PacketStart + BusPacketPayloadOffset;
    if (f.check == BusFrameCheck::LongForm) {
        f.declaredLength = (int(d[25]) << 8 | d[26]) + 11;
        // Only the payload bytes that came; no CRC is looked for.
        f.payloadLength = std::min(f.declaredLength - 11, count - f.payloadOffset);
    } else {
        f.declaredLength = f.head.length;
        f.payloadLength = count - f.payloadOffset - 2;
    }
    const quint8* payload = d + f.payloadOffset;
    f.switchAck = f.head.operationCode == BusReceive::UniversalSwitchAck && f.payloadLength == 2;
    if (!f.switchAck)
        f.command = DecodeCommand(f.head.operationCode, payload, f.payloadLength);
    return f;
}

const BusDatagramFacts& BusMonitorEntry::facts() const
{
    if (!m_facts)
        m_facts = ReadBusDatagramFacts(bytes, size);
    return *m_facts;
}

BusMonitorLog::BusMonitorLog(const SettingsFiles& files, const LookupLists& lookups, int capacity, QObject* parent)
    : QAbstractTableModel(parent), m_files(files), m_lookups(lookups), m_capacity(std::max(1, capacity))
{
    m_ring.resize(size_t(m_capacity));
    m_stagedBytes.reserve(StagingBytes);
    setMaxRowsPerFlush(DefaultMaxRowsPerFlush);
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(DefaultFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &BusMonitorLog::flush);
}

void BusMonitorLog::setMaxRowsPerFlush(int rows)
{
    m_maxStaged = std::clamp(rows, 1, m_capacity);
    m_stageAllowance = m_maxStaged;
    m_staged.reserve(size_t(m_maxStaged));
    if (int(m_staged.size()) > m_maxStaged) {
        m_skipped += m_staged.size() - size_t(m_maxStaged);
        m_staged.resize(size_t(m_maxStaged));
    }
}

// Called for every datagram on the send and receive paths: counts it and
// copies it into room reserved beforehand, or skips it when there is none.
void BusMonitorLog::busDatagram(BusDirection direction, const quint8* bytes, int count, int size, quint32 peer,
                                quint16 port)
{
    (direction == BusDirection::Sent ? m_sent : m_received) += 1;
    if (!m_paused) {
        const int n = bytes ? std::max(0, count) : 0;
        if (int(m_staged.size()) >= m_stageAllowance || m_stagedBytes.size() + size_t(n) > size_t(StagingBytes)) {
            ++m_skipped;
        } else {
            m_staged.push_back(Staged{QDateTime::currentMSecsSinceEpoch(), peer, port, direction, size,
                                      int(m_stagedBytes.size()), n});
            m_stagedBytes.insert(m_stagedBytes.end(), bytes, bytes + n);
        }
    }
    if (!m_flushScheduled) {
        m_flushScheduled = true;
        m_flushTimer.start();
    }
}

void BusMonitorLog::flush()
{
    m_flushTimer.stop();
    m_flushScheduled = false;
    const qint64 started = threadCpuNsecs();
    const int batch = int(m_staged.size()); // never more than the capacity
    if (batch > 0) {
        const int overflow = m_count + batch - m_capacity;
        if (overflow > 0) {
            // The slots stay as they are until the new rows overwrite them.
            beginRemoveRows(QModelIndex(), 0, overflow - 1);
            m_head = (m_head + overflow) % m_capacity;
            m_count -= overflow;
            endRemoveRows();
        }
        beginInsertRows(QModelIndex(), m_count, m_count + batch - 1);
        for (int i = 0; i < batch; ++i) {
            const Staged& staged = m_staged[size_t(i)];
            BusMonitorEntry& slot = m_ring[size_t((m_head + m_count + i) % m_capacity)];
            slot.msecsSinceEpoch = staged.msecsSinceEpoch;
            slot.direction = staged.direction;
            slot.peer = staged.peer;
            slot.port = staged.port;
            slot.size = staged.size;
            // Reuses the bytes' allocation of the row this slot held before.
            slot.bytes.resize(staged.count);
            if (staged.count > 0)
                std::memcpy(slot.bytes.data(), m_stagedBytes.data() + staged.offset, size_t(staged.count));
            slot.m_facts.reset();
        }
        m_count += batch;
        m_staged.clear();
        m_stagedBytes.clear();
        endInsertRows();
    }
    Q_EMIT countersChanged();

    // A slow flush (a slow machine, a busy view) takes fewer rows next time;
    // quick ones earn the allowance back step by step.
    const qint64 took = threadCpuNsecs() - started;
    constexpr qint64 budget = qint64(FlushBudgetMs) * 1000000;
    if (took > budget)
        m_stageAllowance = std::max(std::min(m_maxStaged, 16), m_stageAllowance / 2);
    else if (took * 4 < budget && m_stageAllowance < m_maxStaged)
        m_stageAllowance = std::min(m_maxStaged, m_stageAllowance + m_stageAllowance / 4 + 1);
}

void BusMonitorLog::setPaused(bool paused)
{
    m_paused = paused;
}

void BusMonitorLog::clear()
{
    beginResetModel();
    m_ring.assign(size_t(m_capacity), BusMonitorEntry());
    m_head = 0;
    m_count = 0;
    m_staged.clear();
    m_stagedBytes.clear();
    m_sent = 0;
    m_received = 0;
    m_skipped = 0;
    endResetModel();
    Q_EMIT countersChanged();
}

quint64 BusMonitorLog::seen(BusDirection direction) const
{
    return direction == BusDirection::Sent ? m_sent : m_received;
}

const BusMonitorEntry& BusMonitorLog::entry(int row) const
{
    return m_ring[size_t((m_head + row) % m_capacity)];
}

int BusMonitorLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int BusMonitorLog::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString BusMonitorLog::cellText(const BusMonitorEntry& e, int column) const
{
    switch (column) {
    case Time:
        return QDateTime::fromMSecsSinceEpoch(e.msecsSinceEpoch).toString(QStringLiteral("HH:mm:ss.zzz"));
    case Direction:
        return e.direction == BusDirection::Sent ? QStringLiteral("Sent") : QStringLiteral("Received");
    case Peer:
        return QStringLiteral("%1:%2").arg(QHostAddress(e.peer).toString()).arg(e.port);
    case Size:
        return QString::number(e.size);
    default:
        break;
    }
    const BusDatagramFacts& f = e.facts();
    switch (column) {
    case Source:
        return f.hasHead ? address(f.head.sourceSubnet, f.head.sourceDevice) : QString();
    case Target:
        return f.hasHead ? address(f.head.targetSubnet, f.head.targetDevice) : QString();
    case Operation:
        return f.hasHead ? hex16(f.head.operationCode) : QString();
    case Kind:
        return kindText(m_files, f);
    case Parameters:
        return parameterText(m_files, m_lookups, e);
    case Frame:
        return frameText(f);
    case Crc:
        return crcText(f);
    default:
        return QString();
    }
}

QStringList BusMonitorLog::widestTexts(int column, QChar digit) const
{
    const auto digits = [digit](int count) { return QString(count, digit); };
    const QString number = digits(3); // a byte at its widest
    switch (column) {
    case Time:
        return {digits(2) + QLatin1Char(':') + digits(2) + QLatin1Char(':') + digits(2) + QLatin1Char('.') + digits(3)};
    case Direction:
        return {QStringLiteral("Sent"), QStringLiteral("Received")};
    case Peer:
        return {QStringList(4, number).join(QLatin1Char('.')) + QLatin1Char(':') + digits(5)};
    case Source:
    case Target:
        return {number + QLatin1Char('/') + number};
    case Operation:
        return {QStringLiteral("0x") + QString(4, digit), QStringLiteral("0xFFFF"), QStringLiteral("0xDDDD"),
                QStringLiteral("0xBBBB")};
    case Size:
        return {digits(5)};
    case Frame:
        return {QStringLiteral("too long for the receive buffer"), QStringLiteral("too short"),
                QStringLiteral("no lead code"), QStringLiteral("long form"),
                QStringLiteral("length %1, packet %1").arg(digits(5))};
    case Crc:
        return {QStringLiteral("ok"), QStringLiteral("bad"), QStringLiteral("not checked")};
    default:
        break;
    }

    // Kinds and parameters: every kind the codec reads from the wire.
    QStringList texts;
    if (column == Kind)
        texts << QStringLiteral("Malformed: too short") << QStringLiteral("Malformed: no lead code")
              << QStringLiteral("Universal switch acknowledgement") << QStringLiteral("Kind ") + number;
    else if (column == Parameters)
        texts << switchAckText(0, 0).replace(QLatin1Char('0'), digit);
    else
        return texts;
    for (int kind = 0; kind <= 255; ++kind) {
        const CommandKindFacts& facts = KindFacts(kind);
        if (column == Kind) {
            const QString name = ControlTypeName(m_files, kind);
            if (!name.isEmpty())
                texts << name;
            continue;
        }
        if (kind > 12)
            break; // no other kind has a datagram of its own
        const int widestSecond = facts.secondInByte ? 255 : 65535;
        QList<int> seconds{widestSecond};
        if (facts.lookup != ParameterLookup::None) {
            const LookupFacts& lookup = FactsOf(facts.lookup);
            for (const QString& name : lookup.names(m_lookups))
                seconds << lookup.valueOf(m_lookups, name);
        }
        for (int second : seconds) {
            DecodedCommand c;
            c.kind = quint8(kind);
            c.first = 255;
            c.second = quint16(second);
            c.third = facts.runningTime ? 65535 : 255;
            QString text = commandText(m_files, m_lookups, c);
            // Numbers at their widest; a name keeps its letters.
            if (second == widestSecond)
                text.replace(QRegularExpression(QStringLiteral("[0-9]")), QString(digit));
            texts << text;
        }
    }
    return texts;
}

QVariant BusMonitorLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return {};
    const BusMonitorEntry& e = entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(e, index.column());
    case ExportRole:
        if (index.column() == Time)
            return QDateTime::fromMSecsSinceEpoch(e.msecsSinceEpoch)
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        return cellText(e, index.column());
    case RawHexRole:
        return QString::fromLatin1(e.bytes.toHex(' ').toUpper());
    default:
        return {};
    }
}

QVariant BusMonitorLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const headings[ColumnCount] = {"Time",   "Direction",  "Peer", "Source",
                                                      "Target", "Operation",  "Kind", "Parameters",
                                                      "Size",   "Frame",      "CRC"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(headings[section]) : QVariant();
}

bool BusMonitorCriteria::accepts(const BusMonitorEntry& e) const
{
    if (direction && e.direction != *direction)
        return false;
    if (!subnet && !operationCode)
        return true;
    const std::optional<BusPacketHead> head = packetHead(e.bytes);
    if (!head)
        return false;
    if (subnet) {
        const bool source = head->sourceSubnet == *subnet && (!device || head->sourceDevice == *device);
        const bool target = head->targetSubnet == *subnet && (!device || head->targetDevice == *device);
        if (!source && !target)
            return false;
    }
    return !operationCode || head->operationCode == *operationCode;
}

bool BusMonitorCriteria::setAddress(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        subnet.reset();
        device.reset();
        return true;
    }
    const QStringList parts = t.split(QLatin1Char('/'));
    if (parts.size() > 2)
        return false;
    quint8 values[2] = {0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint v = parts[i].trimmed().toUInt(&ok, 10);
        if (!ok || v > 255)
            return false;
        values[i] = quint8(v);
    }
    subnet = values[0];
    if (parts.size() == 2)
        device = values[1];
    else
        device.reset();
    return true;
}

bool BusMonitorCriteria::setOperationCode(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty()) {
        operationCode.reset();
        return true;
    }
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.mid(2);
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    if (!ok || t.isEmpty() || v > 0xFFFF)
        return false;
    operationCode = quint16(v);
    return true;
}

BusMonitorFilter::BusMonitorFilter(BusMonitorLog& log, QObject* parent) : QSortFilterProxyModel(parent), m_log(log)
{
    setSourceModel(&log);
}

void BusMonitorFilter::setCriteria(const BusMonitorCriteria& criteria)
{
    m_criteria = criteria;
    invalidateFilter();
}

bool BusMonitorFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return m_criteria.accepts(m_log.entry(sourceRow));
}

bool ExportBusMonitorCsv(const QAbstractItemModel& model, const QString& path, QString* error)
{
    // QSaveFile writes a temporary file beside the path and renames it over
    // the path on commit; until then the old file stays untouched.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const int columns = model.columnCount();
    QStringList line;
    for (int c = 0; c < columns; ++c)
        line << csvField(model.headerData(c, Qt::Horizontal).toString());
    line << QStringLiteral("Bytes");
    file.write(line.join(QLatin1Char(',')).toUtf8() + '\n');
    for (int r = 0; r < model.rowCount(); ++r) {
        line.clear();
        for (int c = 0; c < columns; ++c)
            line << csvField(model.data(model.index(r, c), BusMonitorLog::ExportRole).toString());
        line << model.data(model.index(r, 0), BusMonitorLog::RawHexRole).toString();
        file.write(line.join(QLatin1Char(',')).toUtf8() + '\n');
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
