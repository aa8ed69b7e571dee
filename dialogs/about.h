#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QUrl;

// The about box: the program's name, version and build date, the maker's
// web address (opened in the browser on a click) and a contact address.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    // How the web address is opened: QDesktopServices::openUrl in the
    // program.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit AboutBox(UrlOpener openUrl, QWidget* parent = nullptr);

    // Opens the about box modally, with the desktop's browser for the web
    // address, and releases it when it closes.
    static void Execute(QWidget* parent);

    QLabel* lblAppName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblBuildDate = nullptr;
    QLabel* Label4 = nullptr;

    // What a click on the web address does.
    void Label4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UrlOpener m_openUrl;
};
