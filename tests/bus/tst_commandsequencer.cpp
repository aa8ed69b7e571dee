#include "commandsequencer.h"
#include "manualpacingtimer.h"

#include <QtTest>

namespace {
TControlObject command(quint8 device, qint32 delayMS, quint8 kind = 4)
{
    TControlObject c;
    c.SubnetID = 1;
    c.DeviceID = device;
    c.CommandTypeID = kind;
    c.FirstParameter = 5;
    c.SecondParameter = 100;
    c.ThirdParameter = 3;
    c.DelayMS = delayMS;
    return c;
}

struct Sent {
    quint8 device;
    qint64 at;
};
} // namespace

class TestCommandSequencer : public QObject {
    Q_OBJECT

    ManualPacingTimer* timer = nullptr;
    std::unique_ptr<CommandSequencer> sequencer;
    QVector<Sent> sent;

private Q_SLOTS:
    void init()
    {
        sent.clear();
        auto owned = std::make_unique<ManualPacingTimer>();
        timer = owned.get();
        sequencer = std::make_unique<CommandSequencer>(
            [this](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second, quint16 third) {
                QCOMPARE(subnet, quint8(1));
                QCOMPARE(kind, quint8(4));
                QCOMPARE(first, quint16(5));
                QCOMPARE(second, quint16(100));
                QCOMPARE(third, quint16(3));
                sent.append({device, timer->now()});
            },
            std::move(owned));
    }
    void cleanup() { sequencer.reset(); }

    void sendsInOrderWithEachCommandsGapAndHoldsTheLastGap()
    {
        bool done = false;
        sequencer->enqueue({command(10, 0), command(11, 500), command(12, -5)}, {}, [&] { done = true; });
        // The first command goes out at once; the next waits for the gap.
        QCOMPARE(sent.size(), 1);
        QVERIFY(sequencer->isBusy());
        timer->advance(49);
        QCOMPARE(sent.size(), 1);
        timer->advance(1);
        QCOMPARE(sent.size(), 2);
        timer->advance(499);
        QCOMPARE(sent.size(), 2);
        timer->advance(1);
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent[0].at, 0);
        QCOMPARE(sent[1].at, 50);
        QCOMPARE(sent[2].at, 550);
        QCOMPARE(sent[2].device, quint8(12));
        // The wait after the last command still belongs to the list.
        QVERIFY(sequencer->isBusy());
        QVERIFY(!done);
        timer->advance(50);
        QVERIFY(!sequencer->isBusy());
        QVERIFY(done);
        QCOMPARE(timer->requested, (QVector<int>{50, 500, 50}));
    }

    void delayBeyondTheEditorsRangeWaitsTheMaximum()
    {
        // A row typed into the database by hand must not hold back every
        // later command for weeks.
        sequencer->enqueue({command(10, 2147483647), command(11, 600001), command(12, 600000), command(13, 0)});
        timer->advance(600000);
        timer->advance(600000);
        timer->advance(600000);
        QCOMPARE(sent.size(), 4);
        QCOMPARE(sent[3].at, 1800000);
        QCOMPARE(timer->requested, (QVector<int>{600000, 600000, 600000, 50}));
    }

    void listsWaitTheirTurnInOrder()
    {
        QStringList finished;
        sequencer->enqueue({command(1, 100), command(2, 100)}, {}, [&] { finished << "A"; });
        sequencer->enqueue({command(3, 0)}, {}, [&] { finished << "B"; });
        sequencer->enqueue({}, {}, [&] { finished << "empty"; });
        sequencer->enqueue({command(4, 0)}, {}, [&] { finished << "C"; });
        QCOMPARE(sequencer->pendingLists(), 4);
        QCOMPARE(sent.size(), 1);
        timer->runOut();
        QCOMPARE(finished, (QStringList{"A", "B", "empty", "C"}));
        QCOMPARE(sent.size(), 4);
        QCOMPARE(sent[2].device, quint8(3));
        QCOMPARE(sent[2].at, 200); // B starts only after A's last gap
        QCOMPARE(sent[3].at, 250); // the empty list took no time
        QCOMPARE(timer->now(), 300);
    }

    void emptyListOnAnIdleSequencerCompletesAtOnce()
    {
        bool done = false;
        sequencer->enqueue({}, {}, [&] { done = true; });
        QVERIFY(done);
        QVERIFY(!sequencer->isBusy());
        QVERIFY(!timer->pending());
    }

    void stopDropsEverythingWithoutCallingBack()
    {
        int doneCalls = 0;
        sequencer->enqueue({command(1, 0), command(2, 0)}, {}, [&] { ++doneCalls; });
        sequencer->enqueue({command(3, 0)}, {}, [&] { ++doneCalls; });
        sequencer->stop();
        QVERIFY(!sequencer->isBusy());
        QVERIFY(!timer->pending());
        timer->advance(1000);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(doneCalls, 0);
        // It stays usable afterwards.
        sequencer->enqueue({command(9, 0)});
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[1].device, quint8(9));
    }

    void aStoppedShowsListsAreDroppedAndTheRestKeepTheirTurn()
    {
        using Owner = CommandSequencer::Owner;
        bool showDone = false;
        sequencer->enqueue({command(10, 1000), command(11, 0)}, {}, [&] { showDone = true; }, Owner::Show);
        sequencer->enqueue({command(20, 0)}); // a preview
        for (int i = 0; i < 2000; ++i)
            sequencer->enqueue({command(30, 0)}, {}, {}, Owner::Show);
        timer->advance(10); // 10 is on the wire, its 1000 ms wait running

        QCOMPARE(sequencer->dropShowLists(), 1 + 2000);
        sequencer->enqueue({command(40, 0)}); // the stop set
        timer->runOut();
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent[1].device, quint8(20));
        QCOMPARE(sent[1].at, 60); // the wait cut to the shortest gap from the drop
        QCOMPARE(sent[2].device, quint8(40));
        QCOMPARE(sent[2].at, 110);
        QVERIFY(!showDone);
        QCOMPARE(sequencer->dropShowLists(), 0);
    }

    void stopCheckCutsTheListShortBetweenCommands()
    {
        bool closing = false;
        bool done = false;
        sequencer->enqueue({command(1, 0), command(2, 0), command(3, 0)}, [&] { return closing; },
                           [&] { done = true; });
        sequencer->enqueue({command(7, 0)});
        timer->advance(50);
        QCOMPARE(sent.size(), 2);
        closing = true;
        timer->advance(50);
        QCOMPARE(sent.size(), 3); // the list was dropped; the next list went out
        QCOMPARE(sent[2].device, quint8(7));
        QVERIFY(done);
    }

    void reentrantCallsFromCallbacks()
    {
        // A done callback may queue the next list, which starts at once.
        sequencer->enqueue({command(1, 0)}, {}, [&] { sequencer->enqueue({command(2, 0)}); });
        timer->advance(50);
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[1].at, 50);
        timer->runOut();
        QVERIFY(!sequencer->isBusy());

        // Stopping from inside a send leaves nothing running.
        sent.clear();
        auto owned = std::make_unique<ManualPacingTimer>();
        ManualPacingTimer* own = owned.get();
        CommandSequencer* self = nullptr;
        int sends = 0;
        CommandSequencer stopping(
            [&](quint8, quint8, quint8, quint16, quint16, quint16) {
                ++sends;
                self->stop();
            },
            std::move(owned));
        self = &stopping;
        stopping.enqueue({command(1, 0), command(2, 0)});
        QCOMPARE(sends, 1);
        QVERIFY(!stopping.isBusy());
        QVERIFY(!own->pending());
    }
};

QTEST_MAIN(TestCommandSequencer)
#include "tst_commandsequencer.moc"
