#include "addeditshow.h"
#include "database.h"
#include "showstore.h"
#include "inifile.h"
#include "scriptedfilechooser.h"
#include "scriptedmessages.h"
#include "storedfixture.h"
#include "showdata.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

int value(const QString& statement)
{
    QSqlQuery q = StandaloneQuery();
    return q.exec(statement) && q.next() ? q.value(0).toInt() : -1;
}

} // namespace

class TestAddEditShow : public QObject, protected StoredDataFixture {
    Q_OBJECT

    std::unique_ptr<ScriptedFileChooser> files;

    QString iniPath() const { return folder->path(QStringLiteral("Database/Show.ini")); }

    AddEditShowLogic filled(const QString& name, int mode = 1, const QString& showId = {})
    {
        AddEditShowLogic logic(*boxes, *files, settings, mode, showId);
        logic.load();
        logic.showName = name;
        logic.path = QStringLiteral("/media/") + name + QStringLiteral(".mp4");
        return logic;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        OpenShowIni(settings, iniPath());
        files = std::make_unique<ScriptedFileChooser>();
    }
    void cleanup()
    {
        closeStore();
    }

    void checksInOrderOneMessageEach()
    {
        AddEditShowLogic logic(*boxes, *files, settings, AddEditShowLogic::AddMode, QString());
        logic.load();
        QCOMPARE(logic.sequenceNo, QStringLiteral("1")); // empty database
        const QString switchRefusal = QStringLiteral("Universal switch No only can be numeric and range is 0-255");
        // Each step mends the last refusal and meets the next check.
        const QList<std::pair<std::function<void()>, QString>> steps {
            {[&] { logic.showName = QStringLiteral("   "); }, QStringLiteral("Show name can not be empty!")},
            {[&] { logic.showName = QStringLiteral(" Finale "); }, QStringLiteral("Video or music can not be empty!")},
            {[&] { logic.path = QStringLiteral("/media/f.avi"); logic.sequenceNo = QStringLiteral("-1"); },
             QStringLiteral("Sequence No only can be numeric")},
            {[&] { logic.sequenceNo = QStringLiteral("-2"); logic.activeUniversalSwitch = true;
                   logic.universalSwitchId = QStringLiteral("256"); }, switchRefusal},
            {[&] { logic.universalSwitchId = QStringLiteral("-3"); }, switchRefusal},
        };
        for (const auto& [change, refusal] : steps) {
            boxes->clear();
            change();
            QVERIFY(!logic.save());
            QCOMPARE(boxes->texts(), QStringList {refusal});
        }
        QCOMPARE(value(QStringLiteral("select count(*) from Show")), 0);

        logic.universalSwitchId = QStringLiteral("255");
        QVERIFY(logic.save());
        const auto stored = *ShowStore::ReadShow(settings, 1);
        QCOMPARE(std::make_tuple(stored->SequenceNo, stored->ActivedUniversalSwitch, stored->UniversalSwitchID,
                                 stored->Name),
                 std::make_tuple(-2, 1, 255, QStringLiteral("Finale")));

        // A taken name is refused; an unchecked switch stores 0 whatever it holds.
        AddEditShowLogic again = filled(QStringLiteral("Finale"));
        QCOMPARE(again.sequenceNo, QStringLiteral("-1"));
        again.sequenceNo = QStringLiteral("4");
        boxes->clear();
        QVERIFY(!again.save());
        QCOMPARE(boxes->texts(), QStringList {QStringLiteral("Current show name has already existed!")});
        again.showName = QStringLiteral("finale"); // letter case counts
        again.universalSwitchId = QStringLiteral("nonsense");
        QVERIFY(again.save());
        QCOMPARE(value(QStringLiteral("select UniversalSwitchID from Show where ShowID=2")), 0);
    }

    void editRenamesAndAsksTheOpenersCheck()
    {
        QVERIFY(AddShow(1, 5, 1, 17));
        QVERIFY(AddShow(2, 9));
        WriteShowIni(settings, 1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        WriteShowIni(settings, 2, QStringLiteral("Closing"), QStringLiteral("/media/closing.avi"));
        AddEditShowLogic logic(*boxes, *files, settings, AddEditShowLogic::EditMode, QStringLiteral("1"));
        logic.load();
        QCOMPARE(QStringList({logic.showName, logic.path, logic.sequenceNo, logic.universalSwitchId}),
                 QStringList({"Opening", "/media/opening.avi", "5", "17"}));
        QVERIFY(logic.activeUniversalSwitch);
        logic.showName = QStringLiteral("Closing");
        QVERIFY(!logic.save());
        QCOMPARE(boxes->texts(), QStringList {QStringLiteral("Current show name has already existed")});
        logic.showName = QStringLiteral("Opening");
        QVERIFY(logic.save());
        QCOMPARE(value(QStringLiteral("select count(*) from Show")), 2);

        // The opener's check decides, asked with the mode, trimmed name and id.
        QList<std::tuple<int, QString, QString>> asked;
        AddEditShowLogic checked(*boxes, *files, settings, 2, QStringLiteral("2"),
                                 [&](int mode, const QString& name, const QString& id) {
                                     asked.append({mode, name, id});
                                     return true;
                                 });
        checked.load();
        checked.showName = QStringLiteral(" Listed ");
        QVERIFY(!checked.save());
        QCOMPARE(asked, (QList<std::tuple<int, QString, QString>> {{2, "Listed", "2"}}));
    }

    void chosenFileGivesPathAndName()
    {
        AddEditShowLogic logic(*boxes, *files, settings, AddEditShowLogic::EditMode, QStringLiteral("1"));
        files->answerNext(QStringLiteral(" /media/Bridge Opening.avi "));
        files->answerNext(QStringLiteral("/media/Finale"));
        QVERIFY(logic.chooseMediaFile());
        QCOMPARE(files->asked.first().caption, QStringLiteral("Open"));
        QCOMPARE(files->asked.first().filter, QStringLiteral("All(*.*) (*)"));
        QCOMPARE(QStringList({logic.path, logic.fileName, logic.showName}),
                 QStringList({"/media/Bridge Opening.avi", "Bridge Opening.avi", "Bridge Opening"}));
        QVERIFY(logic.chooseMediaFile());
        QCOMPARE(logic.showName, QStringLiteral("Finale"));
        QVERIFY(!logic.chooseMediaFile()); // cancelled: kept
        QCOMPARE(logic.path, QStringLiteral("/media/Finale"));
    }

    void showIniRefusesLineBreaksAndKeepsOtherTextsExactly()
    {
        AddEditShowLogic logic = filled(QStringLiteral("Two\nlines"));
        QVERIFY(!logic.save());
        logic.showName = QStringLiteral("One line");
        logic.path = QStringLiteral("/media/odd\rname.avi");
        QVERIFY(!logic.save());
        QCOMPARE(boxes->texts(), (QStringList {"Show name can not hold a line break!",
                                               "The path of the video or music can not hold a line break!"}));
        QCOMPARE(value(QStringLiteral("select count(*) from Show")), 0);

        const QString name = QStringLiteral(u"Kings' \"Gala\"; Ωμέγα 東京");
        logic.showName = name;
        logic.path = QStringLiteral(u"/media/Ωμέγα/it's.mkv");
        QVERIFY(logic.save());
        OpenShowIni(settings, iniPath()); // read back from disk
        AddEditShowLogic reopened(*boxes, *files, settings, AddEditShowLogic::EditMode, QStringLiteral("1"));
        reopened.load();
        QCOMPARE(reopened.showName, name);
        QCOMPARE(reopened.path, QStringLiteral(u"/media/Ωμέγα/it's.mkv"));
    }

    void deletedTopShowIdIsTakenOverWithItsSection()
    {
        for (const char* name : {"A", "B", "C"})
            QVERIFY(filled(QString::fromLatin1(name)).save());
        QVERIFY(ShowStore::DeleteShow(3));
        QVERIFY(filled(QStringLiteral("D")).save());
        QCOMPARE(value(QStringLiteral("select max(ShowID) from Show")), 3);
        QCOMPARE(IniFile(iniPath()).read(QStringLiteral("3"), QStringLiteral("ShowName")), QStringLiteral("D"));
        QCOMPARE(IniFile(iniPath()).read(QStringLiteral("3"), QStringLiteral("URL")), QStringLiteral("/media/D.mp4"));
    }

    void failedStatementShowsTheReasonAndKeepsTheEntries()
    {
        QVERIFY(RunSql(QStringLiteral("create trigger no before insert on Show "
                                      "begin select raise(abort, 'no more shows'); end")));
        AddEditShowLogic logic = filled(QStringLiteral("Refused"));
        QVERIFY(!logic.save());
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown.first().kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes->shown.first().text.contains(QStringLiteral("no more shows")));
        QCOMPARE(logic.showName, QStringLiteral("Refused"));
        QVERIFY(!IniFile(iniPath()).contains(QStringLiteral("1"), QStringLiteral("ShowName")));
    }

    void dialogForwardsToItsLogic()
    {
        AddEditShowDialog dialog(nullptr, *boxes, *files, settings, 1, QString(), {});
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Show"));
        auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("chkActiveUniversalSwitch"));
        auto* switchId = dialog.findChild<QLineEdit*>(QStringLiteral("editUniversalSwitchID"));
        QVERIFY(!switchId->isVisible());
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
        QVERIFY(switchId->isVisible());

        files->answerNext(QStringLiteral("/media/Bridge Opening.avi"));
        dialog.findChild<QPushButton*>(QStringLiteral("bitbtnOpenFile"))->click();
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("editShowName"))->text(), QStringLiteral("Bridge Opening"));
        switchId->setText(QStringLiteral("300"));
        auto* save = dialog.findChild<QPushButton*>(QStringLiteral("bitbtnSave"));
        save->click();
        QVERIFY(dialog.isVisible());
        switchId->setText(QStringLiteral("12"));
        save->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(value(QStringLiteral("select UniversalSwitchID from Show where ShowID=1")), 12);
    }
};

QTEST_MAIN(TestAddEditShow)
#include "tst_addeditshow.moc"
