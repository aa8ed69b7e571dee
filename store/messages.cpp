#include "messages.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class BoxPresenter : public MessagePresenter {
public:
    MessageAnswer question(QWidget* owner, const QString& text, const QString& caption) override
    {
        QMessageBox box(QMessageBox::Question, caption, text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner);
        box.setDefaultButton(QMessageBox::No);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Cancel;
        }
    }

    void notice(QWidget* owner, const QString& text, const QString& caption) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
        box.exec();
    }

    void error(QWidget* owner, const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, owner);
        box.exec();
    }
};

MessagePresenter* installed = nullptr;

} // namespace

void SetMessagePresenter(MessagePresenter* presenter)
{
    installed = presenter;
}

MessagePresenter& CurrentMessagePresenter()
{
    static BoxPresenter boxes;
    return installed ? *installed : boxes;
}

MessageAnswer AskQuestion(QWidget* owner, const QString& text, const QString& caption)
{
    return CurrentMessagePresenter().question(owner, text,
                                              caption.isEmpty() ? QStringLiteral("Inquire") : caption);
}

void ShowNotice(QWidget* owner, const QString& text, const QString& caption)
{
    CurrentMessagePresenter().notice(owner, text, caption);
}

void ShowError(const QString& text)
{
    CurrentMessagePresenter().error(nullptr, text);
}
