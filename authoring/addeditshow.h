#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class FileChooser;
class MessagePresenter;
struct SettingsFiles;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Whether a listed show already has the name: in add mode (1) any show, in
// edit mode (2) a show other than showId. The show settings window passes
// its own check over the shows it lists.
using ShowNameCheck = std::function<bool(int mode, const QString& name, const QString& showId)>;

// Opens the add/edit show dialog modally: mode 1 adds a show, mode 2 edits
// the show showId; "Open..." asks the file chooser. Returns true when it
// saved.
bool RunAddEditShowDialog(QWidget* parent, MessagePresenter& messages, FileChooser& files, SettingsFiles& settings,
                          int mode, const QString& showId, const ShowNameCheck& nameExists);

// What the add/edit show dialog does, without widgets: its fields as texts,
// the media file choice and the save with its checks. The dialog copies its
// controls into the fields before an action and back after it.
class AddEditShowLogic {
public:
    enum Mode { AddMode = 1, EditMode = 2 };

    // Refusals and failures are shown through the presenter. The show's
    // name and media path are read from and written to Show.ini of the
    // settings files. An empty check uses the stored shows.
    AddEditShowLogic(MessagePresenter& messages, FileChooser& files, SettingsFiles& settings, int mode,
                     const QString& showId, ShowNameCheck nameExists = {});

    int mode() const { return m_mode; }
    QString title() const;

    // What the dialog shows on opening: the next sequence number and, in
    // edit mode, the stored show.
    void load();

    // "Open...": asks the file chooser; false when the operator cancelled.
    bool chooseMediaFile(QWidget* owner = nullptr);
    // Takes a chosen file: its path, its file name, and that name without
    // its extension as the show name.
    void takeMediaFile(const QString& chosenPath);

    // Checks the fields in order, showing the first refusal, then stores
    // the show. False leaves everything as entered.
    bool save(QWidget* owner = nullptr);

    // The dialog's fields.
    QString path;
    QString fileName;
    QString showName;
    QString sequenceNo;
    bool activeUniversalSwitch = false;
    QString universalSwitchId = QStringLiteral("0");

private:
    bool nameTaken(const QString& name, QWidget* owner, bool* taken) const;

    MessagePresenter& m_messages;
    FileChooser& m_files;
    SettingsFiles& m_settings;
    int m_mode;
    QString m_showId;
    ShowNameCheck m_nameExists;
};

// The add/edit show dialog. It only shows the fields of its logic and
// forwards the operator's actions to it.
class AddEditShowDialog : public QDialog {
    Q_OBJECT
public:
    AddEditShowDialog(QWidget* parent, MessagePresenter& messages, FileChooser& files, SettingsFiles& settings,
                      int mode, const QString& showId, const ShowNameCheck& nameExists);

    AddEditShowLogic& logic() { return m_logic; }

    QLabel* lblTitle = nullptr;
    QLineEdit* editPath = nullptr;
    QPushButton* bitbtnOpenFile = nullptr;
    QLineEdit* editShowName = nullptr;
    QLineEdit* editSequenceNo = nullptr;
    QCheckBox* chkActiveUniversalSwitch = nullptr;
    QLabel* lblUniversalSwitchID = nullptr;
    QLineEdit* editUniversalSwitchID = nullptr;
    QPushButton* bitbtnSave = nullptr;
    QPushButton* bitbtnClose = nullptr;
    QLabel* lblFileName = nullptr;

    void bitbtnOpenFileClick();
    void bitbtnSaveClick();
    void chkActiveUniversalSwitchClick();

private:
    void showFields();
    void gatherFields();

    AddEditShowLogic m_logic;
};
