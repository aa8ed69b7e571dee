#pragma once

#include "records.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVector>

// Reads command rows (any statement over a command table, or a join that
// names the command columns as the tables do) into records. Bytes and words
// keep the low bits of what was stored; an empty column reads as 0.
//
// The column positions are looked up once, from the statement's record, so a
// long walk does not search the field names on every row.
class CommandRowReader {
public:
    explicit CommandRowReader(const QSqlRecord& columns);

    TControlObject read(const QSqlQuery& row) const;
    // Whether the row's DelayMS column is empty (shown as "0" in the lists).
    bool delayIsEmpty(const QSqlQuery& row) const;

private:
    int m_commandId, m_sequenceNo, m_remark, m_subnetId, m_deviceId, m_commandTypeId;
    int m_first, m_second, m_third, m_delay;
};

// One command row, read into the record.
TControlObject ReadCommandRow(const QSqlQuery& row);

// Walks every remaining row of an executed query into the list, then
// finishes the query. False when the walk ended on a read error: the list
// then holds the commands read before it.
bool ReadCommandRows(QSqlQuery& rows, QVector<TControlObject>* commands);
