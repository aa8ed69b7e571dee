#pragma once

#include "busdispatch.h"
#include "busobserver.h"
#include "commandcodec.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QSortFilterProxyModel>
#include <QString>
#include <QTimer>

#include <optional>
#include <vector>

struct LookupLists;
struct SettingsFiles;

// The bus monitor's record of datagrams, without widgets: what one datagram
// says, a bounded log of the latest ones as a table model, a filter over it
// and the CSV export.

// What a datagram says, read with the receiver's own frame checks.
struct BusDatagramFacts {
    BusFrameCheck check = BusFrameCheck::TooShort;
    bool tooLong = false;    // larger than the receive buffer; the receiver drops it
    bool hasHead = false;    // lead code and a whole packet head: the fields below hold
    BusPacketHead head;
    int packetLength = 0;    // bytes from the length byte to the end, as they came
    int declaredLength = 0;  // what the length byte (or the long form's two bytes) says
    int payloadOffset = 0;   // within the datagram
    int payloadLength = 0;
    std::optional<DecodedCommand> command;
    bool switchAck = false;  // a universal-switch acknowledgement (0xE01D)

    bool lengthMatches() const { return declaredLength == packetLength; }
};

// `bytes` are the datagram's bytes as they went or came; `size` its real
// size (larger when the receive buffer cut it).
BusDatagramFacts ReadBusDatagramFacts(const QByteArray& bytes, int size);

struct BusMonitorEntry {
    qint64 msecsSinceEpoch = 0;
    BusDirection direction = BusDirection::Sent;
    quint32 peer = 0;
    quint16 port = 0;
    int size = 0;
    QByteArray bytes;

    // What the bytes say, read the first time the row is shown, filtered or
    // exported; a flood of rows nobody looks at is never decoded.
    const BusDatagramFacts& facts() const;

private:
    friend class BusMonitorLog;
    mutable std::optional<BusDatagramFacts> m_facts;
};

// The latest datagrams, at most `capacity` of them, oldest first.
//
// The bus monitor must never cost the receiver, so the observer call only
// copies the datagram into a staging buffer allocated once: no decoding, no
// allocation, no model signal. Every flush interval the staged datagrams
// enter the table in one batch (one removal of the oldest rows, one
// insertion). The staging buffer holds at most maxRowsPerFlush datagrams
// (fewer while flushes take longer than FlushBudgetMs, and fewer bytes than
// StagingBytes); what does not fit is skipped for the monitor and counted,
// while the receiver goes on as if no monitor were open. The Sent and
// Received counters see every datagram all the same.
class BusMonitorLog : public QAbstractTableModel, public BusObserver {
    Q_OBJECT
public:
    enum Column { Time, Direction, Peer, Source, Target, Operation, Kind, Parameters, Size, Frame, Crc, ColumnCount };
    static constexpr int DefaultCapacity = 10000;
    static constexpr int DefaultFlushMs = 100;
    static constexpr int DefaultMaxRowsPerFlush = 1000;
    // A flush that takes longer than this halves the rows taken per interval
    // until flushes are quick again.
    static constexpr int FlushBudgetMs = 4;
    static constexpr int StagingBytes = 256 * 1024;
    // The datagram's bytes in hex, pairs separated by spaces.
    static constexpr int RawHexRole = Qt::UserRole + 1;
    // The cell as exported: the time with its date, the rest as shown.
    static constexpr int ExportRole = Qt::UserRole + 2;

    // Kind names and parameter descriptions come from the language file of
    // the settings files, parameter names from the lookup lists.
    BusMonitorLog(const SettingsFiles& files, const LookupLists& lookups, int capacity = DefaultCapacity,
                  QObject* parent = nullptr);

    void busDatagram(BusDirection direction, const quint8* bytes, int count, int size, quint32 peer,
                     quint16 port) override;

    // Moves the staged datagrams into the table now.
    void flush();
    void setFlushInterval(int ms) { m_flushTimer.setInterval(ms); }
    // At most this many datagrams (and never more than the capacity) enter
    // the table per flush.
    void setMaxRowsPerFlush(int rows);
    int maxRowsPerFlush() const { return m_maxStaged; }

    // While paused nothing new enters the table; the counters go on.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Empties the table, the staging buffer and the counters.
    void clear();

    int capacity() const { return m_capacity; }
    // Datagrams staged for the next flush.
    int waiting() const { return int(m_staged.size()); }
    // Datagrams seen in each direction since the start or the last clear.
    quint64 seen(BusDirection direction) const;
    // Datagrams seen (while not paused) that never entered the table because
    // the monitor could not keep up.
    quint64 skipped() const { return m_skipped; }
    const BusMonitorEntry& entry(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a cell, as shown (Time without the date).
    QString cellText(const BusMonitorEntry& entry, int column) const;
    // The widest texts a column can show whatever comes: the longest
    // address and port, every kind name of the language file, every
    // parameter a known kind can carry (lookup names and the largest
    // numbers). Numbers are written with `digit` in every place, so the
    // widest digit of a font gives the widest number.
    QStringList widestTexts(int column, QChar digit = QLatin1Char('8')) const;

Q_SIGNALS:
    // After every flush and clear.
    void countersChanged();

private:
    // A datagram waiting for the next flush; its bytes are in m_stagedBytes.
    struct Staged {
        qint64 msecsSinceEpoch;
        quint32 peer;
        quint16 port;
        BusDirection direction;
        int size;
        int offset;
        int count;
    };

    const SettingsFiles& m_files;
    const LookupLists& m_lookups;
    int m_capacity;
    std::vector<BusMonitorEntry> m_ring;
    int m_head = 0;
    int m_count = 0;
    std::vector<Staged> m_staged;
    std::vector<quint8> m_stagedBytes;
    int m_maxStaged;
    int m_stageAllowance; // below m_maxStaged while flushes are slow
    quint64 m_sent = 0;
    quint64 m_received = 0;
    quint64 m_skipped = 0;
    bool m_paused = false;
    bool m_flushScheduled = false;
    QTimer m_flushTimer;
};

// Which rows of a BusMonitorLog are shown.
struct BusMonitorCriteria {
    std::optional<BusDirection> direction;
    // Source or target; a subnet alone matches any of its devices.
    std::optional<quint8> subnet;
    std::optional<quint8> device;
    std::optional<quint16> operationCode;

    bool accepts(const BusMonitorEntry& entry) const;
    // "subnet" or "subnet/device" in decimal; empty text clears. False (and
    // nothing changed) for anything else.
    bool setAddress(const QString& text);
    // Hexadecimal, with or without 0x; empty text clears.
    bool setOperationCode(const QString& text);
};

class BusMonitorFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit BusMonitorFilter(BusMonitorLog& log, QObject* parent = nullptr);
    const BusMonitorCriteria& criteria() const { return m_criteria; }
    void setCriteria(const BusMonitorCriteria& criteria);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    BusMonitorLog& m_log;
    BusMonitorCriteria m_criteria;
};

// Writes the model's rows as CSV (a heading row, then one row per datagram
// with its bytes in hex in a last column) to a temporary file beside the
// path and renames it over the path only when all was written; a failure
// leaves any earlier file as it was. The error text says why it failed.
bool ExportBusMonitorCsv(const QAbstractItemModel& model, const QString& path, QString* error = nullptr);
