#pragma once

#include "busmonitorlog.h"

#include <QJsonObject>
#include <QObject>

class BusLink;

// The bus monitor's view of the datagrams for remote clients: while it is
// made it watches the bus link through a small monitor log of its own (the
// same copying, flood limits and decoding as the monitor window) and tells
// each datagram as the monitor would list it.
class RemoteBusFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 500;

    RemoteBusFeed(BusLink& link, const SettingsFiles& files, const LookupLists& lookups, QObject* parent = nullptr);
    ~RemoteBusFeed() override;

    // {"type":"datagram","time":..,"direction":..,"peer":..,"source":..,
    //  "target":..,"operation":..,"kind":..,"parameters":..,"size":..,
    //  "frame":..,"crc":..,"bytes":"hex"} of the log's row.
    static QJsonObject describe(const BusMonitorLog& log, int row);

    BusMonitorLog& log() { return m_log; }

Q_SIGNALS:
    void datagram(const QJsonObject& event);

private:
    BusLink& m_link;
    BusMonitorLog m_log;
};
