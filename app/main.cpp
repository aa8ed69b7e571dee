#include "logos.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "programsession.h"
#include "qtmediaplayer.h"
#include "remotehost.h"
#include "singleinstance.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
