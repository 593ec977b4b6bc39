#include "data/DocumentSaveFile.h"

#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<struct stat> statOf(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

} // namespace

bool IsReplaceableFile(const QString &path)
{
    const auto st = statOf(path);
    return !st || S_ISREG(st->st_mode);
}

DocumentSaveFile::DocumentSaveFile(const QString &path)
    : m_path(path)
    , m_file(path)
{ }

DocumentSaveFile::~DocumentSaveFile() = default;

QString DocumentSaveFile::createError(const QString &path)
{
    return FileErrorMessage(FileAction::Create, path);
}

QString DocumentSaveFile::writeError(const QString &path)
{
    return FileErrorMessage(FileAction::Write, path);
}

void DocumentSaveFile::open()
{
    if (const auto st = statOf(m_path)) {
        if (!S_ISREG(st->st_mode))
            throw AppError(createError(m_path));
        m_replaced = Ownership {uint(st->st_mode & 07777), uint(st->st_uid), uint(st->st_gid)};
    }
    if (!m_file.open(QIODevice::WriteOnly))
        throw AppError(createError(m_path));
    if (m_replaced) {
        // Set on the temporary file, so the finished file never exists with
        // other rights than the one it replaces. An owner change needs
        // privileges; without them the file stays the saving user's.
        const int fd = m_file.handle();
        if (fd >= 0) {
            if (::fchown(fd, m_replaced->owner, m_replaced->group) != 0)
                (void)::fchown(fd, uid_t(-1), m_replaced->group);
            (void)::fchmod(fd, mode_t(m_replaced->mode));
        }
    }
}

void DocumentSaveFile::write(QByteArrayView bytes)
{
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        throw AppError(writeError(m_path));
}

void DocumentSaveFile::commit()
{
    // The destination may have turned into something else since open().
    if (!IsReplaceableFile(m_path)) {
        m_file.cancelWriting();
        m_file.commit();
        throw AppError(createError(m_path));
    }
    // commit() does not report a failure of the last buffered write.
    if (!m_file.flush()) {
        m_file.cancelWriting();
        m_file.commit();
        throw AppError(writeError(m_path));
    }
    if (!m_file.commit())
        throw AppError(writeError(m_path));
}

BackupCopy::BackupCopy(QString source, QString backup)
    : m_source(std::move(source))
    , m_backup(std::move(backup))
{ }

BackupCopy::~BackupCopy()
{
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
}

bool BackupCopy::prepare()
{
    if (!IsReplaceableFile(m_backup))
        return false;
    const QFileInfo info(m_backup);
    QString temp;
    for (int i = 0;; ++i) {
        temp = info.dir().filePath(QStringLiteral(".%1.%2-%3.tmp").arg(info.fileName()).arg(::getpid()).arg(i));
        if (!QFileInfo(temp).exists() && !QFileInfo(temp).isSymLink())
            break;
        if (i == 100)
            return false;
    }
    // Follows a symlinked document to the file whose bytes are kept.
    bool made = ::linkat(AT_FDCWD, QFile::encodeName(m_source).constData(), AT_FDCWD,
                    QFile::encodeName(temp).constData(), AT_SYMLINK_FOLLOW)
        == 0;
    if (!made) {
        made = QFile::copy(m_source, temp);
        if (!made)
            QFile::remove(temp);
    }
    if (made)
        m_temp = temp;
    return made;
}

bool BackupCopy::commit()
{
    if (m_temp.isEmpty())
        return false;
    if (!IsReplaceableFile(m_backup)
        || ::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_backup).constData()) != 0)
        return false;
    m_temp.clear();
    return true;
}

void IgnoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
