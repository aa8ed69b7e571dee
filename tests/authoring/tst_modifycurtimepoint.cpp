#include "database.h"
#include "editing.h"
#include "modifycurtimepoint.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "scriptedmessages.h"
#include "showdata.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

int storedSecond(int timePointId)
{
    const auto point = ShowEditing::ReadTimePoint(1, timePointId);
    return point && point->has_value() ? (*point)->SecondOfTimePoint : -1;
}

} // namespace

class TestModifyCurTimePoint : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;

private Q_SLOTS:
    void init()
    {
        ResetPublicVariables();
        boxes = std::make_unique<ScriptedMessages>();
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->openDatabase());
        QVERIFY(AddShow(1, 1));
        QVERIFY(AddTimePoint(1, 1, 3675));
        QVERIFY(AddTimePoint(1, 2, 40));
    }
    void cleanup()
    {
        folder.reset();
        boxes.reset();
        ResetPublicVariables();
    }

    void opensSplitAndSavesTheSameSecond()
    {
        ModifyCurTimePointLogic logic(QStringLiteral("1"), QStringLiteral("Finale"), QStringLiteral("1"),
                                      QStringLiteral("old"));
        logic.load();
        QCOMPARE(QStringList({logic.hour, logic.minute, logic.second}),
                 QStringList({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("15")}));
        QCOMPARE(logic.showName, QStringLiteral("Finale"));
        logic.remark = QStringLiteral("Lights' \"cue\" Ωμέγα");
        QVERIFY(logic.save());
        QVERIFY(boxes->texts().isEmpty());
        QVERIFY(mPublicVariable().DialogSaved);
        QCOMPARE(storedSecond(1), 3675);
        QCOMPARE((*ShowEditing::ReadTimePoint(1, 1))->Remark, QStringLiteral("Lights' \"cue\" Ωμέγα"));

        // Another time point's second is accepted; the remark is cut at 50.
        logic.hour = QStringLiteral("0");
        logic.minute = QStringLiteral("0");
        logic.second = QStringLiteral("40");
        logic.remark = QString(60, u'r');
        QVERIFY(logic.save());
        QCOMPARE(storedSecond(1), 40);
        QCOMPARE((*ShowEditing::ReadTimePoint(1, 1))->Remark.size(), 50);

        // A time point that is not there opens at 0:0:0.
        ModifyCurTimePointLogic gone(QStringLiteral("1"), QStringLiteral("Finale"), QStringLiteral("9"), QString());
        gone.load();
        QCOMPARE(QStringList({gone.hour, gone.minute, gone.second}),
                 QStringList({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
    }

    void fieldsOutOfRangeAreRefusedWithBothMessages_data()
    {
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("minute");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("messages");
        const QString notNumber = QStringLiteral("Date type is incorrect, only numbers!");
        QTest::newRow("11 hours") << "11" << "0" << "0"
                                  << QStringList {QStringLiteral("Invalid number, scope is within 0-10"),
                                                  QStringLiteral("Hour is invalid, it should be 0  to 10")};
        QTest::newRow("-1 hours") << "-1" << "0" << "0"
                                  << QStringList {notNumber, QStringLiteral("Hour is invalid, it should be 0  to 10")};
        QTest::newRow("minute text") << "1" << "ten" << "0"
                                     << QStringList {notNumber, QStringLiteral("Minute is invalid, it should be 0  to 59")};
        QTest::newRow("60 seconds") << "1" << "59" << "60"
                                    << QStringList {QStringLiteral("Invalid number, scope is within 0-59"),
                                                    QStringLiteral("Second is invalid, it should be 0  to 59")};
        QTest::newRow("empty second") << "1" << "2" << ""
                                      << QStringList {notNumber, QStringLiteral("Second is invalid, it should be 0  to 59")};
    }
    void fieldsOutOfRangeAreRefusedWithBothMessages()
    {
        QFETCH(QString, hour);
        QFETCH(QString, minute);
        QFETCH(QString, second);
        QFETCH(QStringList, messages);
        ModifyCurTimePointLogic logic(QStringLiteral("1"), QString(), QStringLiteral("2"), QString());
        logic.load();
        logic.hour = hour;
        logic.minute = minute;
        logic.second = second;
        QVERIFY(!logic.save());
        QCOMPARE(boxes->texts(), messages);
        QCOMPARE(storedSecond(2), 40);
        QVERIFY(!mPublicVariable().DialogSaved);
        // The upper ends themselves are accepted.
        boxes->clear();
        logic.hour = QStringLiteral("10");
        logic.minute = QStringLiteral("59");
        logic.second = QStringLiteral("59");
        QVERIFY(logic.save());
        QCOMPARE(storedSecond(2), 10 * 3600 + 59 * 60 + 59);
    }

    void failedUpdateShowsTheReasonAndStaysOpen()
    {
        QVERIFY(ExecuteStatement(DbQuery::Command,
            QStringLiteral("create trigger refusePoint before update on TimePoint "
                           "begin select raise(abort, 'time point locked'); end")));
        TfrmModifyCurTimePoint dialog(nullptr, QStringLiteral("1"), QStringLiteral("Finale"), QStringLiteral("2"),
                                      QStringLiteral("cue"));
        dialog.show();
        auto* minute = dialog.findChild<QLineEdit*>(QStringLiteral("editMinute"));
        QVERIFY(minute);
        minute->setText(QStringLiteral("5"));
        dialog.findChild<QPushButton*>(QStringLiteral("bitbtnSave"))->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown.first().kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes->shown.first().text.contains(QStringLiteral("time point locked")));
        QCOMPARE(minute->text(), QStringLiteral("5"));
        QVERIFY(!mPublicVariable().DialogSaved);
        QCOMPARE(storedSecond(2), 40);
    }

    void dialogShowsAndSavesThroughItsControls()
    {
        TfrmModifyCurTimePoint dialog(nullptr, QStringLiteral("1"), QStringLiteral("Finale"), QStringLiteral("1"),
                                      QStringLiteral("cue"));
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Edit Current Time Point"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblCurShow"))->text(), QStringLiteral("Finale"));
        auto* hour = dialog.findChild<QLineEdit*>(QStringLiteral("editHour"));
        auto* second = dialog.findChild<QLineEdit*>(QStringLiteral("editSecond"));
        auto* remark = dialog.findChild<QLineEdit*>(QStringLiteral("editRemark"));
        QCOMPARE(hour->text(), QStringLiteral("1"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("editMinute"))->text(), QStringLiteral("1"));
        QCOMPARE(second->text(), QStringLiteral("15"));
        QCOMPARE(remark->text(), QStringLiteral("cue"));
        QCOMPARE(remark->maxLength(), 50);
        hour->setText(QStringLiteral("2"));
        remark->setText(QStringLiteral("moved"));
        dialog.findChild<QPushButton*>(QStringLiteral("bitbtnSave"))->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(storedSecond(1), 7275);
        QCOMPARE((*ShowEditing::ReadTimePoint(1, 1))->Remark, QStringLiteral("moved"));
    }
};

QTEST_MAIN(TestModifyCurTimePoint)
#include "tst_modifycurtimepoint.moc"
