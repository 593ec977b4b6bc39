#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

// INI profile access. Every read and every write goes straight to the file:
// there is no separate save step, and a change made by another program is
// seen at the next read. The parsed file is kept only while its size,
// modification time and inode say it is unchanged. Lines this object does
// not change are kept byte for byte, so other sections, comments and keys
// stay as they are. Section and key names compare without regard to case.
//
// Only a regular file is read or written. A file that exists but cannot be
// read (no permission, a FIFO, a directory, a device) gives the defaults,
// and every write to it fails without touching it: what it holds is never
// replaced by what little this object would know.
//
// Every read names a default, which a missing file, section or key, or a
// value that is not a number (for the integer reads) yields. Values are
// written as UTF-8; a stored value that is not valid UTF-8 is read as code
// page 932.
class SettingsFile
{
public:
    explicit SettingsFile(QString fileName);

    const QString &fileName() const { return m_fileName; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // "1"/"0"; any non-zero integer reads as true.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    bool valueExists(const QString &section, const QString &key) const;
    bool sectionExists(const QString &section) const;
    // Key names of a section, in file order.
    QStringList readSection(const QString &section) const;

    // Each returns false when the file could not be written; the previous
    // file is then left as it was.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInteger(const QString &section, const QString &key, int value);
    bool writeBool(const QString &section, const QString &key, bool value);
    bool deleteKey(const QString &section, const QString &key);
    bool eraseSection(const QString &section);

private:
    struct Snapshot;
    // The file as it is now; null when it exists but must be left alone.
    std::shared_ptr<const Snapshot> current() const;
    bool store(const QByteArray &content);
    bool replaceKey(const QString &section, const QString &key, const QString *value);

    QString m_fileName;
    mutable std::shared_ptr<const Snapshot> m_cache;
};
