#include "database.h"
#include "showstore.h"
#include "edittimepointdialog.h"
#include "scriptedmessages.h"
#include "showdata.h"
#include "storedfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

int storedSecond(int timePointId)
{
    const auto point = ShowStore::ReadTimePoint(1, timePointId);
    return point && point->has_value() ? (*point)->SecondOfTimePoint : -1;
}

} // namespace

class TestEditTimePointDialog : public QObject, protected StoredDataFixture {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        QVERIFY(AddShow(1, 1));
        QVERIFY(AddTimePoint(1, 1, 3675));
        QVERIFY(AddTimePoint(1, 2, 40));
    }
    void cleanup()
    {
        closeStore();
    }

    void opensSplitAndSavesThroughTheControls()
    {
        EditTimePointDialog dialog(nullptr, *boxes, "1", "Finale", "1", "cue");
        dialog.show();
        auto* hour = dialog.findChild<QLineEdit*>(QStringLiteral("editHour"));
        auto* minute = dialog.findChild<QLineEdit*>(QStringLiteral("editMinute"));
        auto* second = dialog.findChild<QLineEdit*>(QStringLiteral("editSecond"));
        auto* remark = dialog.findChild<QLineEdit*>(QStringLiteral("editRemark"));
        QCOMPARE(QStringList({hour->text(), minute->text(), second->text(), remark->text()}),
                 QStringList({"1", "1", "15", "cue"}));
        remark->setText(QStringLiteral("Lights' \"cue\" Ωμέγα"));
        dialog.findChild<QPushButton*>(QStringLiteral("bitbtnSave"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(storedSecond(1), 3675); // unchanged fields write the same second
        QCOMPARE((*ShowStore::ReadTimePoint(1, 1))->Remark, QStringLiteral("Lights' \"cue\" Ωμέγα"));

        // Another time point's second is accepted; a missing one opens at 0.
        EditTimePointLogic logic(*boxes, "1", "Finale", "1", QString());
        logic.hour = logic.minute = QStringLiteral("0");
        logic.second = QStringLiteral("40");
        QVERIFY(logic.save());
        QCOMPARE(storedSecond(1), 40);
        EditTimePointLogic gone(*boxes, "1", "Finale", "9", QString());
        gone.load();
        QCOMPARE(QStringList({gone.hour, gone.minute, gone.second}), QStringList({"0", "0", "0"}));
    }

    void outOfRangeFieldsGiveBothMessages()
    {
        const QString notNumber = QStringLiteral("Date type is incorrect, only numbers!");
        const QList<std::pair<QStringList, QStringList>> cases {
            {{"11", "0", "0"}, {"Invalid number, scope is within 0-10", "Hour is invalid, it should be 0  to 10"}},
            {{"-1", "0", "0"}, {notNumber, "Hour is invalid, it should be 0  to 10"}},
            {{"1", "ten", "0"}, {notNumber, "Minute is invalid, it should be 0  to 59"}},
            {{"1", "59", "60"}, {"Invalid number, scope is within 0-59", "Second is invalid, it should be 0  to 59"}},
        };
        EditTimePointLogic logic(*boxes, "1", QString(), "2", QString());
        for (const auto& [fields, messages] : cases) {
            boxes->clear();
            logic.hour = fields[0];
            logic.minute = fields[1];
            logic.second = fields[2];
            QVERIFY(!logic.save());
            QCOMPARE(boxes->texts(), messages);
        }
        QCOMPARE(storedSecond(2), 40);
        logic.hour = QStringLiteral("10");
        logic.second = QStringLiteral("59");
        QVERIFY(logic.save());
        QCOMPARE(storedSecond(2), 10 * 3600 + 59 * 60 + 59);
    }

    void failedUpdateShowsTheReasonAndStaysOpen()
    {
        QVERIFY(RunSql(QStringLiteral("create trigger no before update on TimePoint "
                                      "begin select raise(abort, 'point locked'); end")));
        EditTimePointDialog dialog(nullptr, *boxes, "1", "Finale", "2", "cue");
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("editMinute"))->setText(QStringLiteral("5"));
        dialog.findChild<QPushButton*>(QStringLiteral("bitbtnSave"))->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown.first().kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes->shown.first().text.contains(QStringLiteral("point locked")));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("editMinute"))->text(), QStringLiteral("5"));
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(storedSecond(2), 40);
    }
};

QTEST_MAIN(TestEditTimePointDialog)
#include "tst_edittimepointdialog.moc"
