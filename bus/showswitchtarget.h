#pragma once

// What the bus receiver needs of the main window to start and stop shows on
// universal-switch commands. The main window implements it; tests use a fake.
class ShowSwitchTarget {
public:
    virtual ~ShowSwitchTarget() = default;
    virtual void selectShowRow(int index) = 0; // selecting the row chooses (loads and starts) that show
    virtual void playPlayer() = 0;
    virtual void stopPlayer() = 0;
};
