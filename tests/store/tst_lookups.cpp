#include "database.h"
#include "inifile.h"
#include "lookups.h"
#include "programfolder.h"
#include "publicvariable.h"
#include "rawsql.h"
#include "settingsfiles.h"

#include <QtTest>

class TestLookups : public QObject {
    Q_OBJECT

    SettingsFiles settings;

private Q_SLOTS:
    void init()
    {
        ResetPublicVariables();
        settings = SettingsFiles();
    }

    void shippedTablesLoadWithLanguageNames()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        settings.LanguageIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Language/English.ini")));
        QVERIFY(LoadUniversalSwitchStatuses());
        QVERIFY(LoadCommandTypes(settings));
        QVERIFY(LoadSecurityAlarmTypes());
        QVERIFY(LoadSecurityModes());
        QVERIFY(LoadCurtainStatuses());
        const PublicVariables& pv = mPublicVariable();
        QCOMPARE(pv.CommandTypeList.size(), 13);
        QCOMPARE(pv.CommandTypeList[4].ID, 4);
        QCOMPARE(pv.CommandTypeList[4].Note, QStringLiteral("Single Channel Control"));
        QCOMPARE(CommandTypeNameById(12), QStringLiteral("Security Alarm"));
        QCOMPARE(pv.UniversalSwitchStatusList.size(), 2);
        QCOMPARE(pv.SecurityModeList.size(), 6);
        QCOMPARE(pv.CurtainStatusList.size(), 3);
        QCOMPARE(pv.SecurityAlarmTypeList.size(), 6);

        // Alarm types are found by Value, which in the shipped table is not the ID.
        QCOMPARE(SecurityAlarmNoteByValue(257), QStringLiteral("Fire"));
        QCOMPARE(SecurityAlarmNoteByValue(2), QString());
        QCOMPARE(SecurityAlarmValueByNote(QStringLiteral("Fire")), 257);
        QCOMPARE(SecurityAlarmValueByNote(QStringLiteral("fire")), -1);
    }

    void commandTypesWithoutLanguageFileHaveEmptyNames()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(LoadCommandTypes(settings));
        QCOMPARE(mPublicVariable().CommandTypeList.size(), 13);
        QCOMPARE(mPublicVariable().CommandTypeList[0].Note, QString());

        // A language file that lacks a kind leaves just that name empty.
        QVERIFY(RunSql(QStringLiteral("insert into Define_Command_Type(ID) values(40)")));
        settings.LanguageIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Language/English.ini")));
        QVERIFY(LoadCommandTypes(settings));
        QCOMPARE(mPublicVariable().CommandTypeList.size(), 14);
        QCOMPARE(CommandTypeNameById(40), QString());
        QCOMPARE(CommandTypeNameById(0), QStringLiteral("Scene Control"));
    }

    // Empty tables: some lists keep what they had, others become empty.
    void emptyTablesFollowEachListsRule()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        for (const char* table : {"Define_Universal_Switch_Status", "Define_Command_Type", "Define_Security_Alarm_Type",
                                  "Define_Security_Mode", "Define_Curtain_Status"})
            QVERIFY(RunSql(QStringLiteral("delete from ") + QLatin1String(table)));
        PublicVariables& pv = mPublicVariable();
        pv.UniversalSwitchStatusList = {{5, QStringLiteral("kept")}};
        pv.CommandTypeList = {{5, QStringLiteral("kept")}};
        pv.SecurityAlarmTypeList = {{5, QStringLiteral("gone"), 9}};
        pv.SecurityModeList = {{5, QStringLiteral("gone")}};
        pv.CurtainStatusList = {{5, QStringLiteral("kept")}};
        QVERIFY(LoadUniversalSwitchStatuses());
        QVERIFY(LoadCommandTypes(settings));
        QVERIFY(LoadSecurityAlarmTypes());
        QVERIFY(LoadSecurityModes());
        QVERIFY(LoadCurtainStatuses());
        QCOMPARE(pv.UniversalSwitchStatusList.size(), 1);
        QCOMPARE(pv.CommandTypeList.size(), 1);
        QCOMPARE(pv.CurtainStatusList.size(), 1);
        QVERIFY(pv.SecurityAlarmTypeList.isEmpty());
        QVERIFY(pv.SecurityModeList.isEmpty());

        QCOMPARE(UniversalSwitchStatusIdByNote(QStringLiteral("kept")), 5);
        pv.UniversalSwitchStatusList.clear();
        QCOMPARE(UniversalSwitchStatusIdByNote(QStringLiteral("kept")), -1);
        QCOMPARE(NormalizeUniversalSwitchStatusNote(QStringLiteral("kept")), QString());
    }

    void missingTablesAreReportedToTheCaller()
    {
        TestProgramFolder folder;
        QVERIFY(folder.openDatabase());
        QVERIFY(RunSql(QStringLiteral("drop table Define_Universal_Switch_Status")));
        QVERIFY(RunSql(QStringLiteral("drop table Define_Security_Mode")));
        mPublicVariable().SecurityModeList = {{1, QStringLiteral("before")}};
        QVERIFY(!LoadUniversalSwitchStatuses());
        QVERIFY(!LoadSecurityModes());
        QCOMPARE(mPublicVariable().SecurityModeList.size(), 1);
    }

    void lookupsTakeTheFirstExactMatch()
    {
        PublicVariables& pv = mPublicVariable();
        pv.UniversalSwitchStatusList = {{0, QStringLiteral("Off")}, {1, QStringLiteral("On")},
                                        {2, QStringLiteral("On")}, {1, QStringLiteral("Again")}};
        QCOMPARE(UniversalSwitchStatusIdByNote(QStringLiteral("On")), 1);
        QCOMPARE(UniversalSwitchStatusIdByNote(QStringLiteral("on")), -1);
        QCOMPARE(UniversalSwitchStatusIdByNote(QStringLiteral("On ")), -1);
        QCOMPARE(UniversalSwitchStatusNoteById(1), QStringLiteral("On"));
        QCOMPARE(UniversalSwitchStatusNoteById(9), QString());
        QCOMPARE(NormalizeUniversalSwitchStatusNote(QStringLiteral("Again")), QStringLiteral("Again"));
        QCOMPARE(NormalizeUniversalSwitchStatusNote(QStringLiteral("again")), QStringLiteral("Off"));

        pv.CurtainStatusList = {{0, QStringLiteral("Stop")}, {2, QStringLiteral("Close")}};
        QCOMPARE(CurtainStatusIdByNote(QStringLiteral("Close")), 2);
        QCOMPARE(CurtainStatusNoteById(1), QString());
        pv.SecurityModeList = {{3, QStringLiteral("Night")}};
        QCOMPARE(SecurityModeIdByNote(QStringLiteral("Night")), 3);
        QCOMPARE(SecurityModeNoteById(3), QStringLiteral("Night"));
        QCOMPARE(SecurityModeIdByNote(QString()), -1);
    }
};

QTEST_MAIN(TestLookups)
#include "tst_lookups.moc"
