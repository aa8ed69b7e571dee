#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// What the program is asked to do from its command line. Most runs ask for
// nothing and open the window; the show exchange runs do their work with
// no window, no bus link, no player and no remote control, and end:
//
//   tavolan --export-show ID FILE [--with-media]
//   tavolan --import-show FILE
struct CommandLineTask {
    enum Kind {
        None,    // none of the options below: the window opens as ever
        Invalid, // one of them, wrongly given: `error` tells why
        ExportShow,
        ImportShow,
    };
    Kind kind = None;
    int showId = 0;
    QString file;
    bool withMedia = false;
    QString error;
};

// The arguments as the program got them, the program's own name first.
CommandLineTask ParseCommandLine(const QStringList& arguments);

// Runs an export or import on the program folder (ProgramPath()): opens the
// database and Show.ini, does the work and closes the database again. What
// was done goes to `out`, why nothing was done to `err`. Returns the exit
// status: 0 when done, 1 when refused or failed (nothing written), 2 for a
// task that is None or Invalid.
int RunCommandLineTask(const CommandLineTask& task, QTextStream& out, QTextStream& err);

// The exit status for arguments that could not be taken.
inline constexpr int CommandLineUsageStatus = 2;
