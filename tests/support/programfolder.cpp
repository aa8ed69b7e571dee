#include "programfolder.h"

#include "database.h"
#include "textops.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool CopyTree(const QString& from, const QString& to)
{
    QDir source(from);
    if (!source.exists())
        return false;
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QLatin1Char('/') + source.relativeFilePath(file);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            return false;
        QFile::remove(target);
        if (!QFile::copy(file, target))
            return false;
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return true;
}


TestProgramFolder::TestProgramFolder()
{
    CloseDatabase();
    m_valid = m_dir.isValid() && CopyTree(QStringLiteral(TAVOLAN_SHIPPED_DIR), m_dir.path())
              && QFileInfo::exists(m_dir.path() + QStringLiteral("/Database/DB.mdb"));
    QDir(m_dir.path()).mkpath(QStringLiteral("FormsDesignPosition"));
    QDir(m_dir.path()).mkpath(QStringLiteral("Language"));
    SetProgramFolder(folder());
}

TestProgramFolder::~TestProgramFolder()
{
    CloseDatabase();
    SetProgramFolder(QString());
}

QString TestProgramFolder::folder() const
{
    return m_dir.path() + QLatin1Char('/');
}

QString TestProgramFolder::path(const QString& relativePath) const
{
    return folder() + relativePath;
}

bool TestProgramFolder::openDatabase(QString* failure)
{
    return OpenDatabase(path(QStringLiteral("Database/DB.mdb")), failure);
}
