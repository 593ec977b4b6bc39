#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/DocumentSaveFile.h"
#include "settings/SettingsFile.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

void fill(TData &data, int count)
{
    for (int i = 0; i < count; ++i) {
        auto item = NewItemOfKind(0);
        item->Title = QStringLiteral("項目%1").arg(i);
        item->MemoText = QStringLiteral("メモ%1\r\n二行目").arg(i);
        data.append(std::move(item));
    }
}

// Sets the file-size limit of this process and puts it back when it goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old {};
};

bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

QString cliPath()
{
    return qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark-cli");
}

} // namespace

class TestSaveDestination : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<SettingsFile> m_settings;
    std::unique_ptr<TData> m_data;
    QString m_dir;

    QString path(const QString &name) const { return m_dir + u'/' + name; }

    // Saves the document to `target`; the AppError message, or empty.
    QString save(const QString &target)
    {
        try {
            m_data->SaveToFile(target);
        } catch (const AppError &error) {
            return error.message();
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() { IgnoreFileSizeSignal(); }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_settings = std::make_unique<SettingsFile>(m_env->settingsPath());
        m_data = std::make_unique<TData>(*m_settings);
        fill(*m_data, 50);
        m_dir = m_env->path(QStringLiteral("save"));
        QVERIFY(QDir().mkpath(m_dir));
    }

    void cleanup()
    {
        ::chmod(QFile::encodeName(m_dir).constData(), 0755);
        m_data.reset();
        m_settings.reset();
        m_env.reset();
    }

    // Only a regular file is ever replaced: a FIFO would block the save, and
    // replacing a device node as root would put a plain file in its place.
    void refusesWhatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        for (const char *kind : {"fifo", "device", "folder", "link to fifo"}) {
            QTest::addRow("%s .tmd", kind) << kind << QStringLiteral("x.tmd");
            QTest::addRow("%s .csv", kind) << kind << QStringLiteral("x.csv");
        }
    }

    void refusesWhatIsNoRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        const QString target = path(name);
        const QByteArray native = QFile::encodeName(target);
        if (kind == u"fifo") {
            QCOMPARE(::mkfifo(native.constData(), 0644), 0);
        } else if (kind == u"device") {
            // The null device's numbers, in our own folder.
            if (::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                QSKIP("no privilege to make a device node here");
        } else if (kind == u"folder") {
            QVERIFY(QDir().mkdir(target));
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo"))).constData(), 0644), 0);
            QVERIFY(QFile::link(path(QStringLiteral("fifo")), target));
        }
        const mode_t type = statOf(target).st_mode & S_IFMT;

        QCOMPARE(save(target), DocumentSaveFile::createError(target));
        QCOMPARE(statOf(target).st_mode & S_IFMT, type);
        QCOMPARE(QDir(m_dir).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
            kind == u"link to fifo" ? 2 : int(kind != u"folder"));
    }

    void keepsModeAndOwner_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("otherOwner");
        QTest::newRow("write-protected") << 0444 << false;
        QTest::newRow("group readable") << 0640 << false;
        QTest::newRow("another user's") << 0600 << true;
    }

    void keepsModeAndOwner()
    {
        QFETCH(int, mode);
        QFETCH(bool, otherOwner);
        const QString target = path(QStringLiteral("x.tmd"));
        writeAll(target, "old");
        const QByteArray native = QFile::encodeName(target);
        QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);
        uid_t owner = ::getuid();
        gid_t group = ::getgid();
        if (otherOwner) {
            if (::geteuid() != 0)
                QSKIP("only root saves another user's file");
            owner = 4321;
            group = 4322;
            QCOMPARE(::chown(native.constData(), owner, group), 0);
        }
        if (::geteuid() != 0 && !(mode & 0200))
            QSKIP("a write-protected file is not ours to replace");

        QCOMPARE(save(target), QString());
        const struct stat st = statOf(target);
        QCOMPARE(int(st.st_mode & 07777), mode);
        QCOMPARE(st.st_uid, owner);
        QCOMPARE(st.st_gid, group);
        QVERIFY(readAll(target).startsWith("TideMk20"));
    }

    // A save that cannot finish leaves the file that was there byte for byte.
    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("name");
        for (const char *fault : {"file-size limit", "full disk", "read-only folder", "immutable file"}) {
            QTest::addRow("%s .tmd", fault) << fault << QStringLiteral("x.tmd");
            QTest::addRow("%s .csv", fault) << fault << QStringLiteral("x.csv");
        }
    }

    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, name);
        fill(*m_data, 150);
        const QByteArray old = "the document as it was";
        std::unique_ptr<FileSizeLimit> limit;
        bool mounted = false;
        if (fault == u"full disk") {
            m_dir = path(QStringLiteral("small"));
            QVERIFY(QDir().mkpath(m_dir));
            if (::mount("tmpfs", QFile::encodeName(m_dir).constData(), "tmpfs", 0, "size=8k") != 0)
                QSKIP("no privilege to mount a small file system");
            mounted = true;
        }
        const QString target = path(name);
        writeAll(target, old);
        bool immutable = false;
        if (fault == u"file-size limit") {
            limit = std::make_unique<FileSizeLimit>(4096);
        } else if (fault == u"read-only folder") {
            QCOMPARE(::chmod(QFile::encodeName(m_dir).constData(), 0555), 0);
            QFile probe(path(QStringLiteral("probe")));
            if (probe.open(QIODevice::WriteOnly))
                QSKIP("this user writes into read-only folders");
        } else if (fault == u"immutable file") {
            immutable = setImmutable(target, true);
            if (!immutable)
                QSKIP("the file system or the user cannot make files immutable");
        }

        const QString message = save(target);
        limit.reset();
        if (immutable)
            setImmutable(target, false);
        const QStringList left = QDir(m_dir).entryList(QDir::Files | QDir::Hidden);
        const QByteArray after = readAll(target);
        if (mounted)
            ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);

        QVERIFY2(!message.isEmpty(), "the save reported success");
        QCOMPARE(after, old);
        QCOMPARE(left, QStringList {name});
    }

    // The command-line tool with the default SIGXFSZ action: the write past
    // the limit is an error like any other, not the end of the program.
    void fileSizeLimitEndsNoProgram()
    {
        const QString input = path(QStringLiteral("in.tmd"));
        fill(*m_data, 150);
        QCOMPARE(save(input), QString());
        const QString output = path(QStringLiteral("out.csv"));
        writeAll(output, "old");

        QProcess cli;
        cli.setChildProcessModifier([] {
            ::signal(SIGXFSZ, SIG_DFL);
            rlimit limit {4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        cli.start(cliPath(), {QStringLiteral("convert"), input, output});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains(QStringLiteral("書き込めません")));
        QCOMPARE(readAll(output), QByteArray("old"));
    }

    // Killed at any moment of a save over an existing document, the file is
    // either the old one or the new one, never a mixture.
    void killDuringSaveLeavesOldOrNew()
    {
        const QString input = path(QStringLiteral("in.csv"));
        fill(*m_data, 3000);
        QCOMPARE(save(input), QString());
        const QString output = path(QStringLiteral("out.tmd"));
        m_data->Clear();
        fill(*m_data, 10);
        QCOMPARE(save(output), QString());
        const QByteArray old = readAll(output);

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(QProcess::execute(cliPath(), {QStringLiteral("convert"), input, output}), 0);
        const qint64 fullRunUs = qMax<qint64>(timer.nsecsElapsed() / 1000, 1000);
        const QByteArray fresh = readAll(output);
        QVERIFY(fresh != old);

        QRandomGenerator random(20261208);
        int killed = 0;
        for (int round = 0; round < 40; ++round) {
            writeAll(output, old);
            QProcess cli;
            cli.start(cliPath(), {QStringLiteral("convert"), input, output});
            QVERIFY(cli.waitForStarted());
            QThread::usleep(random.bounded(quint32(fullRunUs)));
            if (cli.state() == QProcess::Running) {
                ::kill(pid_t(cli.processId()), SIGKILL);
                ++killed;
            }
            QVERIFY(cli.waitForFinished(30000));
            const QByteArray now = readAll(output);
            QVERIFY2(now == old || now == fresh, qPrintable(QStringLiteral("round %1").arg(round)));
        }
        QVERIFY2(killed > 0, "no save was interrupted");
    }
};

QTEST_GUILESS_MAIN(TestSaveDestination)
#include "tst_savedestination.moc"
