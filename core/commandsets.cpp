#include "commandsets.h"

#include "commandlist.h"
#include "showstore.h"
#include "mediaplayer.h"

#include <QDebug>

namespace {

// A play set that holds the show back this long is worth a word in the log.
constexpr qint64 LongPlaySetMS = 10000;

// How long a list occupies the sequencer: each command's gap added up.
qint64 listDurationMS(const QVector<TControlObject>& commands)
{
    qint64 total = 0;
    for (const TControlObject& c : commands)
        total += CommandSequencer::gapAfter(c.DelayMS);
    return total;
}

} // namespace

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
    const auto set = CommandSetOfPlayState(playState);
    if (!set)
        return {};
    // A set that broke off sends the commands read before it.
    return CommandsOf(ShowStore::ReadCommandList(ShowStore::CommandTarget::set(*set)).rows);
}

bool SendCommandSet(CommandSequencer& sequencer, int playState, CommandSequencer::Done done)
{
    if (!CommandSetOfPlayState(playState))
        return false;
    QVector<TControlObject> commands = ReadCommandSet(playState);
    if (playState == MediaPlayer::Playing) {
        // Time points wait behind the play set; a long one is worth a word.
        const qint64 holdMS = listDurationMS(commands);
        if (holdMS >= LongPlaySetMS)
            qWarning().noquote() << QStringLiteral("play set delays the show by %1 s").arg(holdMS / 1000.0);
    }
    // The stop set goes out whatever happens to the show; the play and pause
    // sets end with it.
    const auto owner = playState == MediaPlayer::Stopped ? CommandSequencer::Owner::Other
                                                         : CommandSequencer::Owner::Show;
    sequencer.enqueue(std::move(commands), {}, std::move(done), owner);
    return true;
}

void HandlePlayStateChange(MediaPlayer& player, CommandSequencer& sequencer, int newState)
{
    if (!CommandSetOfPlayState(newState))
        return;
    CommandSequencer::Done done;
    if (newState == MediaPlayer::Stopped) {
        // The bus goes quiet at once: what the show still had queued is
        // dropped, and the stop set follows the datagram on the wire.
        sequencer.dropShowLists();
    } else if (newState == MediaPlayer::Playing) {
        // The video fills the screen once the play set has gone out, as
        // the devices expect it; an empty or unreadable set is done at once.
        done = [&player] {
            if (!player.fullScreen())
                player.setFullScreen(true);
        };
    }
    SendCommandSet(sequencer, newState, std::move(done));
}
