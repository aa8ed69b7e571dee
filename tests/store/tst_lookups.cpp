#include "database.h"
#include "inifile.h"
#include "lookups.h"
#include "programfolder.h"
#include "rawsql.h"
#include "settingsfiles.h"

#include <QtTest>

class TestLookups : public QObject {
    Q_OBJECT

    SettingsFiles settings;
    LookupLists lookups;

private Q_SLOTS:
    void init()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
    }

    void shippedTablesLoadWithLanguageNames()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        settings.LanguageIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Language/English.ini")));
        QVERIFY(LoadUniversalSwitchStatuses(lookups));
        QVERIFY(LoadCommandTypes(lookups, settings));
        QVERIFY(LoadSecurityAlarmTypes(lookups));
        QVERIFY(LoadSecurityModes(lookups));
        QVERIFY(LoadCurtainStatuses(lookups));
        QCOMPARE(lookups.CommandTypeList.size(), 13);
        QCOMPARE(lookups.CommandTypeList[4].ID, 4);
        QCOMPARE(lookups.CommandTypeList[4].Note, QStringLiteral("Single Channel Control"));
        QCOMPARE(CommandTypeNameById(lookups, 12), QStringLiteral("Security Alarm"));
        QCOMPARE(lookups.UniversalSwitchStatusList.size(), 2);
        QCOMPARE(lookups.SecurityModeList.size(), 6);
        QCOMPARE(lookups.CurtainStatusList.size(), 3);
        QCOMPARE(lookups.SecurityAlarmTypeList.size(), 6);

        // Alarm types are found by Value, which in the shipped table is not the ID.
        QCOMPARE(SecurityAlarmNoteByValue(lookups, 257), QStringLiteral("Fire"));
        QCOMPARE(SecurityAlarmNoteByValue(lookups, 2), QString());
        QCOMPARE(SecurityAlarmValueByNote(lookups, QStringLiteral("Fire")), 257);
        QCOMPARE(SecurityAlarmValueByNote(lookups, QStringLiteral("fire")), -1);
    }

    void commandTypesWithoutLanguageFileHaveEmptyNames()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(LoadCommandTypes(lookups, settings));
        QCOMPARE(lookups.CommandTypeList.size(), 13);
        QCOMPARE(lookups.CommandTypeList[0].Note, QString());

        // A language file that lacks a kind leaves just that name empty.
        QVERIFY(RunSql(QStringLiteral("insert into Define_Command_Type(ID) values(40)")));
        settings.LanguageIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Language/English.ini")));
        QVERIFY(LoadCommandTypes(lookups, settings));
        QCOMPARE(lookups.CommandTypeList.size(), 14);
        QCOMPARE(CommandTypeNameById(lookups, 40), QString());
        QCOMPARE(CommandTypeNameById(lookups, 0), QStringLiteral("Scene Control"));
    }

    // Empty tables: some lists keep what they had, others become empty.
    void emptyTablesFollowEachListsRule()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        for (const char* table : {"Define_Universal_Switch_Status", "Define_Command_Type", "Define_Security_Alarm_Type",
                                  "Define_Security_Mode", "Define_Curtain_Status"})
            QVERIFY(RunSql(QStringLiteral("delete from ") + QLatin1String(table)));
        lookups.UniversalSwitchStatusList = {{5, QStringLiteral("kept")}};
        lookups.CommandTypeList = {{5, QStringLiteral("kept")}};
        lookups.SecurityAlarmTypeList = {{5, QStringLiteral("gone"), 9}};
        lookups.SecurityModeList = {{5, QStringLiteral("gone")}};
        lookups.CurtainStatusList = {{5, QStringLiteral("kept")}};
        QVERIFY(LoadUniversalSwitchStatuses(lookups));
        QVERIFY(LoadCommandTypes(lookups, settings));
        QVERIFY(LoadSecurityAlarmTypes(lookups));
        QVERIFY(LoadSecurityModes(lookups));
        QVERIFY(LoadCurtainStatuses(lookups));
        QCOMPARE(lookups.UniversalSwitchStatusList.size(), 1);
        QCOMPARE(lookups.CommandTypeList.size(), 1);
        QCOMPARE(lookups.CurtainStatusList.size(), 1);
        QVERIFY(lookups.SecurityAlarmTypeList.isEmpty());
        QVERIFY(lookups.SecurityModeList.isEmpty());

        QCOMPARE(UniversalSwitchStatusIdByNote(lookups, QStringLiteral("kept")), 5);
        lookups.UniversalSwitchStatusList.clear();
        QCOMPARE(UniversalSwitchStatusIdByNote(lookups, QStringLiteral("kept")), -1);
        QCOMPARE(NormalizeUniversalSwitchStatusNote(lookups, QStringLiteral("kept")), QString());
    }

    void missingTablesAreReportedToTheCaller()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(RunSql(QStringLiteral("drop table Define_Universal_Switch_Status")));
        QVERIFY(RunSql(QStringLiteral("drop table Define_Security_Mode")));
        lookups.SecurityModeList = {{1, QStringLiteral("before")}};
        QVERIFY(!LoadUniversalSwitchStatuses(lookups));
        QVERIFY(!LoadSecurityModes(lookups));
        QCOMPARE(lookups.SecurityModeList.size(), 1);
    }

    void lookupsTakeTheFirstExactMatch()
    {
        lookups.UniversalSwitchStatusList = {{0, QStringLiteral("Off")}, {1, QStringLiteral("On")},
                                        {2, QStringLiteral("On")}, {1, QStringLiteral("Again")}};
        QCOMPARE(UniversalSwitchStatusIdByNote(lookups, QStringLiteral("On")), 1);
        QCOMPARE(UniversalSwitchStatusIdByNote(lookups, QStringLiteral("on")), -1);
        QCOMPARE(UniversalSwitchStatusIdByNote(lookups, QStringLiteral("On ")), -1);
        QCOMPARE(UniversalSwitchStatusNoteById(lookups, 1), QStringLiteral("On"));
        QCOMPARE(UniversalSwitchStatusNoteById(lookups, 9), QString());
        QCOMPARE(NormalizeUniversalSwitchStatusNote(lookups, QStringLiteral("Again")), QStringLiteral("Again"));
        QCOMPARE(NormalizeUniversalSwitchStatusNote(lookups, QStringLiteral("again")), QStringLiteral("Off"));

        lookups.CurtainStatusList = {{0, QStringLiteral("Stop")}, {2, QStringLiteral("Close")}};
        QCOMPARE(CurtainStatusIdByNote(lookups, QStringLiteral("Close")), 2);
        QCOMPARE(CurtainStatusNoteById(lookups, 1), QString());
        lookups.SecurityModeList = {{3, QStringLiteral("Night")}};
        QCOMPARE(SecurityModeIdByNote(lookups, QStringLiteral("Night")), 3);
        QCOMPARE(SecurityModeNoteById(lookups, 3), QStringLiteral("Night"));
        QCOMPARE(SecurityModeIdByNote(lookups, QString()), -1);
    }
};

QTEST_MAIN(TestLookups)
#include "tst_lookups.moc"
