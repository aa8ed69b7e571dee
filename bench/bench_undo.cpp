// Undo and redo of deleting a large show, run by hand inside a loopback-only
// network namespace (it sends nothing, but runs like the others):
//   unshare -rn sh -c 'ip link set lo up && exec build/benchbin/bench_undo [runs]'
//
// On the large show database (50 shows x 600 time points x 10 commands),
// each run (5 by default) deletes one show of 6,000 commands as Show
// Settings does, recorded as an undo step, then undoes and redoes it.
// Reported per run: the bare delete (the baseline), what recording adds
// before and after it, the undo (all the show's rows and its Show.ini entry
// put back) and the redo.

#include "benchsupport.h"
#include "largedatabase.h"
#include "rawsql.h"
#include "settingsfiles.h"
#include "showstore.h"
#include "undohistory.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

double msSince(QElapsedTimer& clock)
{
    const double ms = clock.nsecsElapsed() / 1e6;
    clock.restart();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TestProgramFolder folder;
    if (const int refused = PrepareLargeDatabaseBench(folder))
        return refused;
    SettingsFiles files;
    OpenSettingsFiles(files);
    files.ShowIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Database/Show.ini")));
    UndoHistory history(files);

    std::printf("%4s %10s %14s %16s %10s %10s  %s\n", "run", "delete ms", "record before", "record after",
                "undo ms", "redo ms", "commands back");
    for (int i = 1; i <= runs; ++i) {
        const int showId = i;
        QElapsedTimer clock;
        clock.start();
        auto step = history.begin(QStringLiteral("Delete Show"), {EditScope::wholeShow(showId)});
        const double before = msSince(clock);
        const bool deleted = bool(ShowStore::DeleteShow(showId));
        const double remove = msSince(clock);
        step.finish();
        const double after = msSince(clock);
        const bool undone = bool(history.undo());
        const double undo = msSince(clock);
        const int back =
            SelectedCount(QStringLiteral("select count(*) from CommandsForShow where ShowID=%1").arg(showId));
        clock.restart();
        const bool redone = bool(history.redo());
        const double redo = msSince(clock);
        std::printf("%4d %10.1f %14.1f %16.1f %10.1f %10.1f  %d%s\n", i, remove, before, after, undo, redo, back,
                    deleted && undone && redone ? "" : "  (failed)");
    }
    return 0;
}
