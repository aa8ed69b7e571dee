#pragma once

#include "commandsequencer.h"
#include "records.h"

#include <QString>
#include <QVector>

#include <optional>

class MediaPlayer;

// The show-independent command sets sent when the program's player
// stops (state 1: CommandsForStop), pauses (2: CommandsForPause) or starts
// playing (3: CommandsForPlay). They are read from the database at every
// change, so edits take effect at the next one.

// The set sent on a play state (its table is CommandTableName of it), or
// none for a state without one.
std::optional<CommandSetCode> CommandSetOfPlayState(int playState);

// The state's set in SequenceNo order, read afresh. A read error ends the
// list there: the commands read before it are returned.
QVector<TControlObject> ReadCommandSet(int playState);

// Reads the state's set and hands it to the sequencer. The play and pause sets belong
// to the show (a stop drops what is left of them), the stop set does not. A
// play set that holds the show back 10 s or more is logged ("play set
// delays the show by N s"). False (nothing queued) for a state without a
// set.
bool SendCommandSet(CommandSequencer& sequencer, int playState, CommandSequencer::Done done = {});

// The player reported a new state: send the state's set. On Stopped, first drop what the show still had queued, so the
// stop set leaves at once. On Playing also switch the player to full screen,
// if it is not already, once the whole set has gone out (at once when the
// set is empty or cannot be read). The player must outlive the sequencer's
// lists.
void HandlePlayStateChange(MediaPlayer& player, CommandSequencer& sequencer, int newState);
