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
    explicit AboutBox(QWidget* parent = nullptr);

    // Opens the about box modally and releases it when it closes.
    static void Execute(QWidget* parent);

    // How the web address is opened; the desktop's browser by default.
    // Tests install their own; an empty function restores the default.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static void SetUrlOpener(UrlOpener opener);

    QLabel* lblAppName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblBuildDate = nullptr;
    QLabel* Label4 = nullptr;

    // What a click on the web address does.
    void Label4Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
