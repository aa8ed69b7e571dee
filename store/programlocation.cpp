#include "programlocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

const QString databaseFolder = QStringLiteral("Database");

// Copies every file of the shipped defaults that the folder lacks, and
// makes their folders (an empty one too: layouts are saved into it). False
// with the reason when one cannot be copied.
bool seedFrom(const QString& defaults, const QString& folder, bool* copiedAny, QString* failure)
{
    QDirIterator folders(defaults, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (folders.hasNext()) {
        const QString to = QDir(folder).filePath(QDir(defaults).relativeFilePath(folders.next()));
        if (QFileInfo(to).isDir())
            continue;
        if (!QDir().mkpath(to)) {
            *failure = QStringLiteral("Could not make the folder %1").arg(QDir::toNativeSeparators(to));
            return false;
        }
        *copiedAny = true;
    }
    QDirIterator files(defaults, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        const QString to = QDir(folder).filePath(QDir(defaults).relativeFilePath(from));
        if (QFileInfo::exists(to))
            continue;
        if (!QDir().mkpath(QFileInfo(to).absolutePath()) || !QFile::copy(from, to)) {
            *failure = QStringLiteral("Could not copy %1 into %2").arg(QDir::toNativeSeparators(from),
                                                                      QDir::toNativeSeparators(folder));
            return false;
        }
        // Shipped files are read-only; the operator's copies are written to.
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner);
        *copiedAny = true;
    }
    return true;
}

ProgramFolderChoice makeReady(const ProgramLocations& locations, const QString& folder)
{
    ProgramFolderChoice choice;
    const QString shown = QDir::toNativeSeparators(folder);
    // The folder, or the nearest one above it that exists, must take files
    // before anything is created.
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo::exists(existing) && QFileInfo(existing).dir().absolutePath() != existing)
        existing = QFileInfo(existing).dir().absolutePath();
    if (!QFileInfo(existing).isDir() || !locations.writable(existing) || !QDir().mkpath(folder)
        || !locations.writable(folder)) {
        choice.failure = QStringLiteral("The program folder %1 cannot be created or written. Tavolan needs a "
                                        "folder it may write its shows into; start it with --folder and a "
                                        "folder of your own.")
                             .arg(shown);
        return choice;
    }
    if (!locations.shippedDefaults.isEmpty() && QFileInfo(locations.shippedDefaults).isDir()
        && !seedFrom(locations.shippedDefaults, folder, &choice.seeded, &choice.failure))
        return choice;
    choice.folder = QDir(folder).absolutePath();
    return choice;
}

} // namespace

bool FolderIsWritable(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-test-XXXXXX")));
    return probe.open();
}

ProgramLocations ProgramLocations::OfThisProgram(const QString& requested)
{
    ProgramLocations locations;
    locations.requested = requested;
    locations.executableFolder = QCoreApplication::applicationDirPath();
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    locations.dataHome = QDir::isAbsolutePath(xdg) ? xdg : QDir::home().filePath(QStringLiteral(".local/share"));
    locations.shippedDefaults =
        QDir::cleanPath(QDir(locations.executableFolder).filePath(QStringLiteral("../share/tavolan")));
    locations.writable = FolderIsWritable;
    return locations;
}

ProgramFolderChoice ChooseProgramFolder(const ProgramLocations& locations)
{
    if (!locations.requested.isEmpty())
        return makeReady(locations, locations.requested);
    const QDir own(locations.executableFolder);
    if (own.exists(databaseFolder) && locations.writable(locations.executableFolder)) {
        ProgramFolderChoice choice;
        choice.folder = own.absolutePath();
        return choice;
    }
    return makeReady(locations, QDir(locations.dataHome).filePath(QStringLiteral("tavolan")));
}
