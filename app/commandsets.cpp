#include "commandsets.h"

#include "commandlist.h"
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
    if (!OpenRows(DbQuery::Command, SqlSelectCommandSet(table)))
        return commands;
    QSqlQuery& rows = QueryObject(DbQuery::Command);
    while (rows.next())
        commands.append(ReadCommandRow(rows));
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
    CommandSequencer::Done done;
    if (newState == MediaPlayer::Playing) {
        // The video fills the screen once the play set has gone out, as
        // the devices expect it; an empty or unreadable set is done at once.
        done = [&player] {
            if (!mPublicVariable().ClosingFlag && !player.fullScreen())
                player.setFullScreen(true);
        };
    }
    SendCommandSet(sequencer, newState, std::move(done));
}
