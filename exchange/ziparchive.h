#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Zip archives through libarchive: a writer that builds one into a file
// that appears only once it is complete, and a reader that walks the
// members of one in order. Neither knows what the members mean.

class QSaveFile;
struct archive;

class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Starts the archive; nothing appears at path until commit().
    bool open(const QString& path);
    // A member from memory, deflated. *sha256 (optional) gets its hash.
    bool addBytes(const QString& name, const QByteArray& data, QByteArray* sha256 = nullptr);
    // A member copied from a file, stored as it is (media gains nothing from
    // compression). *sha256 (optional) gets the hash of what was copied.
    bool addFile(const QString& name, const QString& sourcePath, QByteArray* sha256 = nullptr);
    // Finishes the archive and puts it in place. Without it the destructor
    // leaves no file behind.
    bool commit();

    QString errorString() const { return m_error; }

private:
    bool fail(const QString& reason);
    bool writeHeader(const QString& name, qint64 size, bool store);

    std::unique_ptr<QSaveFile> m_file;
    struct archive* m_archive = nullptr;
    QString m_error;
};

class ZipReader {
public:
    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    bool open(const QString& path);
    // Moves to the next member: true with its name and the size its header
    // gives (-1 when it gives none); false at the end or on an error
    // (errorString() tells which: empty at the end).
    bool next(QString* name, qint64* size);
    // Reads up to maxSize bytes of the current member: the count read, 0 at
    // its end, -1 on an error (a damaged archive).
    qint64 read(char* data, qint64 maxSize);

    QString errorString() const { return m_error; }

private:
    struct archive* m_archive = nullptr;
    QString m_error;
};
