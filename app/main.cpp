#include "commandline.h"
#include "logos.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "programlocation.h"
#include "programsession.h"
#include "qtmediaplayer.h"
#include "remotehost.h"
#include "singleinstance.h"
#include "textops.h"

#include <QApplication>
#include <QTextStream>

#include <optional>

namespace {

// The program folder chosen and made ready, set for the whole run; the
// reason it could not be on stderr (and, with a window, in a message box).
std::optional<QString> useProgramFolder(const CommandLineTask& task, MessagePresenter* boxes = nullptr)
{
    const ProgramFolderChoice chosen = ChooseProgramFolder(ProgramLocations::OfThisProgram(task.folder));
    if (!chosen) {
        QTextStream(stderr) << chosen.failure << Qt::endl;
        if (boxes)
            boxes->error(nullptr, chosen.failure);
        return std::nullopt;
    }
    SetProgramFolder(chosen.folder);
    return chosen.folder;
}

// An export or import from the command line: no window, no bus link, no
// player, no remote control. An export may run beside the program's window;
// an import may not, because the running program keeps Show.ini as it read
// it and would write the imported show's name away with its next change.
int runWithoutWindow(int argc, char* argv[], const CommandLineTask& task)
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tavolan"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const std::optional<QString> folder = useProgramFolder(task);
    if (!folder)
        return 1;
    if (task.kind == CommandLineTask::ImportShow) {
        // Held until the import is done, so that no window starts meanwhile.
        SingleInstance instance(SingleInstance::DefaultKey(*folder));
        if (!instance.tryBecomePrimary()) {
            err << "Tavolan is running: close it before importing a show (it would not see the show, and its "
                   "next change of Show.ini would drop the show's name)."
                << Qt::endl;
            return 1;
        }
        return RunCommandLineTask(task, out, err);
    }
    return RunCommandLineTask(task, out, err);
}

} // namespace

int main(int argc, char* argv[])
{
    // The arguments are read before any application object exists: the
    // help, the version and refused arguments need none, the show exchange
    // runs a QCoreApplication alone.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineTask task = ParseCommandLine(arguments);
    switch (task.kind) {
    case CommandLineTask::None:
        break;
    case CommandLineTask::ExportShow:
    case CommandLineTask::ImportShow:
        return runWithoutWindow(argc, argv, task);
    default: {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return RunCommandLineTask(task, out, err);
    }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolan"));
    QApplication::setWindowIcon(TavolanIcon());
    // Ties the window to the installed desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("tavolan"));
    // The window hides in the notification area; only Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPresenter boxes;
    const std::optional<QString> folder = useProgramFolder(task, &boxes);
    if (!folder)
        return 1;

    // One copy per program folder.
    SingleInstance instance(SingleInstance::DefaultKey(*folder));
    if (!instance.tryBecomePrimary()) {
        boxes.tell(nullptr, QString::fromLatin1(AlreadyOpenedText));
        instance.activateRunningInstance();
        return 0;
    }

    QtMediaPlayer player;
    ProgramSessionDependencies deps;
    deps.player = &player;
    deps.messages = &boxes;
    ProgramSession session(std::move(deps));
    MainWindowDependencies windowDeps;
    windowDeps.messages = &boxes;
    MainWindow window(session, windowDeps);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &MainWindow::BringToFront);
    QObject::connect(&window, &MainWindow::programEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!window.FormCreate())
        return 1;
    // Remote control, when [Remote] turns it on, once the session runs; a
    // port it cannot take is told and the program goes on without it.
    RemoteHost remote(session, boxes);
    remote.reload();
    QObject::connect(&window, &MainWindow::remoteSettingsSaved, &remote, &RemoteHost::reload);
    QObject::connect(&window, &MainWindow::programEnded, &remote, &RemoteHost::stop);
    return app.exec();
}
