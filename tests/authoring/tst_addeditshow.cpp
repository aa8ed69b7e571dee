#include "addeditshow.h"
#include "database.h"
#include "editing.h"
#include "inifile.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "scriptedfilechooser.h"
#include "scriptedmessages.h"
#include "showdata.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

int count(const QString& statement)
{
    QSqlQuery q = StandaloneQuery();
    if (!q.exec(statement) || !q.next())
        return -1;
    return q.value(0).toInt();
}

// A logic in add mode with every field filled so that it saves.
AddEditShowLogic filledAdd(const QString& name = QStringLiteral("Harbour Lights"))
{
    AddEditShowLogic logic(AddEditShowLogic::AddMode, QString());
    logic.load();
    logic.showName = name;
    logic.path = QStringLiteral("/media/shows/harbour.mp4");
    return logic;
}

} // namespace

class TestAddEditShow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> folder;
    std::unique_ptr<ScriptedMessages> boxes;

    QString showIniPath() const { return folder->path(QStringLiteral("Database/Show.ini")); }

private Q_SLOTS:
    void init()
    {
        ResetPublicVariables();
        boxes = std::make_unique<ScriptedMessages>();
        folder = std::make_unique<TestProgramFolder>();
        QVERIFY(folder->openDatabase());
        OpenShowIni(showIniPath());
    }
    void cleanup()
    {
        folder.reset();
        boxes.reset();
        ResetPublicVariables();
    }

    void addRefusesInOrderOneMessageEach()
    {
        AddEditShowLogic logic(AddEditShowLogic::AddMode, QString());
        logic.load();
        QCOMPARE(logic.title(), QStringLiteral("Add Show"));
        QCOMPARE(logic.sequenceNo, QStringLiteral("1")); // empty database

        // Each step fixes the previous refusal and meets the next check.
        struct Step {
            std::function<void()> change;
            QString refusal;
        };
        const QList<Step> steps {
            {[&] { logic.showName = QStringLiteral("   "); }, QStringLiteral("Show name can not be empty!")},
            {[&] { logic.showName = QStringLiteral("  Finale  "); }, QStringLiteral("Video or music can not be empty!")},
            {[&] { logic.path = QStringLiteral("/media/finale.avi"); logic.sequenceNo = QStringLiteral("-1"); },
             QStringLiteral("Sequence No only can be numeric")},
            {[&] { logic.sequenceNo = QStringLiteral("x7"); }, QStringLiteral("Sequence No only can be numeric")},
            {[&] { logic.sequenceNo = QStringLiteral("-2"); logic.activeUniversalSwitch = true;
                   logic.universalSwitchId = QStringLiteral("256"); },
             QStringLiteral("Universal switch No only can be numeric and range is 0-255")},
            {[&] { logic.universalSwitchId = QStringLiteral("-3"); },
             QStringLiteral("Universal switch No only can be numeric and range is 0-255")},
            {[&] { logic.universalSwitchId = QStringLiteral("on"); },
             QStringLiteral("Universal switch No only can be numeric and range is 0-255")},
        };
        for (const Step& step : steps) {
            boxes->clear();
            step.change();
            QVERIFY(!logic.save());
            QCOMPARE(boxes->texts(), QStringList {step.refusal});
            QCOMPARE(count(QStringLiteral("select count(*) from Show")), 0);
            QVERIFY(!mPublicVariable().DialogSaved);
        }

        boxes->clear();
        logic.universalSwitchId = QStringLiteral("255");
        QVERIFY(logic.save());
        QVERIFY(boxes->texts().isEmpty());
        QVERIFY(mPublicVariable().DialogSaved);
        const auto stored = ShowEditing::ReadShow(1);
        QVERIFY(stored && stored->has_value());
        QCOMPARE((*stored)->SequenceNo, -2);
        QCOMPARE((*stored)->ActivedUniversalSwitch, 1);
        QCOMPARE((*stored)->UniversalSwitchID, 255);
        QCOMPARE((*stored)->Name, QStringLiteral("Finale")); // trimmed
        QCOMPARE((*stored)->URL, QStringLiteral("/media/finale.avi"));

        // The same name again is refused; the next show is offered sequence -1.
        AddEditShowLogic again = filledAdd(QStringLiteral("Finale"));
        QCOMPARE(again.sequenceNo, QStringLiteral("-1"));
        again.sequenceNo = QStringLiteral("4");
        boxes->clear();
        QVERIFY(!again.save());
        QCOMPARE(boxes->texts(), QStringList {QStringLiteral("Current show name has already existed!")});
        // Letter case counts: "finale" is another name. An unchecked switch
        // stores 0 whatever its field holds.
        again.showName = QStringLiteral("finale");
        again.universalSwitchId = QStringLiteral("nonsense");
        QVERIFY(again.save());
        const auto second = ShowEditing::ReadShow(2);
        QVERIFY(second && second->has_value());
        QCOMPARE((*second)->ActivedUniversalSwitch, 0);
        QCOMPARE((*second)->UniversalSwitchID, 0);
        QCOMPARE((*second)->SequenceNo, 4);
    }

    void editLoadsTheShowAndChecksOtherNames()
    {
        QVERIFY(AddShow(1, 5, 1, 17));
        QVERIFY(AddShow(2, 9));
        WriteShowIni(1, QStringLiteral("Opening"), QStringLiteral("/media/opening.avi"));
        WriteShowIni(2, QStringLiteral("Closing"), QStringLiteral("/media/closing.avi"));

        AddEditShowLogic logic(AddEditShowLogic::EditMode, QStringLiteral("1"));
        logic.load();
        QCOMPARE(logic.title(), QStringLiteral("Edit Show"));
        QCOMPARE(logic.showName, QStringLiteral("Opening"));
        QCOMPARE(logic.path, QStringLiteral("/media/opening.avi"));
        QCOMPARE(logic.sequenceNo, QStringLiteral("5"));
        QVERIFY(logic.activeUniversalSwitch);
        QCOMPARE(logic.universalSwitchId, QStringLiteral("17"));

        logic.showName = QStringLiteral("Closing");
        QVERIFY(!logic.save());
        QCOMPARE(boxes->texts(), QStringList {QStringLiteral("Current show name has already existed")});

        // Its own name is accepted; turning the switch off stores 0.
        boxes->clear();
        logic.showName = QStringLiteral("Opening");
        logic.activeUniversalSwitch = false;
        QVERIFY(logic.save());
        QVERIFY(boxes->texts().isEmpty());
        QCOMPARE(count(QStringLiteral("select UniversalSwitchID from Show where ShowID=1")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from Show")), 2);

        // A show without a switch opens with 0 in the hidden field; a
        // missing show keeps the fields of a new one.
        AddEditShowLogic plain(AddEditShowLogic::EditMode, QStringLiteral("2"));
        plain.load();
        QVERIFY(!plain.activeUniversalSwitch);
        QCOMPARE(plain.universalSwitchId, QStringLiteral("0"));
        AddEditShowLogic gone(AddEditShowLogic::EditMode, QStringLiteral("8"));
        gone.load();
        QVERIFY(gone.showName.isEmpty() && gone.path.isEmpty());
        QCOMPARE(gone.sequenceNo, QStringLiteral("10"));
    }

    void injectedNameCheckDecides()
    {
        QList<std::tuple<int, QString, QString>> asked;
        AddEditShowLogic logic(AddEditShowLogic::EditMode, QStringLiteral("3"),
                               [&](int mode, const QString& name, const QString& showId) {
                                   asked.append({mode, name, showId});
                                   return true;
                               });
        logic.load();
        logic.showName = QStringLiteral(" Listed ");
        logic.path = QStringLiteral("/media/a.avi");
        QVERIFY(!logic.save());
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first(), std::make_tuple(2, QStringLiteral("Listed"), QStringLiteral("3")));
    }

    void chosenFileGivesPathAndName()
    {
        ScriptedFileChooser chooser;
        AddEditShowLogic logic(AddEditShowLogic::EditMode, QStringLiteral("1"));
        logic.showName = QStringLiteral("Old name");
        chooser.answerNext(QStringLiteral("  /media/shows/Bridge Opening.avi "));
        QVERIFY(logic.chooseMediaFile());
        QCOMPARE(logic.path, QStringLiteral("/media/shows/Bridge Opening.avi"));
        QCOMPARE(logic.fileName, QStringLiteral("Bridge Opening.avi"));
        QCOMPARE(logic.showName, QStringLiteral("Bridge Opening"));
        QCOMPARE(chooser.asked.size(), 1);

        chooser.answerNext(QStringLiteral("/media/shows/Finale"));
        QVERIFY(logic.chooseMediaFile());
        QCOMPARE(logic.showName, QStringLiteral("Finale"));
        chooser.answerNext(QStringLiteral("/media/shows/v1.2/intro.part.mp4"));
        QVERIFY(logic.chooseMediaFile());
        QCOMPARE(logic.showName, QStringLiteral("intro.part"));

        // Cancelling keeps what was there.
        QVERIFY(!logic.chooseMediaFile());
        QCOMPARE(logic.path, QStringLiteral("/media/shows/v1.2/intro.part.mp4"));
    }

    void namesAndPathsShowIniCannotHoldAreRefused()
    {
        AddEditShowLogic logic = filledAdd(QStringLiteral("Two\nlines"));
        QVERIFY(!logic.save());
        QCOMPARE(boxes->texts(), QStringList {QStringLiteral("Show name can not hold a line break!")});
        boxes->clear();
        logic.showName = QStringLiteral("One line");
        logic.path = QStringLiteral("/media/odd\rname.avi");
        QVERIFY(!logic.save());
        QCOMPARE(boxes->texts(),
                 QStringList {QStringLiteral("The path of the video or music can not hold a line break!")});
        QCOMPARE(count(QStringLiteral("select count(*) from Show")), 0);
        QVERIFY(!IniFile(showIniPath()).contains(QStringLiteral("1"), QStringLiteral("ShowName")));

        // Quotes, a semicolon and letters beyond Latin-1 come back as saved,
        // also after the file is read again from disk.
        const QString name = QStringLiteral(u"Kings' \"Gala\"; Ωμέγα 東京");
        const QString path = QStringLiteral(u"/media/Ωμέγα/it's \"here\".mkv");
        logic.showName = name;
        logic.path = path;
        QVERIFY(logic.save());
        OpenShowIni(showIniPath());
        AddEditShowLogic reopened(AddEditShowLogic::EditMode, QStringLiteral("1"));
        reopened.load();
        QCOMPARE(reopened.showName, name);
        QCOMPARE(reopened.path, path);
        // and the name check still finds it
        AddEditShowLogic twin = filledAdd(name);
        QVERIFY(!twin.save());
    }

    void deletedTopShowIdIsTakenOverWithItsSection()
    {
        for (const QString& name : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}) {
            AddEditShowLogic logic = filledAdd(name);
            QVERIFY(logic.save());
        }
        QCOMPARE(count(QStringLiteral("select max(ShowID) from Show")), 3);
        QVERIFY(ShowEditing::DeleteShow(3));
        AddEditShowLogic logic = filledAdd(QStringLiteral("D"));
        logic.path = QStringLiteral("/media/d.avi");
        QVERIFY(logic.save());
        QCOMPARE(count(QStringLiteral("select max(ShowID) from Show")), 3);
        const IniFile onDisk(showIniPath());
        QCOMPARE(onDisk.read(QStringLiteral("3"), QStringLiteral("ShowName")), QStringLiteral("D"));
        QCOMPARE(onDisk.read(QStringLiteral("3"), QStringLiteral("URL")), QStringLiteral("/media/d.avi"));
        QCOMPARE(onDisk.read(QStringLiteral("2"), QStringLiteral("ShowName")), QStringLiteral("B"));
    }

    void failedStatementShowsTheReasonAndKeepsTheEntries()
    {
        QVERIFY(ExecuteStatement(DbQuery::Command,
            QStringLiteral("create trigger refuseShow before insert on Show "
                           "begin select raise(abort, 'no more shows today'); end")));
        AddEditShowLogic logic = filledAdd(QStringLiteral("Refused"));
        QVERIFY(!logic.save());
        QCOMPARE(boxes->shown.size(), 1);
        QCOMPARE(boxes->shown.first().kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes->shown.first().text.contains(QStringLiteral("no more shows today")));
        QVERIFY(!mPublicVariable().DialogSaved);
        QCOMPARE(logic.showName, QStringLiteral("Refused"));
        QCOMPARE(count(QStringLiteral("select count(*) from Show")), 0);
        QVERIFY(!IniFile(showIniPath()).contains(QStringLiteral("1"), QStringLiteral("ShowName")));

        // An edit whose update fails leaves the stored name alone.
        QVERIFY(ExecuteStatement(DbQuery::Command, QStringLiteral("drop trigger refuseShow")));
        QVERIFY(AddShow(1, 1));
        WriteShowIni(1, QStringLiteral("Kept"), QStringLiteral("/media/kept.avi"));
        QVERIFY(ExecuteStatement(DbQuery::Command,
            QStringLiteral("create trigger refuseEdit before update on Show "
                           "begin select raise(abort, 'locked'); end")));
        AddEditShowLogic edit(AddEditShowLogic::EditMode, QStringLiteral("1"));
        edit.load();
        edit.showName = QStringLiteral("Changed");
        boxes->clear();
        QVERIFY(!edit.save());
        QCOMPARE(boxes->shown.size(), 1);
        QVERIFY(boxes->shown.first().text.contains(QStringLiteral("locked")));
        QCOMPARE(IniFile(showIniPath()).read(QStringLiteral("1"), QStringLiteral("ShowName")), QStringLiteral("Kept"));
    }

    void dialogForwardsToItsLogic()
    {
        ScriptedFileChooser chooser;
        TfrmAddEditShow dialog(nullptr, 1, QString(), {});
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Show"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Add Show"));
        auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("chkActiveUniversalSwitch"));
        auto* switchId = dialog.findChild<QLineEdit*>(QStringLiteral("editUniversalSwitchID"));
        auto* switchLabel = dialog.findChild<QLabel*>(QStringLiteral("lblUniversalSwitchID"));
        QVERIFY(check && switchId && switchLabel);
        QVERIFY(!switchId->isVisible() && !switchLabel->isVisible());
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
        QVERIFY(switchId->isVisible() && switchLabel->isVisible());
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("editPath"))->isReadOnly());

        chooser.answerNext(QStringLiteral("/media/Bridge Opening.avi"));
        dialog.findChild<QPushButton*>(QStringLiteral("bitbtnOpenFile"))->click();
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("editShowName"))->text(), QStringLiteral("Bridge Opening"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblFileName"))->text(), QStringLiteral("Bridge Opening.avi"));

        switchId->setText(QStringLiteral("300"));
        auto* save = dialog.findChild<QPushButton*>(QStringLiteral("bitbtnSave"));
        save->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(boxes->texts().size(), 1);
        switchId->setText(QStringLiteral("12"));
        save->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(count(QStringLiteral("select UniversalSwitchID from Show where ShowID=1")), 12);
    }
};

QTEST_MAIN(TestAddEditShow)
#include "tst_addeditshow.moc"
