#include "commandrows.h"

#include "database.h"

#include <QSqlError>
#include <QVariant>

namespace {

// As FieldInt: an empty column is 0, a number is taken as it is, anything
// else as the number its trimmed text spells (0 when none).
int intAt(const QSqlQuery& row, int index)
{
    return index < 0 ? 0 : IntOfField(row.value(index));
}

QString textAt(const QSqlQuery& row, int index)
{
    if (index < 0)
        return QString();
    const QVariant value = row.value(index);
    return value.isNull() ? QString() : value.toString();
}

} // namespace

// QSqlRecord::indexOf matches names without regard to letter case, so
// "SubNetID" finds SubnetID.
CommandRowReader::CommandRowReader(const QSqlRecord& columns) :
    m_commandId(columns.indexOf(QStringLiteral("CommandID"))),
    m_sequenceNo(columns.indexOf(QStringLiteral("SequenceNo"))),
    m_remark(columns.indexOf(QStringLiteral("Remark"))),
    m_subnetId(columns.indexOf(QStringLiteral("SubnetID"))),
    m_deviceId(columns.indexOf(QStringLiteral("DeviceID"))),
    m_commandTypeId(columns.indexOf(QStringLiteral("CommandTypeID"))),
    m_first(columns.indexOf(QStringLiteral("FirstParameter"))),
    m_second(columns.indexOf(QStringLiteral("SecondParameter"))),
    m_third(columns.indexOf(QStringLiteral("ThirdParameter"))),
    m_delay(columns.indexOf(QStringLiteral("DelayMS")))
{
}

TControlObject CommandRowReader::read(const QSqlQuery& q) const
{
    TControlObject c;
    c.CommandID = intAt(q, m_commandId);
    c.SequenceNo = intAt(q, m_sequenceNo);
    c.Remark = textAt(q, m_remark);
    c.SubnetID = static_cast<quint8>(intAt(q, m_subnetId));
    c.DeviceID = static_cast<quint8>(intAt(q, m_deviceId));
    c.CommandTypeID = static_cast<quint8>(intAt(q, m_commandTypeId));
    c.FirstParameter = static_cast<quint16>(intAt(q, m_first));
    c.SecondParameter = static_cast<quint16>(intAt(q, m_second));
    c.ThirdParameter = static_cast<quint16>(intAt(q, m_third));
    c.DelayMS = intAt(q, m_delay);
    return c;
}

bool CommandRowReader::delayIsEmpty(const QSqlQuery& q) const
{
    return textAt(q, m_delay).trimmed().isEmpty();
}

TControlObject ReadCommandRow(const QSqlQuery& row)
{
    return CommandRowReader(row.record()).read(row);
}

bool ReadCommandRows(QSqlQuery& rows, QVector<TControlObject>* commands)
{
    const CommandRowReader reader(rows.record());
    while (rows.next())
        commands->append(reader.read(rows));
    const bool ok = !rows.lastError().isValid();
    rows.finish();
    return ok;
}
