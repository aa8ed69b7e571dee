#pragma once

#include "showswitchtarget.h"

#include <QStringList>

// Stands in for the program session on the bus's side: holds the show list
// a switch command is matched against and records what was asked ("on N",
// "off").
class RecordingSwitchTarget : public ShowSwitchTarget {
public:
    const QVector<TShow>& shows() const override { return list; }
    void switchShowOn(int index) override { calls << QStringLiteral("on %1").arg(index); }
    void switchShowOff() override { calls << QStringLiteral("off"); }

    // A show with its switch, active or not.
    static TShow show(int id, bool active, int switchNo)
    {
        TShow s;
        s.ShowID = id;
        s.ActivedUniversalSwitch = active ? 1 : 0;
        s.UniversalSwitchID = quint8(switchNo);
        return s;
    }

    QVector<TShow> list;
    QStringList calls;
};
