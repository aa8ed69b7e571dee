// Export and import of shows through .tavshow files: the largest show of a
// database of 50 shows of 600 time points with 10 commands each, then all
// 50 shows one file each, out of one program folder and into an empty one.
// Optional argument: the media size in MB given to the largest show (0).

#include "programfolder.h"
#include "rawsql.h"
#include "settingsfiles.h"
#include "showexchange.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int Shows = 50;
constexpr int PointsPerShow = 600;
constexpr int CommandsPerPoint = 10;
constexpr int LargestShow = Shows; // one time point more than the others

bool fillDatabase(SettingsFiles& files, const QString& mediaPath)
{
    DbTransaction transaction;
    QSqlQuery show = StandaloneQuery(), point = StandaloneQuery(), command = StandaloneQuery();
    show.prepare(QStringLiteral("insert into Show values(?,?,1,?)"));
    point.prepare(QStringLiteral("insert into TimePoint values(?,?,?,?)"));
    command.prepare(QStringLiteral("insert into CommandsForShow values(?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int s = 1; s <= Shows; ++s) {
        show.addBindValue(s), show.addBindValue(s), show.addBindValue(s);
        if (!show.exec())
            return false;
        const int points = PointsPerShow + (s == LargestShow ? 1 : 0);
        for (int p = 1; p <= points; ++p) {
            point.addBindValue(s), point.addBindValue(p), point.addBindValue(p * 2),
                point.addBindValue(QStringLiteral("cue %1").arg(p));
            if (!point.exec())
                return false;
            for (int c = 1; c <= CommandsPerPoint; ++c) {
                const QVariantList values{s, p, c, c, QStringLiteral("light %1").arg(c), 1, c, c % 13, 100, 200, 3,
                                          c * 10};
                for (const QVariant& v : values)
                    command.addBindValue(v);
                if (!command.exec())
                    return false;
            }
        }
        WriteShowEntry(files, s, QStringLiteral("Show %1").arg(s), s == LargestShow ? mediaPath : QString());
    }
    return transaction.commit();
}

double seconds(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int mediaMB = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    QTemporaryDir out;
    const QString largestFile = out.filePath(QStringLiteral("largest.tavshow"));
    QElapsedTimer timer;

    {
        TestProgramFolder folder;
        SettingsFiles files;
        files.ShowIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Database/Show.ini")));
        QString media;
        if (mediaMB > 0) {
            media = folder.path(QStringLiteral("largest.mp4"));
            QFile f(media);
            f.open(QIODevice::WriteOnly);
            const QByteArray block(1 << 20, 'm');
            for (int i = 0; i < mediaMB; ++i)
                f.write(block);
        }
        if (!folder.openDatabase() || !fillDatabase(files, media)) {
            std::fprintf(stderr, "Could not fill the database\n");
            return 1;
        }
        std::printf("%d shows x %d time points x %d commands (largest show %d: %d time points, media %d MB)\n", Shows,
                    PointsPerShow, CommandsPerPoint, LargestShow, PointsPerShow + 1, mediaMB);

        timer.start();
        if (!ShowExchange::ExportShow(files, LargestShow, largestFile, mediaMB > 0)) {
            std::fprintf(stderr, "Export failed\n");
            return 1;
        }
        std::printf("export of the largest show:  %6.3f s (%lld bytes)\n", seconds(timer),
                    QFileInfo(largestFile).size());

        timer.start();
        for (int s = 1; s <= Shows; ++s)
            if (!ShowExchange::ExportShow(files, s, out.filePath(QStringLiteral("all%1.tavshow").arg(s)),
                                          s == LargestShow && mediaMB > 0)) {
                std::fprintf(stderr, "Export of show %d failed\n", s);
                return 1;
            }
        std::printf("export of all %d shows:      %6.3f s\n", Shows, seconds(timer));
        timer.start();
        for (int s = 1; s <= Shows; ++s)
            ShowExchange::ShowDocument(files, s);
        std::printf("  of which show.json built:  %6.3f s\n", seconds(timer));
    }

    auto importFile = [](SettingsFiles& files, const QString& path) {
        const auto package = ShowExchange::ReadPackage(path);
        if (!package)
            return false;
        const auto plan = ShowExchange::PlanShowImport(files, *package);
        return plan && ShowExchange::ImportShow(files, *package, *plan);
    };
    {
        TestProgramFolder folder;
        SettingsFiles files;
        files.ShowIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Database/Show.ini")));
        folder.openDatabase();
        timer.start();
        if (!importFile(files, largestFile)) {
            std::fprintf(stderr, "Import failed\n");
            return 1;
        }
        std::printf("import of the largest show:  %6.3f s\n", seconds(timer));
    }
    {
        TestProgramFolder folder;
        SettingsFiles files;
        files.ShowIni = std::make_unique<IniFile>(folder.path(QStringLiteral("Database/Show.ini")));
        folder.openDatabase();
        timer.start();
        for (int s = 1; s <= Shows; ++s)
            if (!importFile(files, out.filePath(QStringLiteral("all%1.tavshow").arg(s)))) {
                std::fprintf(stderr, "Import of show %d failed\n", s);
                return 1;
            }
        std::printf("import of all %d shows:      %6.3f s (%d commands stored)\n", Shows, seconds(timer),
                    SelectedCount(QStringLiteral("select count(*) from CommandsForShow")));
        timer.start();
        for (int s = 1; s <= Shows; ++s)
            ShowExchange::ReadPackage(out.filePath(QStringLiteral("all%1.tavshow").arg(s)));
        std::printf("  of which files read:       %6.3f s\n", seconds(timer));
    }
    return 0;
}
