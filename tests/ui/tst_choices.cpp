#include "choices.h"
#include "lookups.h"
#include "scriptedmessages.h"

#include <QComboBox>
#include <QtTest>

// Choice lists on combo boxes over the lookup lists.
class TestChoices : public QObject {
    Q_OBJECT
private Q_SLOTS:

    void fillsKeepListOrderAndReplaceOldItems()
    {
        LookupLists lookups;
        lookups.UniversalSwitchStatusList = {{0, QStringLiteral("Off")}, {1, QStringLiteral("On")},
                                             {2, QStringLiteral("On")}, {1, QStringLiteral("Again")}};
        QComboBox box;
        box.addItem(QStringLiteral("stale"));
        FillUniversalSwitchStatusChoices(lookups, &box);
        QCOMPARE(box.count(), 4);
        QCOMPARE(box.itemText(0), QStringLiteral("Off"));
        QCOMPARE(box.itemText(3), QStringLiteral("Again"));

        lookups.SecurityAlarmTypeList = {{1, QStringLiteral("Gas leak"), 258}};
        FillSecurityAlarmChoices(lookups, &box);
        QCOMPARE(box.count(), 1);
        QCOMPARE(box.itemText(0), QStringLiteral("Gas leak"));
        FillCurtainStatusChoices(lookups, nullptr); // no box: nothing happens
    }

    void comboIndexMatchesTrimmedItemExactly()
    {
        ScriptedMessages boxes;
        QComboBox box;
        box.addItems({QStringLiteral("Off"), QStringLiteral(" On "), QStringLiteral("On")});
        QCOMPARE(GetItemIndexIncboCtrl(&box, QStringLiteral("On"), boxes), 1);
        QCOMPARE(GetItemIndexIncboCtrl(&box, QStringLiteral("off"), boxes), -1);
        QCOMPARE(GetItemIndexIncboCtrl(&box, QStringLiteral("Gone"), boxes), -1);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(GetItemIndexIncboCtrl(nullptr, QStringLiteral("On"), boxes), -1);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.endsWith(QStringLiteral("(GetItemIndexIncboCtrl)")));
    }

};

QTEST_MAIN(TestChoices)
#include "tst_choices.moc"
