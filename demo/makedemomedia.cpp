// Makes the media of a demo show: an AVI file with Motion-JPEG video (the
// show's name, a running clock, the cue of the moment) and a 16-bit PCM
// sound track (a soft tone with a blip at every cue). Both are decoded by
// the player's stock plug-ins, so the demo needs no media from elsewhere.
// The cues are the show's time points, read from the demo database.
//
//   tavolan_makedemomedia OUT.avi TITLE SECONDS DB.mdb SHOWID

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <vector>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr int FramesPerSecond = 10;
constexpr int SampleRate = 16000;
constexpr int SamplesPerFrame = SampleRate / FramesPerSecond;

struct Cue {
    int second;
    QString label;
};

class ByteWriter {
public:
    QByteArray bytes;

    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        bytes.append(b, 2);
    }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    void fourcc(const char* c) { bytes.append(c, 4); }
    // A chunk: its code, its size, its data and a pad byte to an even size.
    void chunk(const char* code, const QByteArray& data)
    {
        fourcc(code);
        u32(quint32(data.size()));
        bytes.append(data);
        if (data.size() % 2)
            bytes.append('\0');
    }
    void list(const char* type, const QByteArray& body)
    {
        fourcc("LIST");
        u32(quint32(body.size() + 4));
        fourcc(type);
        bytes.append(body);
    }
};

QString clockText(int tenths)
{
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

QByteArray drawFrame(const QString& title, int frame, int seconds, const std::vector<Cue>& cues)
{
    const double t = double(frame) / FramesPerSecond;
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The sky turns slowly through the show.
    const int hue = int(200 + 160 * t / seconds) % 360;
    QLinearGradient sky(0, 0, 0, Height);
    sky.setColorAt(0, QColor::fromHsv(hue, 160, 90));
    sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 200, 30));
    p.fillRect(image.rect(), sky);

    const Cue* current = nullptr;
    for (const Cue& c : cues)
        if (c.second <= t)
            current = &c;
    // The first half second of a cue flashes.
    const bool flash = current && t - current->second < 0.5;

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 14, Width, 36), Qt::AlignCenter, title);

    font.setPixelSize(44);
    font.setFamily(QStringLiteral("DejaVu Sans Mono"));
    p.setFont(font);
    p.drawText(QRect(0, 60, Width, 60), Qt::AlignCenter, clockText(frame * 10 / FramesPerSecond));

    if (current) {
        const QRect box(16, 132, Width - 32, 46);
        p.setPen(Qt::NoPen);
        p.setBrush(flash ? QColor(255, 220, 60) : QColor(0, 0, 0, 110));
        p.drawRoundedRect(box, 8, 8);
        font.setFamily(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(17);
        font.setBold(false);
        p.setFont(font);
        p.setPen(flash ? Qt::black : Qt::white);
        p.drawText(box, Qt::AlignCenter, QStringLiteral("%1 s  %2").arg(current->second).arg(current->label));
    }

    // Progress with a mark at every cue.
    const QRect bar(16, 200, Width - 32, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRect(bar);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRect(QRect(bar.left(), bar.top(), int(bar.width() * t / seconds), bar.height()));
    p.setBrush(QColor(255, 220, 60));
    for (const Cue& c : cues) {
        const int x = bar.left() + bar.width() * c.second / seconds;
        p.drawRect(QRect(x - 1, bar.top() - 4, 3, bar.height() + 8));
    }
    p.end();

    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 80))
        return QByteArray();
    return jpeg;
}

// One frame's worth of sound: a soft tone whose pitch steps up at each cue,
// and a short blip as the cue begins.
QByteArray soundFor(int frame, const std::vector<Cue>& cues)
{
    QByteArray pcm(SamplesPerFrame * 2, '\0');
    for (int i = 0; i < SamplesPerFrame; ++i) {
        const qint64 n = qint64(frame) * SamplesPerFrame + i;
        const double t = double(n) / SampleRate;
        int passed = 0;
        double sinceCue = 1e9;
        for (const Cue& c : cues)
            if (c.second <= t) {
                ++passed;
                sinceCue = t - c.second;
            }
        const double tone = 0.08 * std::sin(2 * std::numbers::pi * (165.0 + 11.0 * passed) * t);
        const double blip = sinceCue < 0.12 ? 0.25 * std::sin(2 * std::numbers::pi * 880.0 * t) : 0.0;
        const auto sample = qint16(std::lround((tone + blip) * 32767));
        qToLittleEndian(sample, pcm.data() + 2 * i);
    }
    return pcm;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int seconds = args.size() >= 4 ? args.at(3).toInt(&ok) : 0;
    if (args.size() != 6 || !ok || seconds < 1 || seconds > 600) {
        std::fprintf(stderr, "usage: %s OUT.avi TITLE SECONDS DB.mdb SHOWID\n", argv[0]);
        return 2;
    }
    const int showId = args.size() == 6 ? args.at(5).toInt(&ok) : 0;
    if (!ok) {
        std::fprintf(stderr, "usage: %s OUT.avi TITLE SECONDS DB.mdb SHOWID\n", argv[0]);
        return 2;
    }
    std::vector<Cue> cues;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo"));
        db.setDatabaseName(args.at(4));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(args.at(4)));
            return 1;
        }
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select SecondOfTimePoint, Remark from TimePoint where ShowID = ? "
                                 "order by SecondOfTimePoint"));
        q.addBindValue(showId);
        if (!q.exec()) {
            std::fprintf(stderr, "cannot read the time points of show %d\n", showId);
            return 1;
        }
        while (q.next())
            cues.push_back({q.value(0).toInt(), q.value(1).toString()});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("demo"));
    const QString title = args.at(2);
    const int frames = seconds * FramesPerSecond;

    ByteWriter movi;
    ByteWriter index;
    quint32 largestFrame = 0;
    for (int f = 0; f < frames; ++f) {
        const QByteArray jpeg = drawFrame(title, f, seconds, cues);
        if (jpeg.isEmpty()) {
            std::fprintf(stderr, "no JPEG writer available\n");
            return 1;
        }
        largestFrame = std::max(largestFrame, quint32(jpeg.size()));
        const QByteArray pcm = soundFor(f, cues);
        // Offsets count from the list type code "movi".
        index.fourcc("00dc");
        index.u32(0x10);
        index.u32(quint32(movi.bytes.size() + 4));
        index.u32(quint32(jpeg.size()));
        movi.chunk("00dc", jpeg);
        index.fourcc("01wb");
        index.u32(0x10);
        index.u32(quint32(movi.bytes.size() + 4));
        index.u32(quint32(pcm.size()));
        movi.chunk("01wb", pcm);
    }

    ByteWriter avih;
    avih.u32(1000000 / FramesPerSecond);
    avih.u32(largestFrame * FramesPerSecond + SampleRate * 2);
    avih.u32(0);
    avih.u32(0x10 | 0x100); // has an index, interleaved
    avih.u32(quint32(frames));
    avih.u32(0);
    avih.u32(2);
    avih.u32(largestFrame + SamplesPerFrame * 2);
    avih.u32(Width);
    avih.u32(Height);
    for (int i = 0; i < 4; ++i)
        avih.u32(0);

    auto streamHeader = [](const char* type, const char* handler, quint32 scale, quint32 rate, quint32 length,
                           quint32 bufferSize, quint32 sampleSize, bool video) {
        ByteWriter h;
        h.fourcc(type);
        if (handler)
            h.fourcc(handler);
        else
            h.u32(0);
        h.u32(0);
        h.u16(0);
        h.u16(0);
        h.u32(0);
        h.u32(scale);
        h.u32(rate);
        h.u32(0);
        h.u32(length);
        h.u32(bufferSize);
        h.u32(0xFFFFFFFF);
        h.u32(sampleSize);
        h.u16(0);
        h.u16(0);
        h.u16(video ? Width : 0);
        h.u16(video ? Height : 0);
        return h.bytes;
    };

    ByteWriter bitmap;
    bitmap.u32(40);
    bitmap.u32(Width);
    bitmap.u32(Height);
    bitmap.u16(1);
    bitmap.u16(24);
    bitmap.fourcc("MJPG");
    bitmap.u32(Width * Height * 3);
    for (int i = 0; i < 4; ++i)
        bitmap.u32(0);

    ByteWriter wave;
    wave.u16(1); // PCM
    wave.u16(1); // mono
    wave.u32(SampleRate);
    wave.u32(SampleRate * 2);
    wave.u16(2);
    wave.u16(16);
    wave.u16(0);

    ByteWriter videoList;
    videoList.chunk("strh", streamHeader("vids", "MJPG", 1, FramesPerSecond, quint32(frames), largestFrame, 0, true));
    videoList.chunk("strf", bitmap.bytes);
    ByteWriter audioList;
    audioList.chunk("strh",
                    streamHeader("auds", nullptr, 2, SampleRate * 2, quint32(frames) * SamplesPerFrame,
                                 SamplesPerFrame * 2, 2, false));
    audioList.chunk("strf", wave.bytes);

    ByteWriter header;
    header.chunk("avih", avih.bytes);
    header.list("strl", videoList.bytes);
    header.list("strl", audioList.bytes);

    ByteWriter body;
    body.fourcc("AVI ");
    body.list("hdrl", header.bytes);
    body.list("movi", movi.bytes);
    body.chunk("idx1", index.bytes);

    ByteWriter file;
    file.fourcc("RIFF");
    file.u32(quint32(body.bytes.size()));
    file.bytes.append(body.bytes);

    QSaveFile out(args.at(1));
    if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size() || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
