#pragma once

#include "data/Notifier.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fuzz {

// Says nothing: per-record notices of hostile input would only slow the
// fuzzer down.
class SilentNotifier : public Notifier
{
public:
    void showMessage(const QString &) override { }
    void showError(const QString &) override { }
    Button confirm(const QString &, Buttons, Button defaultButton, const QString &) override { return defaultButton; }
    bool inputText(const QString &, const QString &, QString &) override { return false; }
    void sound(Sound) override { }
    void showHelp(int) override { }
};

// A folder of this process for the files a target reads and writes, in
// memory where the machine has /dev/shm. Installs the silent notifier.
inline const QTemporaryDir &scratch()
{
    static SilentNotifier notifier;
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        Notifier::install(&notifier);
        const QString shm = QStringLiteral("/dev/shm");
        return QFileInfo(shm).isWritable()
            ? std::make_unique<QTemporaryDir>(shm + QStringLiteral("/tidemark-fuzz-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    }();
    return *dir;
}

inline QString path(const char *name)
{
    return scratch().filePath(QString::fromLatin1(name));
}

inline bool writeFile(const QString &path, QByteArrayView bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes.data(), bytes.size()) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A broken property: report it and stop, as a sanitizer would.
[[noreturn]] inline void fail(const char *what, const QByteArray &a = {}, const QByteArray &b = {})
{
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    if (!a.isEmpty() || !b.isEmpty())
        std::fprintf(stderr, "first:  %s\nsecond: %s\n", a.toHex(' ').left(2000).constData(),
            b.toHex(' ').left(2000).constData());
    std::abort();
}

} // namespace fuzz
