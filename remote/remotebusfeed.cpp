#include "remotebusfeed.h"

#include "buslink.h"

RemoteBusFeed::RemoteBusFeed(BusLink& link, const SettingsFiles& files, const LookupLists& lookups, QObject* parent)
    : QObject(parent), m_link(link), m_log(files, lookups, Capacity)
{
    connect(&m_log, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row)
            Q_EMIT datagram(describe(m_log, row));
    });
    m_link.addObserver(&m_log);
}

RemoteBusFeed::~RemoteBusFeed()
{
    m_link.removeObserver(&m_log);
}

QJsonObject RemoteBusFeed::describe(const BusMonitorLog& log, int row)
{
    const BusMonitorEntry& entry = log.entry(row);
    static const struct {
        const char* key;
        int column;
    } cells[] = {{"time", BusMonitorLog::Time},           {"direction", BusMonitorLog::Direction},
                 {"peer", BusMonitorLog::Peer},           {"source", BusMonitorLog::Source},
                 {"target", BusMonitorLog::Target},       {"operation", BusMonitorLog::Operation},
                 {"kind", BusMonitorLog::Kind},           {"parameters", BusMonitorLog::Parameters},
                 {"frame", BusMonitorLog::Frame},         {"crc", BusMonitorLog::Crc}};
    QJsonObject out{{QStringLiteral("type"), QStringLiteral("datagram")},
                    {QStringLiteral("size"), entry.size},
                    {QStringLiteral("bytes"), QString::fromLatin1(entry.bytes.toHex())}};
    for (const auto& cell : cells)
        out.insert(QLatin1String(cell.key), log.cellText(entry, cell.column));
    return out;
}
