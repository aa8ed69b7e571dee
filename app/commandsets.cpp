#include "commandsets.h"

#include "database.h"
#include "mediaplayer.h"
#include "publicvariable.h"
#include "sqltext.h"

QString CommandSetTable(int playState)
{
    switch (playState) {
    case MediaPlayer::Stopped:
        return QStringLiteral("CommandsForStop");
    case MediaPlayer::Paused:
        return QStringLiteral("CommandsForPause");
    case MediaPlayer::Playing:
        return QStringLiteral("CommandsForPlay");
    default:
        return QString();
    }
}

QVector<TControlObject> ReadCommandSet(int playState)
{
    QVector<TControlObject> commands;
    const QString table = CommandSetTable(playState);
    if (table.isEmpty())
        return commands;
    if (!OpenRows(DbQuery::General, SqlSelectCommandSet(table)))
        return commands;
    QSqlQuery& rows = QueryObject(DbQuery::General);
    while (rows.next()) {
        TControlObject c;
        c.CommandID = FieldInt(rows, QStringLiteral("CommandID"));
        c.SequenceNo = FieldInt(rows, QStringLiteral("SequenceNo"));
        c.FirstParameter = quint16(FieldInt(rows, QStringLiteral("FirstParameter")));
        c.SecondParameter = quint16(FieldInt(rows, QStringLiteral("SecondParameter")));
        c.ThirdParameter = quint16(FieldInt(rows, QStringLiteral("ThirdParameter")));
        c.CommandTypeID = quint8(FieldInt(rows, QStringLiteral("CommandTypeID")));
        c.DeviceID = quint8(FieldInt(rows, QStringLiteral("DeviceID")));
        c.SubnetID = quint8(FieldInt(rows, QStringLiteral("SubNetID")));
        c.DelayMS = FieldInt(rows, QStringLiteral("DelayMS"));
        commands.append(c);
    }
    rows.finish();
    return commands;
}

bool SendCommandSet(CommandSequencer& sequencer, int playState, CommandSequencer::Done done)
{
    if (CommandSetTable(playState).isEmpty())
        return false;
    sequencer.enqueue(ReadCommandSet(playState), [] { return mPublicVariable().ClosingFlag; }, std::move(done));
    return true;
}

void HandlePlayStateChange(MediaPlayer& player, CommandSequencer& sequencer, int newState)
{
    if (mPublicVariable().ClosingFlag || CommandSetTable(newState).isEmpty())
        return;
    SendCommandSet(sequencer, newState);
    if (newState == MediaPlayer::Playing && !player.fullScreen())
        player.setFullScreen(true);
}
