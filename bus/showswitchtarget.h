#pragma once

#include "records.h"

#include <QVector>

// What a universal-switch command from the bus does: switch the show at a
// position of the show list on, or the playing show off. The program
// session carries it out; tests use a fake.
class ShowSwitchTarget {
public:
    virtual ~ShowSwitchTarget() = default;
    // The show list, in its order: the first active show carrying a
    // command's switch number is the one it means.
    virtual const QVector<TShow>& shows() const = 0;
    // The show plays: chosen (loaded) first when it is not the current one,
    // resumed when it is.
    virtual void switchShowOn(int index) = 0;
    // The player stops.
    virtual void switchShowOff() = 0;
};
