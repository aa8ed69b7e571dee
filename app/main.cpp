#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolan"));
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMainTavolan"));
    window.setWindowTitle(QStringLiteral("Tavolan V1.4"));
    window.show();
    return app.exec();
}
