#include "messageboxes.h"

#include "messages.h"

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

} // namespace

void UseMessageBoxes()
{
    static BoxPresenter boxes;
    SetDefaultMessagePresenter(&boxes);
}
