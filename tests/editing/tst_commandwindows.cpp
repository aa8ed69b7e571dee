#include "addcommandsdialog.h"
#include "commandeditordialog.h"
#include "lookups.h"
#include "settingsfiles.h"
#include "showstore.h"
#include "inifile.h"
#include "programfolder.h"
#include "scriptedmessages.h"
#include "showdata.h"
#include "storedfixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

using Outcome = AddCommandsForm::AddOutcome;

// IDs and sequence numbers of a list, as "id:seq", with the kind of each.
QStringList listed(const ShowStore::CommandTarget& target)
{
    QStringList out;
    const auto commands = ShowStore::ReadCommands(target);
    if (commands) {
        for (const TControlObject& c : *commands)
            out << QStringLiteral("%1:%2:k%3").arg(c.CommandID).arg(c.SequenceNo).arg(c.CommandTypeID);
    }
    return out;
}

NamedCommandList setList(CommandSetCode code)
{
    return {ShowStore::CommandTarget::set(code), {}, {}};
}

} // namespace

class TestCommandWindows : public QObject {
    Q_OBJECT

    SettingsFiles settings;
    LookupLists lookups;

    LogMessagePresenter logMessages; // where the test does not read the messages
private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
        m_folder = std::make_unique<TestProgramFolder>();
        QVERIFY(m_folder->openDatabase());
        QVERIFY(LoadLanguageAndLookups(settings, lookups, *m_folder));
    }
    void cleanup() { m_folder.reset(); }

    void quantityOutsideZeroToThirtyIsRefused()
    {
        ScriptedMessages boxes;
        AddCommandsForm form(boxes);
        form.PrepareAddCommands(setList(CommandsForStopSet));
        QCOMPARE(form.firstValue(), QStringLiteral("Stop"));
        QVERIFY(!form.secondLineVisible());
        for (const QString& qty : {QStringLiteral("31"), QStringLiteral("1a"), QStringLiteral("-3")}) {
            boxes.clear();
            QCOMPARE(form.AddBlankCommands(qty), Outcome::Refused);
            QCOMPARE(boxes.texts(), QStringList{QStringLiteral("QTY of commands only can be numeric,and range is 0-30")});
        }
        boxes.clear();
        QCOMPARE(form.AddBlankCommands(QString()), Outcome::Nothing);
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(form.addEnabled());
        QVERIFY(!form.saved());
        QVERIFY(listed(ShowStore::CommandTarget::set(CommandsForStopSet)).isEmpty());

        // None at all still closes, and the opener reloads.
        QCOMPARE(form.AddBlankCommands(QStringLiteral("0")), Outcome::Added);
        QVERIFY(form.saved());
        QVERIFY(listed(ShowStore::CommandTarget::set(CommandsForStopSet)).isEmpty());
        QCOMPARE(form.AddBlankCommands(QStringLiteral("2")), Outcome::Added);
        QCOMPARE(listed(ShowStore::CommandTarget::set(CommandsForStopSet)), (QStringList{"1:1:k3", "2:2:k3"}));
    }

    void blankCommandsFollowTheLargestIdOfTheTimePoint()
    {
        QVERIFY(AddShow(1, 1) && AddTimePoint(1, 1, 10) && AddTimePoint(1, 2, 20));
        for (int id : {1, 2, 5})
            QVERIFY(AddShowCommand(1, 1, id, id, 9));
        QVERIFY(AddShowCommand(1, 2, 40, 40, 9)); // another time point's numbers do not count
        AddCommandsForm form(logMessages);
        form.PrepareAddCommands(
            {ShowStore::CommandTarget::timePoint(1, 1), QStringLiteral("Intro"), QStringLiteral("0:10")});
        QCOMPARE(form.secondValue(), QStringLiteral("0:10"));
        QCOMPARE(form.AddBlankCommands(QStringLiteral("3")), Outcome::Added);
        QCOMPARE(form.addedIds(), (QVector<int>{6, 7, 8}));
        QCOMPARE(listed(ShowStore::CommandTarget::timePoint(1, 1)),
                 (QStringList{"1:1:k4", "2:2:k4", "5:5:k4", "6:6:k3", "7:7:k3", "8:8:k3"}));
    }

    void aRolledBackBatchTellsWhyAndLeavesAddOff()
    {
        ScriptedMessages boxes;
        QVERIFY(RunSql(QStringLiteral("create trigger refuse before insert on CommandsForPlay when "
                                      "new.CommandID=3 begin select raise(abort, 'disk is full'); end")));
        AddCommandsDialog dialog(boxes);
        dialog.PrepareAddCommands(setList(CommandsForPlaySet));
        QVERIFY(dialog.lblFirstValue->text() == QStringLiteral("Play") && dialog.lblSecond->isHidden());
        dialog.editQTY->setText(QStringLiteral("5"));
        dialog.bitbtnAdd->click();
        QVERIFY(!dialog.bitbtnAdd->isEnabled());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].kind, ScriptedMessages::Shown::Error);
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("disk is full")));
        QVERIFY(!dialog.form.saved());
        QVERIFY(listed(ShowStore::CommandTarget::set(CommandsForPlaySet)).isEmpty());
        // Add stays off: the same batch is not tried again.
        dialog.bitbtnAdd->click();
        QCOMPARE(boxes.shown.size(), 1);
    }

    void theWindowLoadsTheCheckedRowsItIsGiven()
    {
        for (int id = 1; id <= 5; ++id)
            QVERIFY(AddSetCommand(QStringLiteral("CommandsForPause"), id, id, 10 + id));
        CommandEditorDialog window(logMessages, settings, lookups);
        window.LoadCheckedCommands(setList(CommandsForPauseSet), {4, 2});
        QCOMPARE(window.strgrd->rowCount(), 2);
        // In list order, whatever order the caller gives them.
        QCOMPARE(window.strgrd->item(0, ColCommandID)->text(), QStringLiteral("2"));
        QCOMPARE(window.strgrd->item(1, ColCommandID)->text(), QStringLiteral("4"));
        QCOMPARE(window.strgrd->item(1, ColDeviceID)->text(), QStringLiteral("14"));
        QCOMPARE(window.lblFirst->text(), QStringLiteral("Current mode:"));
        QCOMPARE(window.lblFirstValue->text(), QStringLiteral("Pause"));
        QVERIFY(window.lblSecond->isHidden());

        // Without a checked command there is nothing to edit.
        window.LoadCheckedCommands(setList(CommandsForPauseSet), {});
        QCOMPARE(window.strgrd->rowCount(), 0);
    }

    void editorsSitOnTheSelectedRowAfterAScroll()
    {
        QVector<int> ids;
        for (int id = 1; id <= 40; ++id) {
            QVERIFY(AddSetCommand(QStringLiteral("CommandsForPlay"), id, id, id));
            ids << id;
        }
        CommandEditorDialog window(logMessages, settings, lookups);
        window.LoadCheckedCommands(setList(CommandsForPlaySet), QList<int>(ids.begin(), ids.end()));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const auto onCell = [&window](GridEditor e, int row) {
            const int column = CommandEditorDialog::EditorColumn(e);
            const QRect cell = window.strgrd->visualRect(window.strgrd->model()->index(row, column));
            return window.editorWidget(e)->geometry() == cell;
        };
        // Every data column has its share of the width; a strip stays free.
        int used = window.strgrd->columnWidth(0);
        for (int c = 1; c < CommandGridColumns; ++c) {
            QVERIFY(window.strgrd->columnWidth(c) > 0);
            used += window.strgrd->columnWidth(c);
        }
        QVERIFY(used < window.strgrd->viewport()->width());

        const int row = 30;
        window.strgrd->scrollToBottom();
        window.strgrd->setCurrentCell(row, ColRemark);
        QCOMPARE(window.model().currentRow(), row + 1);
        for (GridEditor e : {GridEditor::SubNetID, GridEditor::DeviceID, GridEditor::Type, GridEditor::FirstPara,
                             GridEditor::SecondPara, GridEditor::Delay, GridEditor::OrderID}) {
            QVERIFY(window.editorWidget(e)->isVisible());
            QVERIFY2(onCell(e, row), qPrintable(CommandGridModel::EditorName(e)));
        }
        QCOMPARE(window.editorWidget(GridEditor::SubNetID)->property("text").toString(), QStringLiteral("1"));

        // Scrolled by a few rows the editors move with the cells.
        QScrollBar* bar = window.strgrd->verticalScrollBar();
        bar->setValue(bar->value() - 3);
        QVERIFY(onCell(GridEditor::SubNetID, row) && onCell(GridEditor::Delay, row) && onCell(GridEditor::Type, row));
        QVERIFY(window.strgrd->viewport()->rect().intersects(window.editorWidget(GridEditor::SubNetID)->geometry()));

        // Typing goes to the model, never into a cell directly.
        auto* subnet = qobject_cast<QLineEdit*>(window.editorWidget(GridEditor::SubNetID));
        subnet->setFocus();
        subnet->selectAll();
        QTest::keyClicks(subnet, QStringLiteral("7"));
        QCOMPARE(window.strgrd->item(row, ColSubNetID)->text(), QStringLiteral("1"));
        window.strgrd->setCurrentCell(row - 1, ColSubNetID);
        QCOMPARE(window.strgrd->item(row, ColSubNetID)->text(), QStringLiteral("7"));
        QVERIFY(window.model().RowModified(row + 1));
        QVERIFY(onCell(GridEditor::SubNetID, row - 1));
    }

    void eachLookupHasAListOfItsOwn()
    {
        QVERIFY(AddShow(1, 1) && AddTimePoint(1, 1, 10));
        // A curtain and an alarm type, each with 100: a value no entry has.
        QVERIFY(AddShowCommand(1, 1, 1, 1, 9, QStringLiteral("0"), 7));
        QVERIFY(AddShowCommand(1, 1, 2, 2, 9, QStringLiteral("0"), 12));
        CommandEditorDialog window(logMessages, settings, lookups);
        window.LoadCheckedCommands({ShowStore::CommandTarget::timePoint(1, 1), QStringLiteral("Intro"),
                                    QStringLiteral("0:0:10")},
                                   {1, 2});
        QCOMPARE(window.lblSecondValue->text(), QStringLiteral("0:0:10"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* curtain = window.findChild<QComboBox*>(QStringLiteral("cboCurtainStatus"));
        auto* alarm = window.findChild<QComboBox*>(QStringLiteral("cboAlarmType"));
        QVERIFY(curtain && alarm);

        window.strgrd->setCurrentCell(0, ColRemark);
        QVERIFY(curtain->isVisible() && !alarm->isVisible());
        QCOMPARE(curtain->currentText(), QStringLiteral("Stop"));
        window.strgrd->setCurrentCell(1, ColRemark);
        QVERIFY(!curtain->isVisible() && alarm->isVisible());
        QCOMPARE(alarm->currentText(), QStringLiteral("Burglar"));
        QCOMPARE(window.strgrd->item(0, ColSecondPara)->text(), QStringLiteral("Stop(Status)"));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

QTEST_MAIN(TestCommandWindows)
#include "tst_commandwindows.moc"
