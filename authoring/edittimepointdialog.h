#pragma once

#include <QDialog>
#include <QString>

class MessagePresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// Opens the "Edit Current Time Point" dialog modally for one time point of
// a show. Returns true when it saved.
bool RunEditTimePointDialog(QWidget* parent, MessagePresenter& messages, const QString& showId,
                            const QString& showName, const QString& timePointId, const QString& remark);

// What the edit-time-point dialog does, without widgets: the time point's
// second split into hours, minutes and seconds, and the save with its range
// checks.
class EditTimePointLogic {
public:
    static constexpr int RemarkLength = 50;

    // Refusals and failures are shown through the presenter.
    EditTimePointLogic(MessagePresenter& messages, const QString& showId, const QString& showName,
                       const QString& timePointId, const QString& remark);

    // Reads the stored second (0 when there is no such time point).
    void load();

    // Checks the three fields and writes the second and the remark. False
    // leaves everything as entered.
    bool save(QWidget* owner = nullptr);

    QString showName;
    QString hour;
    QString minute;
    QString second;
    QString remark;

private:
    MessagePresenter& m_messages;
    QString m_showId;
    QString m_timePointId;
};

// The "Edit Current Time Point" dialog: renders the logic's fields and
// forwards "Save".
class EditTimePointDialog : public QDialog {
    Q_OBJECT
public:
    EditTimePointDialog(QWidget* parent, MessagePresenter& messages, const QString& showId,
                        const QString& showName, const QString& timePointId, const QString& remark);

    EditTimePointLogic& logic() { return m_logic; }

    QLabel* lblCurShow = nullptr;
    QLineEdit* editHour = nullptr;
    QLineEdit* editMinute = nullptr;
    QLineEdit* editSecond = nullptr;
    QLineEdit* editRemark = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnClose = nullptr;

    void bitbtnSaveClick();

private:
    EditTimePointLogic m_logic;
};
