#include "commandline.h"

#include "backups.h"
#include "database.h"
#include "inifile.h"
#include "settingsfiles.h"
#include "showexchange.h"
#include "textops.h"
#include "version.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace {

const QString ExportName = QStringLiteral("export-show");
const QString ImportName = QStringLiteral("import-show");
const QString WithMediaName = QStringLiteral("with-media");

const QString Usage = QStringLiteral("Usage: tavolan [--folder DIR]\n"
                                     "       tavolan [--folder DIR] --export-show ID FILE [--with-media]\n"
                                     "       tavolan [--folder DIR] --import-show FILE\n"
                                     "       tavolan --help | --version");

CommandLineTask invalid(const QString& why)
{
    CommandLineTask task;
    task.kind = CommandLineTask::Invalid;
    task.error = why;
    return task;
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The open program folder's database and Show.ini; closes the database when it goes.
struct OpenFolder {
    SettingsFiles files;
    QString failure;

    OpenFolder()
    {
        if (!OpenDatabase(ProgramPath(QStringLiteral("Database/DB.mdb")), &failure))
            return;
        files.ShowIni = std::make_unique<IniFile>(ProgramPath(QStringLiteral("Database/Show.ini")));
        if (!files.ShowIni->readError().isEmpty())
            failure = QStringLiteral("%1 (%2)").arg(files.ShowIni->readError(), shown(files.ShowIni->path()));
    }
    ~OpenFolder() { CloseDatabase(); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    bool isOpen() const { return failure.isEmpty(); }
};

int runExport(const CommandLineTask& task, QTextStream& out, QTextStream& err)
{
    OpenFolder folder;
    if (!folder.isOpen()) {
        err << "The show could not be exported: " << folder.failure << Qt::endl;
        return 1;
    }
    const auto written = ShowExchange::ExportShow(folder.files, task.showId, task.file, task.withMedia);
    if (!written) {
        err << "The show could not be exported: " << written.error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("Show %1 \"%2\" was exported to %3")
               .arg(task.showId)
               .arg(ShowNameOf(folder.files, task.showId), shown(task.file));
    if (task.withMedia)
        out << QStringLiteral(" with its media file %1")
                   .arg(QFileInfo(ShowExchange::MediaPathOf(folder.files, task.showId)).fileName());
    out << '.' << Qt::endl;
    return 0;
}

// A snapshot of the shows as they are, as the windows take one before an
// import. The import only adds, so one that cannot be taken is told and the
// import goes on.
void snapshotBeforeImport(QTextStream& out, QTextStream& err)
{
    const BackupPaths paths = BackupPaths::InFolder(ProgramPath(QStringLiteral("Database")));
    const QDateTime now = QDateTime::currentDateTime();
    QString failure;
    const std::shared_ptr<const DatabaseImage> image = DatabaseImage::OfOpenDatabase(&failure);
    SnapshotResult taken;
    if (image)
        taken = TakeSnapshot(paths, now, QStringLiteral("TavolanCommandLineSnapshot"), {}, image);
    else
        taken.failure = failure;
    if (!taken.ok) {
        err << "No snapshot was taken before the import: " << taken.failure << Qt::endl;
        return;
    }
    PruneSnapshots(paths.backupsFolder, now);
    out << QStringLiteral("A snapshot of the shows was taken first: %1.").arg(QDir::toNativeSeparators(taken.info.folder))
        << Qt::endl;
}

int runImport(const CommandLineTask& task, QTextStream& out, QTextStream& err)
{
    OpenFolder folder;
    if (!folder.isOpen()) {
        err << "The show could not be imported: " << folder.failure << Qt::endl;
        return 1;
    }
    const auto package = ShowExchange::ReadPackage(task.file);
    if (!package) {
        err << package.error << Qt::endl;
        return 1;
    }
    const auto plan = ShowExchange::PlanShowImport(folder.files, *package);
    if (!plan) {
        err << QStringLiteral("%1 cannot be imported: %2").arg(shown(task.file), plan.error) << Qt::endl;
        return 1;
    }
    snapshotBeforeImport(out, err);
    const auto imported = ShowExchange::ImportShow(folder.files, *package, *plan);
    if (!imported) {
        err << "The show could not be imported: " << imported.error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("Imported show \"%1\" as ShowID %2 (%3 time points, %4 commands).")
               .arg(plan->importName)
               .arg(*imported)
               .arg(plan->timePoints)
               .arg(plan->commands)
        << Qt::endl;
    if (plan->nameClash)
        out << QStringLiteral("A show named \"%1\" existed already: the import is named \"%2\".")
                   .arg(plan->name, plan->importName)
            << Qt::endl;
    if (plan->switchClash)
        out << QStringLiteral("Universal switch %1 is in use by another show: the import is stored with its switch off.")
                   .arg(plan->switchId)
            << Qt::endl;
    if (plan->mediaIncluded)
        out << QStringLiteral("Its media file is %1.").arg(QDir::toNativeSeparators(ShowUrlOf(folder.files, *imported)))
            << Qt::endl;
    if (plan->mediaMissing)
        out << QStringLiteral("Its media file %1 is neither in the file nor in the Media folder: the show will not "
                              "play until it is put there.")
                   .arg(plan->mediaFile)
            << Qt::endl;
    return 0;
}

} // namespace

QString CommandLineHelp()
{
    return Usage + QStringLiteral(
               "\n\n"
               "Shows a video or music file and sends each time point's commands to the bus gateways.\n\n"
               "Options:\n"
               "  --folder DIR           use DIR as the program folder (Database/, Language/, FormsDesignPosition/)\n"
               "  --export-show ID FILE  write show ID into FILE, a .tavshow file, with no window\n"
               "  --with-media           with --export-show: put the show's media file into FILE too\n"
               "  --import-show FILE     import the show in FILE as a new show, with no window\n"
               "  --help                 show this text and end\n"
               "  --version              show the program's version and end\n\n"
               "Without --folder the program folder is the program's own folder when it holds a Database\n"
               "folder and may be written, otherwise $XDG_DATA_HOME/tavolan (~/.local/share/tavolan),\n"
               "made from the shipped defaults on first start.");
}

CommandLineTask ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption({QStringLiteral("help"), QStringLiteral("h")}, QString());
    const QCommandLineOption versionOption(QStringLiteral("version"), QString());
    const QCommandLineOption folderOption(QStringLiteral("folder"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption exportOption(ExportName, QString(), QStringLiteral("ID"));
    const QCommandLineOption importOption(ImportName, QString(), QStringLiteral("FILE"));
    const QCommandLineOption withMediaOption(WithMediaName, QString());
    parser.addOptions({helpOption, versionOption, folderOption, exportOption, importOption, withMediaOption});
    if (!parser.parse(arguments))
        return invalid(parser.errorText());
    for (const QCommandLineOption* option : {&folderOption, &exportOption, &importOption}) {
        if (parser.values(*option).size() > 1)
            return invalid(QStringLiteral("--%1 may be given once only.").arg(option->names().first()));
    }

    CommandLineTask task;
    task.folder = parser.value(folderOption);
    if (parser.isSet(folderOption) && task.folder.trimmed().isEmpty())
        return invalid(QStringLiteral("--folder needs a folder."));
    const bool exporting = parser.isSet(exportOption);
    const bool importing = parser.isSet(importOption);
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(helpOption) || parser.isSet(versionOption)) {
        task.kind = parser.isSet(helpOption) ? CommandLineTask::Help : CommandLineTask::Version;
        return task;
    }
    if (exporting && importing)
        return invalid(QStringLiteral("--export-show and --import-show cannot be given together."));
    if (parser.isSet(withMediaOption) && !exporting)
        return invalid(QStringLiteral("--with-media goes with --export-show only: an import takes the media the "
                                      "file holds."));
    if (!exporting && !positional.isEmpty())
        return invalid(QStringLiteral("Unexpected argument \"%1\".").arg(positional.first()));
    if (importing) {
        task.kind = CommandLineTask::ImportShow;
        task.file = parser.value(importOption);
    } else if (exporting) {
        if (positional.size() != 1)
            return invalid(positional.isEmpty() ? QStringLiteral("--export-show needs the file to write after the ID.")
                                                : QStringLiteral("Unexpected argument \"%1\".").arg(positional[1]));
        const QString idText = parser.value(exportOption).trimmed();
        const bool digitsOnly = !idText.isEmpty()
                             && std::all_of(idText.begin(), idText.end(), [](QChar c) { return c.isDigit(); });
        bool ok = false;
        task.showId = idText.toInt(&ok);
        if (!digitsOnly || !ok)
            return invalid(QStringLiteral("\"%1\" is not a show ID: a ShowID is a whole number.")
                               .arg(parser.value(exportOption)));
        task.kind = CommandLineTask::ExportShow;
        task.file = positional.first();
        task.withMedia = parser.isSet(withMediaOption);
    } else {
        return task; // the window
    }
    if (task.file.isEmpty())
        return invalid(QStringLiteral("The file name is empty."));
    return task;
}

int RunCommandLineTask(const CommandLineTask& task, QTextStream& out, QTextStream& err)
{
    switch (task.kind) {
    case CommandLineTask::ExportShow: return runExport(task, out, err);
    case CommandLineTask::ImportShow: return runImport(task, out, err);
    case CommandLineTask::Help: out << CommandLineHelp() << Qt::endl; return 0;
    case CommandLineTask::Version:
        out << QStringLiteral("Tavolan %1").arg(QLatin1String(TavolanVersion)) << Qt::endl;
        return 0;
    case CommandLineTask::Invalid: err << task.error << '\n' << Usage << Qt::endl; break;
    case CommandLineTask::None: err << Usage << Qt::endl; break;
    }
    return CommandLineUsageStatus;
}
