#pragma once

#include "messages.h"

// The real message boxes: question, notice and error boxes on QMessageBox.
// The program makes one once its QApplication exists and hands it to the
// windows it opens.
class MessageBoxPresenter : public MessagePresenter {
public:
    MessageAnswer question(QWidget* owner, const QString& text, const QString& caption) override;
    void notice(QWidget* owner, const QString& text, const QString& caption) override;
    void error(QWidget* owner, const QString& text) override;
};
