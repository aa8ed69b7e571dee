#pragma once

#include "snapshotrequester.h"

#include <QStringList>

#include <functional>

// Records each snapshot asked for, as what `state` tells at that moment
// (the rows a change is about to touch), so that a test sees it was asked
// before the change.
class RecordingSnapshots : public SnapshotRequester {
public:
    explicit RecordingSnapshots(std::function<QString()> state) : m_state(std::move(state)) {}
    void snapshotBeforeChange() override { asked << m_state(); }

    QStringList asked;

private:
    std::function<QString()> m_state;
};
