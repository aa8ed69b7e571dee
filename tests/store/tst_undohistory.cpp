#include "database.h"
#include "settingsfiles.h"
#include "showstore.h"
#include "storedfixture.h"
#include "undohistory.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlRecord>
#include <QtTest>

namespace ed = ShowStore;
using ed::CommandTarget;

namespace {

// Every row of the show and command tables in key order, each value with
// its type (an empty column differs from 0 and from empty text), and the
// bytes of Show.ini.
QStringList Dump(const QString& showIniPath)
{
    const QStringList tables{QStringLiteral("Show order by ShowID"),
                             QStringLiteral("TimePoint order by ShowID,TimePointID"),
                             QStringLiteral("CommandsForShow order by ShowID,TimePointID,CommandID"),
                             QStringLiteral("CommandsForPlay order by CommandID"),
                             QStringLiteral("CommandsForPause order by CommandID"),
                             QStringLiteral("CommandsForStop order by CommandID")};
    QStringList out;
    for (const QString& table : tables) {
        QSqlQuery q = StandaloneQuery();
        if (!q.exec(QStringLiteral("select * from ") + table))
            return {QStringLiteral("cannot read ") + table};
        while (q.next()) {
            QStringList fields{table.section(QLatin1Char(' '), 0, 0)};
            for (int i = 0; i < q.record().count(); ++i)
                fields << (q.isNull(i) ? QStringLiteral("<null>")
                                       : QStringLiteral("%1:%2").arg(q.value(i).typeName(), q.value(i).toString()));
            out << fields.join(QLatin1Char('|'));
        }
    }
    QFile ini(showIniPath);
    out << (ini.open(QIODevice::ReadOnly) ? QString::fromUtf8(ini.readAll()) : QStringLiteral("<no Show.ini>"));
    return out;
}

// Random authoring edits, each recorded as one step the way the windows
// record theirs.
class RandomEditor {
public:
    RandomEditor(SettingsFiles& files, UndoHistory& history, quint32 seed)
        : m_files(files), m_history(history), m_random(seed)
    {
    }

    void edit()
    {
        switch (m_random.bounded(10)) {
        case 0:
            return addShow();
        case 1:
            return withShow([this](int id) {
                record(EditScope::showEntry(id), [&] {
                    return bool(ed::UpdateShow(m_files, id, fields()));
                });
            });
        case 2:
            return withShow([this](int id) { record(EditScope::wholeShow(id), [&] { return bool(ed::DeleteShow(id)); }); });
        case 3:
            return withShow([this](int id) {
                const int second = m_random.bounded(600);
                if (*ed::TimePointExistsAt(id, second))
                    return;
                record(EditScope::timePoint(id, *ed::NextTimePointId(id)),
                       [&] { return bool(ed::AddTimePoint(id, second)); });
            });
        case 4:
            return withTimePoint([this](int show, int point) {
                record(EditScope::timePoint(show, point), [&] {
                    return bool(ed::UpdateTimePoint(show, point, m_random.bounded(100000, 100600),
                                                    m_random.bounded(2) ? QString() : QStringLiteral("Ω %1").arg(point)));
                });
            });
        case 5:
            return withTimePoint([this](int show, int point) {
                record(EditScope::timePoint(show, point), [&] { return bool(ed::DeleteTimePoint(show, point)); });
            });
        default:
            return editCommands();
        }
    }

private:
    template <typename Write> void record(const EditScope& scope, Write write)
    {
        UndoHistory::Recording step = m_history.begin(QStringLiteral("edit"), {scope});
        QVERIFY(step.isActive());
        QVERIFY(write());
        step.finish();
    }

    ed::ShowFields fields()
    {
        ed::ShowFields f;
        f.SequenceNo = m_random.bounded(1, 50);
        f.ActivedUniversalSwitch = m_random.bounded(2);
        f.UniversalSwitchID = m_random.bounded(1, 255);
        f.Name = QStringLiteral("Show %1").arg(m_random.bounded(1000));
        f.URL = QStringLiteral("/media/%1.mp4").arg(m_random.bounded(1000));
        return f;
    }

    void addShow()
    {
        record(EditScope::showEntry(*ed::NextShowId()), [this] { return bool(ed::AddShow(m_files, fields())); });
    }

    template <typename Use> void withShow(Use use)
    {
        const auto shows = ed::ReadShows(m_files);
        if (shows->isEmpty())
            return addShow();
        use(shows->at(m_random.bounded(int(shows->size()))).ShowID);
    }

    template <typename Use> void withTimePoint(Use use)
    {
        withShow([&](int show) {
            const auto points = ed::ReadTimePoints(show);
            if (!points->isEmpty())
                use(show, points->at(m_random.bounded(int(points->size()))).TimePointID);
        });
    }

    void editCommands()
    {
        CommandTarget target = CommandTarget::set(CommandSetCode(m_random.bounded(2, 5)));
        if (m_random.bounded(3)) {
            bool found = false;
            withTimePoint([&](int show, int point) {
                target = CommandTarget::timePoint(show, point);
                found = true;
            });
            if (!found)
                return;
        }
        const QVector<TControlObject> commands = *ed::ReadCommands(target);
        const EditScope scope = EditScope::commands(target);
        switch (commands.isEmpty() ? 0 : m_random.bounded(4)) {
        case 0:
            return record(scope, [&] { return bool(ed::AddBlankCommands(target, m_random.bounded(1, 4))); });
        case 1:
            return record(scope, [&] { return bool(ed::PasteCommands(target, commands.mid(0, 3))); });
        case 2: {
            QVector<TControlObject> edited = commands.mid(m_random.bounded(int(commands.size())));
            for (TControlObject& c : edited) {
                c.DeviceID = quint8(m_random.bounded(256));
                c.FirstParameter = quint16(m_random.bounded(65536));
                c.Remark = m_random.bounded(2) ? QStringLiteral("it's 100%") : QString();
                c.DelayMS = m_random.bounded(5000);
            }
            return record(scope, [&] { return bool(ed::UpdateCommands(target, edited)); });
        }
        default:
            return record(scope, [&] {
                return bool(ed::DeleteCommands(target, {commands.at(m_random.bounded(int(commands.size()))).CommandID}));
            });
        }
    }

    SettingsFiles& m_files;
    UndoHistory& m_history;
    QRandomGenerator m_random;
};

// Whatever replaces Show.ini is refused while `refuse` holds.
struct RefusableShowIni {
    std::shared_ptr<bool> refuse = std::make_shared<bool>(false);
    void open(SettingsFiles& files, const QString& path)
    {
        files.ShowIni = std::make_unique<IniFile>(path, [r = refuse] { return !*r; });
    }
};

} // namespace

class TestUndoHistory : public QObject, private StoredDataFixture {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(openStore());
        m_showIni = folder->path(QStringLiteral("Database/Show.ini"));
        m_ini.open(settings, m_showIni);
        // Thousands of commits follow; what they write is what counts here,
        // not that it reaches the disk.
        QVERIFY(RunSql(QStringLiteral("pragma synchronous=off")));
        // Two shows with time points and commands, the play set, and the
        // Show.ini entry a deleted show left behind (an added show takes
        // its ShowID and entry over).
        QVERIFY(RunSql(QStringLiteral("insert into Show values(1,1,1,7),(2,2,0,0)")));
        QVERIFY(RunSql(QStringLiteral("insert into TimePoint values(1,1,5,'start'),(1,2,9,null),(2,1,3,'')")));
        QVERIFY(RunSql(QStringLiteral("insert into CommandsForShow values(1,1,1,1,'a',1,2,3,4,5,6,null),"
                                      "(1,1,2,2,null,1,3,4,255,65535,0,250),(2,1,1,1,'',0,0,3,0,0,0,0)")));
        QVERIFY(RunSql(QStringLiteral("insert into CommandsForPlay values(1,1,'go',1,2,3,4,5,6,0)")));
        QVERIFY(WriteShowEntry(settings, 1, QStringLiteral("Fountain"), QStringLiteral("/m/f.mp4")));
        QVERIFY(WriteShowEntry(settings, 2, QStringLiteral("Evening"), QStringLiteral("/m/e.mp4")));
        QVERIFY(WriteShowEntry(settings, 3, QStringLiteral("Old"), QStringLiteral("/m/old.mp4")));
    }
    void cleanup() { closeStore(); }

    // Random edits, then undo all: the tables and Show.ini are as they were
    // at the start; redo all: as they were at the end. Each sequence starts
    // where the one before ended, with a history of its own.
    void undoAllAndRedoAllRestoreEveryRow()
    {
        for (quint32 seed = 1; seed <= 200; ++seed) {
            UndoHistory history(settings, 1000);
            RandomEditor editor(settings, history, seed);
            const QStringList start = Dump(m_showIni);
            const int edits = 1 + int(seed % 12);
            for (int i = 0; i < edits; ++i)
                editor.edit();
            const QStringList end = Dump(m_showIni);
            while (history.canUndo())
                QVERIFY2(history.undo().ok, qPrintable(QStringLiteral("seed %1").arg(seed)));
            QCOMPARE(Dump(m_showIni), start);
            while (history.canRedo())
                QVERIFY2(history.redo().ok, qPrintable(QStringLiteral("seed %1").arg(seed)));
            QCOMPARE(Dump(m_showIni), end);
        }
    }

    void undoOfShowDeleteBringsBackItsRowsEntryAndId()
    {
        UndoHistory history(settings);
        QSignalSpy changed(&history, &UndoHistory::changed);
        const QStringList before = Dump(m_showIni);
        auto step = history.begin(QStringLiteral("Delete Show (Fountain)"), {EditScope::wholeShow(1)});
        QVERIFY(ed::DeleteShow(1));
        step.finish();
        QCOMPARE(history.undoText(), QStringLiteral("Delete Show (Fountain)"));
        QCOMPARE(changed.size(), 1);

        QVERIFY(history.undo());
        QCOMPARE(Dump(m_showIni), before);
        QCOMPARE(ed::ReadShow(settings, 1)->value().Name, QStringLiteral("Fountain"));
        QCOMPARE(history.redoText(), QStringLiteral("Delete Show (Fountain)"));
        QVERIFY(history.redo());
        QCOMPARE(SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=1")), 0);
    }

    // An edit that changed nothing is no step; a new edit drops the redo
    // stack; the oldest steps go beyond the capacity.
    void stepsAreKeptUpToTheCapacity()
    {
        UndoHistory history(settings, 3);
        auto same = history.begin(QStringLiteral("Edit Time Point"), {EditScope::timePoint(1, 1)});
        QVERIFY(ed::UpdateTimePoint(1, 1, 5, QStringLiteral("start")));
        same.finish();
        QVERIFY(!history.canUndo());

        for (int second = 10; second < 15; ++second) {
            auto step = history.begin(QStringLiteral("Edit %1").arg(second), {EditScope::timePoint(1, 1)});
            QVERIFY(ed::UpdateTimePoint(1, 1, second, {}));
            step.finish();
        }
        QCOMPARE(history.undoCount(), 3);
        QVERIFY(history.undo());
        QVERIFY(history.canRedo());
        auto step = history.begin(QStringLiteral("Edit 20"), {EditScope::timePoint(1, 1)});
        QVERIFY(ed::UpdateTimePoint(1, 1, 20, {}));
        step.finish();
        QVERIFY(!history.canRedo());
        while (history.canUndo())
            QVERIFY(history.undo());
        QCOMPARE(ed::ReadTimePoint(1, 1)->value().SecondOfTimePoint, 11);
    }

    // Rows written since by something else, or a Show.ini that refuses the
    // entry: nothing is changed, the step stays to be undone.
    void refusedUndoKeepsRowsFileAndStacks()
    {
        UndoHistory history(settings);
        auto step = history.begin(QStringLiteral("Edit Show (Fountain)"), {EditScope::showEntry(1)});
        ed::ShowFields f{4, false, 0, QStringLiteral("Fountain 2"), QStringLiteral("/m/f2.mp4")};
        QVERIFY(ed::UpdateShow(settings, 1, f));
        step.finish();
        const QStringList edited = Dump(m_showIni);

        *m_ini.refuse = true;
        const auto refused = history.undo();
        QVERIFY(!refused.ok);
        QVERIFY(refused.error.contains(QStringLiteral("Show.ini")));
        QCOMPARE(Dump(m_showIni), edited);
        QCOMPARE(history.undoCount(), 1);
        QVERIFY(!history.canRedo());

        *m_ini.refuse = false;
        QVERIFY(RunSql(QStringLiteral("update Show set SequenceNo=9 where ShowID=1")));
        const QStringList changedSince = Dump(m_showIni);
        QVERIFY(!history.undo().ok);
        QCOMPARE(Dump(m_showIni), changedSince);
        QCOMPARE(history.undoCount(), 1);
    }

private:
    QString m_showIni;
    RefusableShowIni m_ini;
};

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
