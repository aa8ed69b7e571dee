// Playback engine figures, run by hand inside a loopback-only network
// namespace:
//   unshare -n sh -c 'ip link set lo up && exec build/benchbin/bench_playback [speed]'
// (speed: media seconds per wall second for the firing figures, 7.3 by
// default so that second boundaries fall at every phase of the 100 ms tick)
// It refuses to run while any network interface other than loopback is up,
// and it only ever sends to 127.255.255.255.
//
// 1. Start-up to a filled show list with 10,000 shows, against a bare walk of
//    the same rows plus one read of Show.ini.
// 2. Loading one show of 3,600 time points x 10 commands, against one bare
//    query returning the same rows.
// 3. Datagrams framed and sent per second through SendCommand, against a
//    bare sendto loop of the same bytes.
// 4. Firing latency (the position crossing a time point's second to its
//    first datagram) and the error of the gaps against DelayMS, over 200
//    firings on the real event loop.

#include "benchsupport.h"
#include "commandcodec.h"
#include "commandsequencer.h"
#include "database.h"
#include "mediaplayer.h"
#include "rawsql.h"
#include "settingsfiles.h"
#include "showlist.h"
#include "showrunner.h"
#include "textops.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cmath>
#include <numeric>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0.0 : v.at(v.size() / 2);
}

bool copyFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner);
}

void benchShowList(const QString& folder)
{
    const int shows = 10000;
    {
        DbTransaction tx;
        for (int id = 1; id <= shows; ++id)
            RunSql(QStringLiteral("insert into Show(ShowID,SequenceNo,ActivedUniversalSwitch,UniversalSwitchID) "
                                  "values(%1,%2,%3,%4)")
                       .arg(id)
                       .arg(shows - id)
                       .arg(id % 2)
                       .arg(id % 256));
        tx.commit();
    }
    QFile ini(folder + QStringLiteral("Database/Show.ini"));
    ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QTextStream out(&ini);
    for (int id = 1; id <= shows; ++id)
        out << '[' << id << "]\nShowName=Show number " << id << "\nURL=/media/show" << id << ".mp4\n";
    out.flush();
    ini.close();

    QVector<double> ours, bare;
    int rows = 0;
    for (int round = 0; round < 3; ++round) {
        BenchSettings() = SettingsFiles();
        QElapsedTimer t;
        t.start();
        OpenSettingsFiles(BenchSettings());
        rows = ReloadShowList(BenchSettings(), BenchShows()).rows.size();
        ours.append(msSince(t));

        t.start();
        QFile raw(folder + QStringLiteral("Database/Show.ini"));
        raw.open(QIODevice::ReadOnly);
        QHash<QString, QString> names;
        QString section;
        for (const QByteArray& line : raw.readAll().split('\n')) {
            if (line.startsWith('['))
                section = QString::fromUtf8(line.mid(1, line.size() - 2));
            else if (line.startsWith("ShowName="))
                names.insert(section, QString::fromUtf8(line.mid(9)));
        }
        int n = 0;
        QSqlQuery shows = StandaloneQuery();
        shows.exec(QStringLiteral("select * from Show order by SequenceNo"));
        while (shows.next()) {
            const QString id = shows.value(0).toString();
            n += names.value(id).size() > 0;
        }
        shows.finish();
        bare.append(msSince(t));
    }
    std::printf("1. start-up to a filled show list: %d shows in %.1f ms (median of 3); bare rows+INI read %.1f ms; "
                "ratio %.1fx\n",
                rows, median(ours), median(bare), median(ours) / std::max(0.001, median(bare)));
}

void benchLoadShow()
{
    const int points = 3600, perPoint = 10, showId = 1;
    {
        DbTransaction tx;
        for (int p = 1; p <= points; ++p) {
            RunSql(QStringLiteral("insert into TimePoint(ShowID,TimePointID,SecondOfTimePoint) values(%1,%2,%3)")
                       .arg(showId)
                       .arg(p)
                       .arg(p - 1));
            for (int c = 1; c <= perPoint; ++c)
                RunSql(QStringLiteral("insert into CommandsForShow(ShowID,TimePointID,CommandID,SequenceNo,SubnetID,"
                                      "DeviceID,CommandTypeID,FirstParameter,SecondParameter,ThirdParameter,DelayMS) "
                                      "values(%1,%2,%3,%4,1,%5,4,5,100,3,0)")
                           .arg(showId)
                           .arg(p)
                           .arg(c)
                           .arg(perPoint - c)
                           .arg(c));
        }
        tx.commit();
    }
    QVector<double> ours, bare;
    int loaded = 0, rows = 0;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer t;
        t.start();
        LoadShow(BenchShows(), showId);
        ours.append(msSince(t));
        loaded = 0;
        for (const TShow& s : BenchShows().shows)
            if (s.ShowID == showId)
                for (const TTimePoint& p : s.TimePoints)
                    loaded += p.Commands.size();

        t.start();
        QSqlQuery q = StandaloneQuery();
        q.exec(QStringLiteral("select * from CommandsForShow c inner join TimePoint t on c.ShowID=t.ShowID and "
                              "c.TimePointID=t.TimePointID where c.ShowID=1 order by t.SecondOfTimePoint, "
                              "c.SequenceNo"));
        rows = 0;
        qint64 sum = 0;
        while (q.next()) {
            sum += q.value(QStringLiteral("DeviceID")).toInt() + q.value(QStringLiteral("DelayMS")).toInt();
            ++rows;
        }
        q.finish();
        bare.append(msSince(t));
    }
    std::printf("2. loading one show: %d commands in %.1f ms (median of 5); one bare joined query of %d rows "
                "%.1f ms; ratio %.1fx\n",
                loaded, median(ours), rows, median(bare), median(ours) / std::max(0.001, median(bare)));
}

bool benchDatagrams()
{
    const int count = 100000;
    if (!BroadcastDestination(BenchBusLink().identity().localOctets()).toString().startsWith(QStringLiteral("127."))) {
        std::printf("3. refused: the broadcast destination is not on loopback\n");
        return false;
    }
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i)
        SendCommand(BenchBusLink(), 1, quint8(i), 4, 5, 100, quint16(i));
    const double oursMs = msSince(t);

    const quint8 payload[4] = {5, 100, 0, 3};
    BusFrameSource source;
    source.localOctets = BenchBusLink().identity().localOctets();
    source.generation = BenchBusLink().identity().generation;
    const QByteArray datagram = FrameDatagram(source, 0x0031, 1, 20, payload, 4);
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(BusWire::GatewayPort);
    to.sin_addr.s_addr = inet_addr("127.255.255.255");
    t.start();
    for (int i = 0; i < count; ++i)
        (void)::sendto(fd, datagram.constData(), size_t(datagram.size()), 0, reinterpret_cast<sockaddr*>(&to),
                       sizeof to);
    const double bareMs = msSince(t);
    ::close(fd);
    std::printf("3. datagrams framed and sent: %.0f per second (%d in %.1f ms); bare sendto of the same %d bytes "
                "%.0f per second; ratio %.2fx the bare time\n",
                count / (oursMs / 1000.0), count, oursMs, int(datagram.size()), count / (bareMs / 1000.0),
                oursMs / std::max(0.001, bareMs));
    return true;
}

void benchFiring(double speed)
{
    // Time points every other media second, so the sequencer is idle when
    // each one's second begins; three commands each with gaps 50, 20, 30 ms.
    const int firings = 200;
    LoadFiringBenchShow(firings);

    ClockPlayer player(speed);
    struct Send {
        int device;
        double at;
    };
    QVector<Send> sends;
    CommandSequencer sequencer([&](quint8 subnet, quint8 device, quint8 kind, quint16 first, quint16 second,
                                   quint16 third) {
        sends.append({device, msSince(player.clock())});
        SendCommand(BenchBusLink(), subnet, device, kind, first, second, third);
    });
    ShowRunner runner(BenchShows(), player, sequencer, BenchSettings());
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] { runner.tick(); });
    const double endMs = player.wallMsAtSecond(2 * firings + 2);
    QTimer::singleShot(int(endMs), Qt::PreciseTimer, [] { QCoreApplication::quit(); });
    player.begin();
    tick.start();
    QCoreApplication::exec();
    tick.stop();
    sequencer.stop();

    QVector<double> latency;
    QVector<double> gapError;
    QVector<bool> fired(firings + 1, false);
    for (const Send& s : sends)
        fired[s.device] = true;
    QStringList missed;
    for (int i = 1; i <= firings; ++i)
        if (!fired[i])
            missed << QString::number(2 * i);
    const int wanted[3] = {50, 20, 30};
    double wantedSum = 0;
    for (int i = 0; i < sends.size(); ++i) {
        const int device = sends[i].device;
        // The first datagram of a time point's first list.
        if (i == 0 || sends[i - 1].device != device)
            latency.append(sends[i].at - player.wallMsAtSecond(2 * device));
    }
    // Gaps inside each list of three (a list starts at every third datagram
    // of the same device run).
    for (int i = 0; i + 2 < sends.size(); i += 3) {
        if (sends[i].device != sends[i + 2].device)
            break;
        for (int k = 0; k < 2; ++k) {
            gapError.append(std::abs((sends[i + k + 1].at - sends[i + k].at) - wanted[k]));
            wantedSum += wanted[k];
        }
    }
    const double meanLatency = std::accumulate(latency.begin(), latency.end(), 0.0) / std::max<qsizetype>(1, latency.size());
    const double maxLatency = latency.isEmpty() ? 0 : *std::max_element(latency.begin(), latency.end());
    const double meanGapError = std::accumulate(gapError.begin(), gapError.end(), 0.0) / std::max<qsizetype>(1, gapError.size());
    const double maxGapError = gapError.isEmpty() ? 0 : *std::max_element(gapError.begin(), gapError.end());
    const double meanWanted = wantedSum / std::max<qsizetype>(1, gapError.size());
    std::printf("4. firing latency over %d firings (of %d; media at %.1fx): mean %.1f ms, median %.1f ms, max %.1f ms; "
                "mean = %.2f of the 100 ms tick\n",
                int(latency.size()), firings, speed, meanLatency, median(latency), maxLatency, meanLatency / 100.0);
    if (!missed.isEmpty())
        std::printf("   time points that did not fire (second): %s\n", qPrintable(missed.join(QLatin1Char(' '))));
    std::printf("   gap error against DelayMS over %d gaps: mean %.2f ms, max %.2f ms; mean = %.3f of the mean "
                "requested gap (%.0f ms)\n",
                int(gapError.size()), meanGapError, maxGapError, meanGapError / std::max(1.0, meanWanted), meanWanted);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const double speed = argc > 1 ? std::max(1.0, QString::fromLocal8Bit(argv[1]).toDouble()) : 7.3;
    if (!OnlyLoopbackIsUp()) {
        std::fprintf(stderr, "Refusing to run: a network interface other than loopback is up. Run it inside "
                             "unshare -n sh -c 'ip link set lo up && exec ...'.\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/../shipped/Database/DB.mdb");
    if (!copyFile(shipped, folder + QStringLiteral("Database/DB.mdb"))) {
        std::fprintf(stderr, "No shipped database at %s\n", qPrintable(shipped));
        return 1;
    }
    SetProgramFolder(folder);
    QString failure;
    if (!OpenDatabase(ProgramPath(QStringLiteral("Database/DB.mdb")), &failure)) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }

    benchShowList(folder);
    benchLoadShow();

    BenchBusLink().setIdentity({200, 200, 3, QStringLiteral("127.0.0.1")});
    if (!BenchBusLink().open(QStringLiteral("127.0.0.1"), 15000)) {
        std::fprintf(stderr, "Could not open the UDP socket on 127.0.0.1:15000\n");
        return 1;
    }
    if (benchDatagrams())
        benchFiring(speed);
    BenchBusLink().close();
    CloseDatabase();
    return 0;
}
