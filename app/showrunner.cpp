#include "showrunner.h"

#include "commandsequencer.h"
#include "database.h"
#include "inifile.h"
#include "mediaplayer.h"
#include "publicvariable.h"
#include "sqltext.h"

#include <QSqlError>

#include <cmath>

namespace {
int indexOfShow(int showId)
{
    const auto& shows = mPublicVariable().ShowList;
    for (int i = 0; i < shows.size(); ++i) {
        if (shows.at(i).ShowID == showId)
            return i;
    }
    return -1;
}

QString mediaPathOf(int showId)
{
    const auto& ini = mPublicVariable().ShowIni;
    return ini ? ini->read(QString::number(showId), QStringLiteral("URL")) : QString();
}

TControlObject readCommand(const QSqlQuery& query)
{
    TControlObject c;
    c.CommandID = FieldInt(query, QStringLiteral("CommandID"));
    c.SequenceNo = FieldInt(query, QStringLiteral("SequenceNo"));
    c.Remark = FieldText(query, QStringLiteral("Remark"));
    c.SubnetID = quint8(FieldInt(query, QStringLiteral("SubnetID")));
    c.DeviceID = quint8(FieldInt(query, QStringLiteral("DeviceID")));
    c.CommandTypeID = quint8(FieldInt(query, QStringLiteral("CommandTypeID")));
    c.FirstParameter = quint16(FieldInt(query, QStringLiteral("FirstParameter")));
    c.SecondParameter = quint16(FieldInt(query, QStringLiteral("SecondParameter")));
    c.ThirdParameter = quint16(FieldInt(query, QStringLiteral("ThirdParameter")));
    c.DelayMS = FieldInt(query, QStringLiteral("DelayMS"));
    return c;
}
} // namespace

bool LoadShow(int showId)
{
    const int index = indexOfShow(showId);
    if (index < 0)
        return false;
    QVector<TTimePoint>& timePoints = mPublicVariable().ShowList[index].TimePoints;
    timePoints.clear();

    if (!OpenRows(DbQuery::General, SqlSelectTimePointsForPlaying(showId)))
        return false;

    // The time points stay open on the general query while each one's
    // commands are read on the nested one.
    QSqlQuery& pointRows = QueryObject(DbQuery::General);
    bool ok = true;
    while (ok && pointRows.next()) {
        TTimePoint point;
        point.TimePointID = FieldInt(pointRows, QStringLiteral("TimePointID"));
        point.SecondOfTimePoint = FieldInt(pointRows, QStringLiteral("SecondOfTimePoint"));
        point.Remark = FieldText(pointRows, QStringLiteral("Remark"));

        ok = OpenRows(DbQuery::Nested, SqlSelectTimePointCommandsForPlaying(showId, point.TimePointID));
        if (ok) {
            QSqlQuery& commandRows = QueryObject(DbQuery::Nested);
            while (commandRows.next())
                point.Commands.append(readCommand(commandRows));
            ok = !commandRows.lastError().isValid();
            commandRows.finish();
        }
        timePoints.append(std::move(point));
    }
    if (ok && pointRows.lastError().isValid())
        ok = false;
    pointRows.finish();
    return ok;
}

QVector<TControlObject> CommandsDueAt(const TShow& show, qint64 second)
{
    QVector<TControlObject> due;
    for (const TTimePoint& point : show.TimePoints) {
        if (point.SecondOfTimePoint != second)
            continue;
        if (point.Commands.isEmpty())
            break;
        due += point.Commands;
    }
    return due;
}

ShowRunner::ShowRunner(MediaPlayer& player, CommandSequencer& sequencer) : m_player(player), m_sequencer(sequencer)
{
}

void ShowRunner::chooseShow(const QString& showIdText)
{
    bool numeric = false;
    const int showId = showIdText.trimmed().toInt(&numeric);
    if (!numeric)
        return;

    PublicVariables& pv = mPublicVariable();
    const int index = indexOfShow(showId);
    if (index >= 0)
        pv.CurrentShowIndex = index;

    const QString path = mediaPathOf(showId);
    if (m_player.url() != path) {
        LoadShow(showId);
        m_player.setUrl(path);
        m_player.play();
        pv.CurrentShowID = showId;
        return;
    }
    // The same media: another show sharing the file must still bring its own
    // time points, or the runner would fire the previous show's commands.
    if (showId != pv.CurrentShowID) {
        LoadShow(showId);
        pv.CurrentShowID = showId;
    }
    if (!m_player.url().isEmpty() && m_player.playState() != MediaPlayer::Playing)
        m_player.play();
}

void ShowRunner::tick()
{
    const PublicVariables& pv = mPublicVariable();
    if (pv.ClosingFlag || m_player.playState() != MediaPlayer::Playing)
        return;
    if (m_sequencer.isBusy())
        return;
    if (pv.CurrentShowIndex < 0 || pv.CurrentShowIndex >= pv.ShowList.size())
        return;

    const double position = m_player.currentPosition();
    if (!std::isfinite(position))
        return;
    const TShow& show = pv.ShowList.at(pv.CurrentShowIndex);
    if (show.TimePoints.isEmpty())
        return;

    QVector<TControlObject> due = CommandsDueAt(show, qint64(std::trunc(position)));
    if (!due.isEmpty())
        m_sequencer.enqueue(std::move(due));
}
