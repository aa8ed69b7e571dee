#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away program folder holding a fresh copy of the shipped run-time
// data (Database/DB.mdb, Language/English.ini, FormsDesignPosition/).
// ProgramPath() points into it while the object lives; the destructor closes
// the database and points ProgramPath() back at the executable's folder.
class TestProgramFolder {
public:
    TestProgramFolder();
    ~TestProgramFolder();
    TestProgramFolder(const TestProgramFolder&) = delete;
    TestProgramFolder& operator=(const TestProgramFolder&) = delete;

    // False when the shipped data could not be copied.
    bool isValid() const { return m_valid; }
    // The folder, with its trailing separator.
    QString folder() const;
    // The folder followed by the relative path.
    QString path(const QString& relativePath) const;
    // OpenDatabase on this folder's Database/DB.mdb.
    bool openDatabase(QString* failure = nullptr);

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

// Copies every file below `from` (hidden ones too) to the same place below
// `to`, replacing what is there and leaving each copy writable. False when
// `from` does not exist or a file could not be copied.
bool CopyTree(const QString& from, const QString& to);
