#include "commandlist.h"
#include "inifile.h"
#include "lookups.h"
#include "parameterrules.h"
#include "programfolder.h"
#include "settingsfiles.h"
#include "storedfixture.h"
#include "scriptedmessages.h"

#include <QtTest>

// The shipped lookups: switch Off=0 On=1; curtain Stop=0 Open=1 Close=2;
// modes Vacation=1 ...; alarm types Burglar (Value 256) ... Gas leak (258).
class TestParameterRules : public QObject {
    Q_OBJECT

    SettingsFiles settings;
    LookupLists lookups;
private Q_SLOTS:
    void initTestCase()
    {
        settings = SettingsFiles();
        lookups = LookupLists();
        QVERIFY(m_folder.openDatabase());
        QVERIFY(LoadLanguageAndLookups(settings, lookups, m_folder));
    }

    void typeNamesMatchExactly()
    {
        QCOMPARE(KindOfTypeName(lookups, QStringLiteral("Curtain Switch")), 7);
        QCOMPARE(KindOfTypeName(lookups, QStringLiteral("curtain switch")), -1);
        QCOMPARE(KindOfTypeName(lookups, QStringLiteral("Curtain Switch ")), -1);
        QCOMPARE(KindOfTypeName(lookups, QString()), -1);
    }

    // What a command list shows is what the editor derives from it and what
    // the save turns back into the stored numbers.
    void listTextsRoundTripThroughTheRules()
    {
        struct Case {
            int kind, first, second, third;
        };
        const Case cases[] = {{0, 3, 4, 0},  {1, 3, 5, 0},   {2, 7, 1, 0},   {3, 0, 0, 0},     {4, 12, 100, 125},
                              {5, 255, 6, 0}, {6, 255, 80, 59}, {7, 2, 2, 0}, {8, 9, 200, 0},   {9, 1, 2, 0},
                              {10, 4, 5, 0}, {11, 1, 3, 0},  {12, 1, 258, 0}};
        for (const Case& k : cases) {
            TControlObject c;
            c.CommandTypeID = quint8(k.kind);
            c.FirstParameter = quint16(k.first);
            c.SecondParameter = quint16(k.second);
            c.ThirdParameter = quint16(k.third);
            const QStringList shown = CommandListCells(settings, lookups, c).mid(5, 3);
            QCOMPARE(DeriveParameters(settings, lookups, k.kind, shown[0], shown[1], shown[2]), shown);
            const StoredParameters stored = ConvertForSave(lookups, k.kind, shown[0], shown[1], shown[2]);
            QCOMPARE(stored.first, k.first);
            QCOMPARE(stored.second, k.second);
            QCOMPARE(stored.third, k.third);
            QCOMPARE(UnstorableParameter(lookups, k.kind, shown[0], shown[1], shown[2]), 0);
        }
    }

    void aNewKindRewritesTheParameters()
    {
        // Kind 0 with 5 and 300 becomes kind 4: the second stays (a number).
        QCOMPARE(DeriveParameters(settings, lookups, 4, "5(Area)", "300(Scene)", "N/A"),
                 (QStringList{"5(Channel)", "300(Level)", "0:0(Running Time)"}));
        QCOMPARE(DeriveParameters(settings, lookups, 5, "5(Area)", "3(Scene)", "N/A"), (QStringList{"All Areas", "3(Scene)", "N/A"}));
        // A number is no curtain state: the state with ID 0 is shown.
        QCOMPARE(DeriveParameters(settings, lookups, 7, "5(Area)", "3(Scene)", "N/A")[1], QStringLiteral("Stop(Status)"));
        QCOMPARE(DeriveParameters(settings, lookups, 2, "5(Area)", "Dim(Status)", "N/A")[1], QStringLiteral("Off(Status)"));
        QCOMPARE(DeriveParameters(settings, lookups, 11, "0(Area)", "50(Scene)", "N/A"), (QStringList{"0(Area)", "50(Mode)", "N/A"}));
        // Running time: minutes 0 to 60, seconds 0 to 59; beyond, each is 0.
        QCOMPARE(DeriveParameters(settings, lookups, 4, "5", "3", "61:30(Running Time)")[2], QStringLiteral("0:30(Running Time)"));
        QCOMPARE(DeriveParameters(settings, lookups, 4, "5", "3", "60:59(Running Time)")[2], QStringLiteral("60:59(Running Time)"));
        QCOMPARE(DeriveParameters(settings, lookups, 6, "5", "3", "7:60(Running Time)")[2], QStringLiteral("7:0(Running Time)"));
        QCOMPARE(DeriveParameters(settings, lookups, 0, "0(Switch No)", "On(Status)", "N/A"), (QStringList{"1(Area)", "0(Scene)", "N/A"}));
        QCOMPARE(DeriveParameters(settings, lookups, 3, "300", "7(Level)", "2:5(Running Time)"), (QStringList{"0", "7", "N/A"}));
        QCOMPARE(DeriveParameters(settings, lookups, -1, "0", "256", "N/A"), (QStringList{"0", "0", "N/A"}));
    }

    void defaultsAndWhatCannotBeStored()
    {
        QCOMPARE(KindDefaults(settings, lookups, 0), (QStringList{"1(Area)", "0(Scene)", "N/A"}));
        QCOMPARE(KindDefaults(settings, lookups, 6), (QStringList{"All Channels", "0(Level)", "0:0(Running Time)"}));
        QCOMPARE(KindDefaults(settings, lookups, 12)[1], QStringLiteral("0(Alarm Type)"));
        QCOMPARE(EditorsForNewKind(lookups, 12, "0(Area)", "0(Alarm Type)", "N/A").listIndex, -1);
        QCOMPARE(EditorsForNewKind(lookups, 7, "0", "Stop(Status)", "N/A").listIndex, 0);
        QCOMPARE(UnstorableParameter(lookups, 12, "0(Area)", "0(Alarm Type)", "N/A"), 2);
        QCOMPARE(UnstorableParameter(lookups, 7, "1", "(Status)", "N/A"), 2);
        QCOMPARE(UnstorableParameter(lookups, 0, "x", "1", "N/A"), 1);
        QCOMPARE(UnstorableParameter(lookups, 1, "1", "70000", "N/A"), 2);
        QCOMPARE(UnstorableParameter(lookups, 4, "1", "2", "1093:0(Running Time)"), 3);
        QCOMPARE(UnstorableParameter(lookups, 4, "1", "2", "1092:15(Running Time)"), 0);
    }

    void editorsByKind()
    {
        using E = ParameterEditor;
        QCOMPARE(ShowEditorsForKind(10), ParameterEditors(E::FirstPara | E::SecondPara)); // no third box
        QCOMPARE(ShowEditorsForKind(3), ParameterEditors(E::FirstPara | E::SecondPara));
        QCOMPARE(ShowEditorsForKind(6), ParameterEditors(E::SecondPara | E::RunTime));
        QCOMPARE(ShowEditorsForKind(12), ParameterEditors(E::FirstPara | E::List));

        QCOMPARE(EditorsForRow(lookups, 3, "0", "0", "N/A").shown, ParameterEditors());
        const RowEditorFill time = EditorsForRow(lookups, 4, "1(Channel)", "0(Level)", "N/A");
        QCOMPARE(time.shown, ParameterEditors(E::FirstPara | E::SecondPara | E::RunTime));
        QCOMPARE(QStringList({time.first, time.second, time.minute, time.seconds}), (QStringList{"1", "0", "0", "0"}));
        // A name no entry bears: the switch list shows nothing, the others their first entry.
        QCOMPARE(EditorsForRow(lookups, 2, "1", "(Status)", "N/A").listIndex, -1);
        QCOMPARE(EditorsForRow(lookups, 2, "1", "On(Status)", "N/A").listIndex, 1);
        QCOMPARE(EditorsForRow(lookups, 7, "1", "(Status)", "N/A").listIndex, 0);
        QCOMPARE(EditorsForRow(lookups, 11, "1", "50(Mode)", "N/A").listIndex, 0);
        QCOMPARE(EditorsForRow(lookups, 12, "1", "Gas leak(Alarm Type)", "N/A").listIndex, 2);
        const RowEditorFill other = EditorsForRow(lookups, 9, "300", "x", "N/A");
        QCOMPARE(QStringList({other.first, other.second}), (QStringList{"1", "0"}));
    }

    void leftBoxesAreDescribedByKind()
    {
        QCOMPARE(FirstParameterText(settings, 2, "9"), QStringLiteral("9(Switch No)"));
        QCOMPARE(FirstParameterText(settings, 9, "9"), QStringLiteral("9"));
        QCOMPARE(SecondParameterText(settings, 5, "9"), QStringLiteral("9(Scene)"));
        QCOMPARE(SecondParameterText(settings, 7, "9"), QStringLiteral("9"));
    }

    void saveConversion()
    {
        QCOMPARE(ConvertForSave(lookups, 4, "1", "2", "75:10(Running Time)").third, 4510);
        QCOMPARE(ConvertForSave(lookups, 0, "1", "2", "N/A").third, 0);
        QCOMPARE(ConvertForSave(lookups, 5, "All Areas", "2", "N/A").first, 255);
        QCOMPARE(ConvertForSave(lookups, 11, "1", "50(Mode)", "N/A").second, -1);
        QCOMPARE(ConvertForSave(lookups, 12, "1", "Fire(Alarm Type)", "N/A").second, 257);
        QCOMPARE(ConvertForSave(lookups, 2, "1", "(Status)", "N/A").second, 0);
        QCOMPARE(ConvertForSave(lookups, 7, "1", "Close(Status)", "N/A").second, 2);
    }

private:
    TestProgramFolder m_folder;
};

QTEST_MAIN(TestParameterRules)
#include "tst_parameterrules.moc"
