#pragma once

#include "commandsequencer.h"

#include <QVector>

// A pacing timer that only moves when the test moves it. It keeps its own
// clock in milliseconds, so a test can note when each command went out.
class ManualPacingTimer : public PacingTimer {
public:
    void start(int ms, std::function<void()> onTimeout) override
    {
        requested.append(ms);
        m_remaining = ms;
        m_onTimeout = std::move(onTimeout);
        m_pending = true;
    }
    void cancel() override
    {
        m_pending = false;
        m_onTimeout = nullptr;
    }

    bool pending() const { return m_pending; }
    int remaining() const { return m_pending ? m_remaining : 0; }
    qint64 now() const { return m_now; }

    // Moves the clock on by ms, firing every call that falls due on the way
    // (a fired call may start the timer again).
    void advance(int ms)
    {
        while (m_pending && ms >= m_remaining) {
            ms -= m_remaining;
            m_now += m_remaining;
            m_pending = false;
            auto call = std::move(m_onTimeout);
            m_onTimeout = nullptr;
            call();
        }
        if (m_pending)
            m_remaining -= ms;
        m_now += ms;
    }

    // Runs every pending call until the timer stays idle.
    void runOut()
    {
        while (m_pending)
            advance(m_remaining);
    }

    QVector<int> requested; // every wait asked for, in order

private:
    bool m_pending = false;
    int m_remaining = 0;
    qint64 m_now = 0;
    std::function<void()> m_onTimeout;
};
