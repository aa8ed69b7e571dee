#include "commandline.h"
#include "logos.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "programsession.h"
#include "qtmediaplayer.h"
#include "remotehost.h"
#include "singleinstance.h"

#include <QApplication>
#include <QTextStream>

namespace {

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
    if (task.kind == CommandLineTask::ImportShow) {
        // Held until the import is done, so that no window starts meanwhile.
        SingleInstance instance;
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
    // The exchange options are looked at before any application object
    // exists: they run under a QCoreApplication alone.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineTask task = ParseCommandLine(arguments);
    if (task.kind != CommandLineTask::None)
        return runWithoutWindow(argc, argv, task);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolan"));
    QApplication::setWindowIcon(TavolanIcon());
    // The window hides in the notification area; only Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPresenter boxes;

    SingleInstance instance;
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
