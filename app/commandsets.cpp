#include "commandsets.h"

#include "commandrows.h"
#include "database.h"
#include "mediaplayer.h"
#include "publicvariable.h"
#include "sqltext.h"

std::optional<CommandSetCode> CommandSetOfPlayState(int playState)
{
    switch (playState) {
    case MediaPlayer::Stopped:
        return CommandsForStopSet;
    case MediaPlayer::Paused:
        return CommandsForPauseSet;
    case MediaPlayer::Playing:
        return CommandsForPlaySet;
    default:
        return std::nullopt;
    }
}

QVector<TControlObject> ReadCommandSet(int playState)
{
    QVector<TControlObject> commands;
    const auto set = CommandSetOfPlayState(playState);
    if (!set)
        return commands;
    if (!OpenRows(DbQuery::Command, SqlSelectCommandSet(CommandTableName(*set))))
        return commands;
    ReadCommandRows(QueryObject(DbQuery::Command), &commands);
    return commands;
}

bool SendCommandSet(CommandSequencer& sequencer, int playState, CommandSequencer::Done done)
{
    if (!CommandSetOfPlayState(playState))
        return false;
    sequencer.enqueue(ReadCommandSet(playState), [] { return mPublicVariable().ClosingFlag; }, std::move(done));
    return true;
}

void HandlePlayStateChange(MediaPlayer& player, CommandSequencer& sequencer, int newState)
{
    if (mPublicVariable().ClosingFlag || !CommandSetOfPlayState(newState))
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
