#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// What the program is asked to do from its command line:
//
//   tavolan [--folder DIR]                                   the window
//   tavolan [--folder DIR] --export-show ID FILE [--with-media]
//   tavolan [--folder DIR] --import-show FILE
//   tavolan --help | --version
//
// The show exchange runs do their work with no window, no bus link, no
// player and no remote control, and end.
struct CommandLineTask {
    enum Kind {
        None,    // no task: the window opens
        Invalid, // arguments that cannot be taken: `error` tells why
        Help,
        Version,
        ExportShow,
        ImportShow,
    };
    Kind kind = None;
    QString folder; // --folder DIR, empty when not given
    int showId = 0;
    QString file;
    bool withMedia = false;
    QString error;
};

// Every option, one line each, after the forms of the command.
QString CommandLineHelp();

// The arguments as the program got them, the program's own name first.
CommandLineTask ParseCommandLine(const QStringList& arguments);

// Runs a task that needs no window: the help or the version text, or an
// export or import on the program folder (ProgramPath()), for which it opens
// the database and Show.ini, does the work and closes the database again.
// What was done goes to `out`, why nothing was done to `err` (with the
// usage for arguments that cannot be taken). Returns the exit status: 0
// when done, 1 when refused or failed (nothing written), 2 for a task that
// is None or Invalid.
int RunCommandLineTask(const CommandLineTask& task, QTextStream& out, QTextStream& err);

// The exit status for arguments that could not be taken.
inline constexpr int CommandLineUsageStatus = 2;
