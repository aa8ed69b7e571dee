#include "ziparchive.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <archive.h>
#include <archive_entry.h>

namespace {

la_ssize_t writeToSaveFile(struct archive*, void* client, const void* buffer, size_t length)
{
    auto* file = static_cast<QSaveFile*>(client);
    const qint64 written = file->write(static_cast<const char*>(buffer), qint64(length));
    return written == qint64(length) ? la_ssize_t(written) : -1;
}

QString archiveReason(struct archive* a, const char* fallback)
{
    const char* text = a ? archive_error_string(a) : nullptr;
    return QString::fromUtf8(text ? text : fallback);
}

} // namespace

// ---- ZipWriter --------------------------------------------------------------

ZipWriter::ZipWriter() = default;

ZipWriter::~ZipWriter()
{
    if (m_archive)
        archive_write_free(m_archive);
    if (m_file)
        m_file->cancelWriting();
}

bool ZipWriter::fail(const QString& reason)
{
    if (m_error.isEmpty())
        m_error = reason;
    return false;
}

bool ZipWriter::open(const QString& path)
{
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly))
        return fail(QStringLiteral("%1 cannot be written: %2").arg(path, m_file->errorString()));
    m_archive = archive_write_new();
    if (!m_archive || archive_write_set_format_zip(m_archive) != ARCHIVE_OK
        || archive_write_set_bytes_per_block(m_archive, 0) != ARCHIVE_OK
        // The json members are text that the fastest deflate level already
        // shrinks to a tenth or less; higher levels only cost time.
        || archive_write_set_format_option(m_archive, "zip", "compression-level", "1") != ARCHIVE_OK
        || archive_write_open(m_archive, m_file.get(), nullptr, writeToSaveFile, nullptr) != ARCHIVE_OK)
        return fail(archiveReason(m_archive, "the archive could not be started"));
    return true;
}

bool ZipWriter::writeHeader(const QString& name, qint64 size, bool store)
{
    if (!m_archive)
        return fail(QStringLiteral("the archive is not open"));
    // The zip writer takes the compression in force when a header is written.
    const int chosen = store ? archive_write_zip_set_compression_store(m_archive)
                             : archive_write_zip_set_compression_deflate(m_archive);
    if (chosen != ARCHIVE_OK)
        return fail(archiveReason(m_archive, "the compression could not be chosen"));
    struct archive_entry* entry = archive_entry_new();
    const QByteArray utf8 = name.toUtf8();
    archive_entry_set_pathname_utf8(entry, utf8.constData());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, size);
    archive_entry_set_mtime(entry, QDateTime::currentSecsSinceEpoch(), 0);
    const int status = archive_write_header(m_archive, entry);
    archive_entry_free(entry);
    if (status != ARCHIVE_OK)
        return fail(archiveReason(m_archive, "a member could not be started"));
    return true;
}

bool ZipWriter::addBytes(const QString& name, const QByteArray& data, QByteArray* sha256)
{
    if (!writeHeader(name, data.size(), false))
        return false;
    if (archive_write_data(m_archive, data.constData(), size_t(data.size())) != la_ssize_t(data.size()))
        return fail(archiveReason(m_archive, "a member could not be written"));
    if (sha256)
        *sha256 = QCryptographicHash::hash(data, QCryptographicHash::Sha256);
    return true;
}

bool ZipWriter::addFile(const QString& name, const QString& sourcePath, QByteArray* sha256)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read: %2").arg(sourcePath, source.errorString()));
    if (!writeHeader(name, source.size(), true))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 n = source.read(buffer.data(), buffer.size());
        if (n < 0)
            return fail(QStringLiteral("%1 cannot be read: %2").arg(sourcePath, source.errorString()));
        if (n == 0)
            break;
        if (archive_write_data(m_archive, buffer.constData(), size_t(n)) != la_ssize_t(n))
            return fail(archiveReason(m_archive, "a member could not be written"));
        hash.addData(QByteArrayView(buffer.constData(), n));
        copied += n;
    }
    if (copied != source.size())
        return fail(QStringLiteral("%1 changed while it was copied").arg(sourcePath));
    if (sha256)
        *sha256 = hash.result();
    return true;
}

bool ZipWriter::commit()
{
    if (!m_archive || !m_error.isEmpty())
        return fail(QStringLiteral("the archive is not complete"));
    const int closed = archive_write_close(m_archive);
    if (closed != ARCHIVE_OK)
        return fail(archiveReason(m_archive, "the archive could not be finished"));
    archive_write_free(m_archive);
    m_archive = nullptr;
    if (!m_file->commit())
        return fail(QStringLiteral("%1 cannot be written: %2").arg(m_file->fileName(), m_file->errorString()));
    m_file.reset();
    return true;
}

// ---- ZipReader --------------------------------------------------------------

ZipReader::ZipReader() = default;

ZipReader::~ZipReader()
{
    if (m_archive)
        archive_read_free(m_archive);
}

bool ZipReader::open(const QString& path)
{
    m_archive = archive_read_new();
    if (!m_archive || archive_read_support_format_zip(m_archive) != ARCHIVE_OK) {
        m_error = QStringLiteral("the archive reader could not be made");
        return false;
    }
    const QByteArray local = QFile::encodeName(path);
    if (archive_read_open_filename(m_archive, local.constData(), 1 << 16) != ARCHIVE_OK) {
        m_error = archiveReason(m_archive, "the file cannot be opened");
        return false;
    }
    return true;
}

bool ZipReader::next(QString* name, qint64* size)
{
    struct archive_entry* entry = nullptr;
    const int status = archive_read_next_header(m_archive, &entry);
    if (status == ARCHIVE_EOF)
        return false;
    if (status != ARCHIVE_OK) {
        m_error = archiveReason(m_archive, "a member cannot be read");
        return false;
    }
    const char* utf8 = archive_entry_pathname_utf8(entry);
    *name = utf8 ? QString::fromUtf8(utf8) : QString::fromLocal8Bit(archive_entry_pathname(entry));
    *size = archive_entry_size_is_set(entry) ? qint64(archive_entry_size(entry)) : -1;
    return true;
}

qint64 ZipReader::read(char* data, qint64 maxSize)
{
    const la_ssize_t n = archive_read_data(m_archive, data, size_t(maxSize));
    if (n < 0) {
        m_error = archiveReason(m_archive, "a member is damaged");
        return -1;
    }
    return qint64(n);
}
