#include "commandlistwidget.h"
#include "database.h"
#include "inifile.h"
#include "lookups.h"
#include "programfolder.h"
#include "rawsql.h"
#include "settingsfiles.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>
#include <QtTest>

namespace {

const ShowStore::CommandTarget playSet = ShowStore::CommandTarget::set(CommandsForPlaySet);

void store(int id, int kind, int p1, int p2, int p3, const QString& delay = QStringLiteral("NULL"),
           const QString& remark = QStringLiteral("NULL"), int seq = -1)
{
    const QString sql =
        QStringLiteral("insert into CommandsForPlay(CommandID,SequenceNo,Remark,SubnetID,DeviceID,CommandTypeID,"
                       "FirstParameter,SecondParameter,ThirdParameter,DelayMS) values(%1,%2,%3,1,2,%4,%5,%6,%7,%8)")
            .arg(id)
            .arg(seq < 0 ? id : seq)
            .arg(remark)
            .arg(kind)
            .arg(p1)
            .arg(p2)
            .arg(p3)
            .arg(delay);
    QVERIFY2(RunSql(sql), qPrintable(sql));
}

// The sum of the column widths; fails when the last column is not wholly
// inside the visible width.
int visibleColumnsWidth(const QTreeWidget& list)
{
    const QHeaderView* header = list.header();
    const int last = header->count() - 1;
    if (header->sectionViewportPosition(last) + header->sectionSize(last) > list.viewport()->width() ||
        header->sectionSize(last) <= 0 || list.horizontalScrollBar()->maximum() != 0)
        return -1;
    return header->length();
}

QStringList row(const QTreeWidget& list, int i)
{
    QStringList out;
    for (int c = 0; c < CommandListColumns; ++c)
        out << list.topLevelItem(i)->text(c);
    return out;
}

} // namespace

class TestCommandList : public QObject {
    Q_OBJECT

    SettingsFiles settings;
    LookupLists lookups;

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
    }

    void cellsForEveryKind()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        settings.LanguageIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Language/English.ini")));
        QVERIFY(LoadUniversalSwitchStatuses(lookups));
        QVERIFY(LoadSecurityAlarmTypes(lookups));
        QVERIFY(LoadSecurityModes(lookups));
        QVERIFY(LoadCurtainStatuses(lookups));

        store(1, 0, 3, 4, 9, QStringLiteral("0"));
        store(2, 1, 3, 5, 9);
        store(3, 2, 7, 1, 9);
        store(4, 2, 7, 9, 0); // status not in the table
        store(5, 4, 12, 100, 125, QStringLiteral("500"));
        store(6, 5, 9, 6, 0);
        store(7, 6, 9, 80, 59);
        store(8, 7, 2, 2, 0);
        store(9, 11, 1, 3, 0);
        store(10, 12, 1, 258, 0);
        store(11, 3, 0, 0, 0);
        store(12, 40, 65535, 17, 3); // kind unknown to the language file
        store(13, 4, 1, 1, 3600);

        QTreeWidget list;
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 13);
        QCOMPARE(list.columnCount(), CommandListColumns);
        const auto cells = [&](int i) { return row(list, i).mid(5); };
        QCOMPARE(row(list, 0), (QStringList{"1", "1", "", "1", "2", "Scene Control", "3(Area)", "4(Scene)", "N/A", "0"}));
        QCOMPARE(cells(1), (QStringList{"Sequence Control", "3(Area)", "5(Sequence)", "N/A", "0"}));
        QCOMPARE(cells(2), (QStringList{"Universal Switch", "7(Switch No)", "On(Status)", "N/A", "0"}));
        QCOMPARE(cells(3), (QStringList{"Universal Switch", "7(Switch No)", "(Status)", "N/A", "0"}));
        QCOMPARE(cells(4), (QStringList{"Single Channel Control", "12(Channel)", "100(Level)", "2:5(Running Time)", "500"}));
        QCOMPARE(cells(5), (QStringList{"Broadcast Scene", "All Areas", "6(Scene)", "N/A", "0"}));
        QCOMPARE(cells(6), (QStringList{"Broadcast Channel", "All Channels", "80(Level)", "0:59(Running Time)", "0"}));
        QCOMPARE(cells(7), (QStringList{"Curtain Switch", "2(Switch No)", "Close(Status)", "N/A", "0"}));
        QCOMPARE(cells(8), (QStringList{"Security Mode", "1(Area)", "Night(Mode)", "N/A", "0"}));
        QCOMPARE(cells(9), (QStringList{"Security Alarm", "1(Area)", "Gas leak(Alarm Type)", "N/A", "0"}));
        QCOMPARE(cells(10), (QStringList{"No Operation", "0", "0", "N/A", "0"}));
        QCOMPARE(cells(11), (QStringList{"3", "65535", "17", "N/A", "0"}));
        QCOMPARE(cells(12).at(3), QStringLiteral("60:0(Running Time)"));
        QCOMPARE(CountCheckedItems(&list), 0);
    }

    void withoutLanguageFileLabelsAreEmpty()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        store(1, 4, 1, 2, 61);
        store(2, 5, 1, 2, 0);
        QTreeWidget list;
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 2);
        QCOMPARE(row(list, 0).mid(5), (QStringList{"3", "1()", "2()", "1:1()", "0"}));
        QCOMPARE(row(list, 1).at(6), QString());
    }

    void onlyASingleCommandStartsChecked()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QTreeWidget list;
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 0);
        QCOMPARE(list.topLevelItemCount(), 0);

        store(1, 3, 0, 0, 0);
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 1);
        QCOMPARE(list.topLevelItem(0)->checkState(0), Qt::Checked);
        QVERIFY(list.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
        QCOMPARE(CountCheckedItems(&list), 1);

        store(2, 3, 0, 0, 0);
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 2);
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(CountCheckedItems(&list), 0);
        QCOMPARE(CountCheckedItems(nullptr), 0);

        // A list that cannot be read leaves no stale rows behind.
        QVERIFY(RunSql(QStringLiteral("drop table CommandsForPlay")));
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 0);
        QCOMPARE(list.topLevelItemCount(), 0);
    }

    void rowsFollowSequenceOrder()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        store(1, 3, 0, 0, 0, QStringLiteral("NULL"), QStringLiteral("'last'"), 9);
        store(2, 3, 0, 0, 0, QStringLiteral("NULL"), QStringLiteral("'first'"), 1);
        QTreeWidget list;
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 2);
        QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("2"));
        QCOMPARE(list.topLevelItem(0)->text(2), QStringLiteral("first"));
        QCOMPARE(list.topLevelItem(1)->text(1), QStringLiteral("9"));
    }

    void copyTakesTheCheckedCommandsWhole()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        store(1, 4, 3, 200, 125, QStringLiteral("700"), QStringLiteral("'it''s'"));
        store(2, 3, 0, 0, 0);
        store(3, 12, 1, 70000, 0); // wider than 16 bits: the low bits are kept
        QTreeWidget list;
        QCOMPARE(FillCommandList(&list, settings, lookups, playSet), 3);

        CommandClipboard copied;
        auto& clipboard = copied.commands;
        clipboard = {TControlObject{}};
        // Nothing checked: the clipboard keeps what it had.
        QCOMPARE(CopyCheckedCommands(&list, copied, playSet), 0);
        QCOMPARE(clipboard.size(), 1);

        list.topLevelItem(0)->setCheckState(0, Qt::Checked);
        list.topLevelItem(2)->setCheckState(0, Qt::Checked);
        QCOMPARE(CopyCheckedCommands(&list, copied, playSet), 2);
        QCOMPARE(clipboard.size(), 2);
        const TControlObject& a = clipboard[0];
        QCOMPARE(a.CommandID, 1);
        QCOMPARE(a.SequenceNo, 1);
        QCOMPARE(a.Remark, QStringLiteral("it's"));
        QCOMPARE(int(a.SubnetID), 1);
        QCOMPARE(int(a.DeviceID), 2);
        QCOMPARE(int(a.CommandTypeID), 4);
        QCOMPARE(int(a.FirstParameter), 3);
        QCOMPARE(int(a.SecondParameter), 200);
        QCOMPARE(int(a.ThirdParameter), 125);
        QCOMPARE(a.DelayMS, 700);
        QCOMPARE(clipboard[1].CommandID, 3);
        QCOMPARE(int(clipboard[1].SecondParameter), 70000 & 0xFFFF);

        // A checked command deleted meanwhile is left out, not copied blank.
        QVERIFY(RunSql(QStringLiteral("delete from CommandsForPlay where CommandID=3")));
        QCOMPARE(CopyCheckedCommands(&list, copied, playSet), 1);
        QCOMPARE(clipboard.size(), 1);
        QCOMPARE(clipboard[0].CommandID, 1);

        // A failing read leaves the clipboard as it was.
        QVERIFY(RunSql(QStringLiteral("drop table CommandsForPlay")));
        QCOMPARE(CopyCheckedCommands(&list, copied, playSet), 0);
        QCOMPARE(clipboard.size(), 1);
    }

    void columnsShareTheWholeWidth()
    {
        QCOMPARE(SharedWidths(100, {1, 1, 2}), (QList<int>{25, 25, 50}));
        QCOMPARE(SharedWidths(10, {1, 1, 1}), (QList<int>{3, 4, 3}));
        // A column kept at its minimum leaves the rest to the others.
        QCOMPARE(SharedWidths(100, {1, 1, 2}, {40}), (QList<int>{40, 20, 40}));
        QCOMPARE(SharedWidths(100, {1, 1, 2}, {0, 0, 90}), (QList<int>{5, 5, 90}));
        // Minimums beyond the width are kept all the same.
        QCOMPARE(SharedWidths(100, {1, 1}, {60, 60}), (QList<int>{60, 60}));

        // Widths adding up to 115 % of the list are scaled down to fit.
        QTreeWidget list;
        list.setColumnCount(10);
        list.resize(954, 300);
        FitColumns(&list, {0.6, 0.9, 0.8, 0.8, 0.7, 2.0, 1.1, 1.3, 1.8, 1.5});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (int width : {954, 500, 1400}) {
            list.resize(width, 300);
            QCOMPARE(visibleColumnsWidth(list), list.viewport()->width());
            QVERIFY(list.columnWidth(5) > list.columnWidth(0));
        }
    }

    void checkBoxesStandOutOnEveryRow()
    {
        QTreeWidget list;
        list.setColumnCount(2);
        StyleCommandList(&list);
        QCOMPARE(list.palette().color(QPalette::Base), QColor(159, 215, 181));
        for (Qt::CheckState state : {Qt::Checked, Qt::Unchecked, Qt::Checked, Qt::Unchecked}) {
            auto* item = new QTreeWidgetItem(QStringList{QString(), QStringLiteral("x")});
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, state);
            list.addTopLevelItem(item);
        }
        list.topLevelItem(2)->setSelected(true);
        list.topLevelItem(3)->setSelected(true);
        list.setFocusPolicy(Qt::NoFocus);
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage picture = list.viewport()->grab().toImage();
        for (int i = 0; i < 4; ++i) {
            const QRect cell = list.visualItemRect(list.topLevelItem(i));
            const QColor row = picture.pixelColor(list.columnWidth(0) + 30, cell.center().y());
            QCOMPARE(row, i < 2 ? list.palette().color(QPalette::Base) : list.palette().color(QPalette::Highlight));
            // Column 0 holds only the box: its outline is the pixel of the
            // row's middle line that stands out most.
            double best = 0;
            for (int x = 0; x < list.columnWidth(0); ++x)
                best = qMax(best, ContrastRatio(picture.pixelColor(x, cell.center().y()), row));
            QVERIFY2(best >= 3.0, qPrintable(QStringLiteral("row %1: %2:1").arg(i).arg(best)));
            QVERIFY(ContrastRatio(CheckIndicatorInk(row), row) >= 4.5);
        }
    }
};

QTEST_MAIN(TestCommandList)
#include "tst_commandlistwidget.moc"
