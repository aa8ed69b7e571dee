#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

// Writes a mono 16-bit PCM WAV file of silence, long enough for a player to
// be seen playing and then reaching the end of its media.
inline bool WriteSilentWav(const QString& path, int milliseconds, int sampleRate = 8000)
{
    const quint32 samples = static_cast<quint32>(qint64(sampleRate) * milliseconds / 1000);
    const quint32 dataBytes = samples * 2;
    QByteArray out;
    auto u32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out.append("RIFF", 4);
    u32(36 + dataBytes);
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(static_cast<quint32>(sampleRate));
    u32(static_cast<quint32>(sampleRate) * 2);
    u16(2);
    u16(16);
    out.append("data", 4);
    u32(dataBytes);
    out.append(QByteArray(static_cast<int>(dataBytes), '\0'));

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(out) == out.size();
}
