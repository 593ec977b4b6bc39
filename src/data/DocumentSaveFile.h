#pragma once

#include <QSaveFile>
#include <QString>
#include <optional>

// One save of a document file. The new content goes into a temporary file
// beside the destination and takes its name only once it is complete, so a
// failed save (full disk, file-size limit, killed program) leaves the old file
// as it was. A destination that exists but is not a regular file (a FIFO, a
// device, a folder) is refused before anything is written. The new file gets
// the mode, and where allowed the owner, of the file it replaces.
//
// Every failure raises AppError with the message the user sees.
class DocumentSaveFile
{
public:
    explicit DocumentSaveFile(const QString &path);
    ~DocumentSaveFile();

    DocumentSaveFile(const DocumentSaveFile &) = delete;
    DocumentSaveFile &operator=(const DocumentSaveFile &) = delete;

    void open();
    QIODevice &device() { return m_file; }
    void write(QByteArrayView bytes);
    void commit();

    // "ファイル %1 を作成できません" and its siblings, with `path` in native form.
    static QString createError(const QString &path);
    static QString writeError(const QString &path);

private:
    struct Ownership
    {
        uint mode = 0;
        uint owner = 0;
        uint group = 0;
    };

    QString m_path;
    QSaveFile m_file;
    std::optional<Ownership> m_replaced;
};

// True when `path` does not exist or names a regular file (after symlinks).
bool IsReplaceableFile(const QString &path);

// A backup of a document file, made in two steps so that a failed save keeps
// the earlier backup: prepare() links (or, where the file system has no hard
// links, copies) the file under a temporary name beside the backup, and
// commit() gives it the backup's name once the save has succeeded. An
// uncommitted copy is removed when the object goes.
class BackupCopy
{
public:
    BackupCopy(QString source, QString backup);
    ~BackupCopy();

    BackupCopy(const BackupCopy &) = delete;
    BackupCopy &operator=(const BackupCopy &) = delete;

    // False when no copy could be made; nothing changed then.
    bool prepare();
    // False when the copy could not take the backup's name; the earlier
    // backup is then as it was.
    bool commit();

private:
    QString m_source;
    QString m_backup;
    QString m_temp;
};

// Makes a write past the file-size limit (ulimit -f) fail like any other
// write instead of ending the program with SIGXFSZ. Each program that saves
// calls it once at start.
void IgnoreFileSizeSignal();
