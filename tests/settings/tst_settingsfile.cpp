#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs `body` as user "nobody" when the test runs as root, for whom no
// permission bit would hold; as itself otherwise.
class AsOtherUserIfRoot
{
public:
    static constexpr uid_t Nobody = 65534;
    AsOtherUserIfRoot()
        : m_root(::geteuid() == 0)
    {
        if (m_root)
            m_switched = ::setegid(Nobody) == 0 && ::seteuid(Nobody) == 0;
    }
    ~AsOtherUserIfRoot()
    {
        if (m_root) {
            (void)!::seteuid(0);
            (void)!::setegid(0);
        }
    }
    bool ok() const { return !m_root || m_switched; }

private:
    bool m_root;
    bool m_switched = false;
};

// Runs `body` on a thread and reports whether it finished within `ms`; if
// not, `unblock` is called so the thread can end.
template <typename Body, typename Unblock> bool finishesWithin(int ms, Body body, Unblock unblock)
{
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    std::thread worker([&] {
        body();
        std::lock_guard lock(mutex);
        done = true;
        cv.notify_all();
    });
    bool inTime = false;
    {
        std::unique_lock lock(mutex);
        inTime = cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done; });
    }
    if (!inTime)
        unblock();
    worker.join();
    return inTime;
}

struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace

// The INI file: every call goes straight to disk and leaves other lines alone.
class TestSettingsFile : public QObject
{
    Q_OBJECT

    QByteArray contents() const
    {
        QFile f(m_path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void setContents(const QByteArray &bytes)
    {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QString s(const char *text) { return QString::fromUtf8(text); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("t.ini"));
    }

    void missingFileGivesDefaults()
    {
        SettingsFile f(m_path);
        QCOMPARE(f.readInteger(s("Option"), s("DockPort"), 1), 1);
        QCOMPARE(f.readBool(s("Option"), s("RupAutoOpen"), true), true);
        QCOMPARE(f.readString(s("Option"), s("RupFileName"), s("x")), s("x"));
        QVERIFY(!QFile::exists(m_path));
    }

    void integerReads_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("integer");
        QTest::addColumn<bool>("boolean");
        QTest::newRow("one") << QByteArray("1") << 1 << true;
        QTest::newRow("zero") << QByteArray("0") << 0 << false;
        QTest::newRow("negative") << QByteArray("-12") << -12 << true;
        QTest::newRow("spaces") << QByteArray("  42 ") << 42 << true;
        QTest::newRow("not a number") << QByteArray("abc") << 99 << false;
        QTest::newRow("empty") << QByteArray("") << 99 << false;
        QTest::newRow("trailing garbage") << QByteArray("12x") << 99 << false;
    }
    void integerReads()
    {
        QFETCH(QByteArray, stored);
        setContents("[Option]\nValue=" + stored + "\n");
        SettingsFile f(m_path);
        QTEST(f.readInteger(s("Option"), s("Value"), 99), "integer");
        QTEST(f.readBool(s("Option"), s("Value"), false), "boolean");
    }

    void writesGoStraightToDisk()
    {
        SettingsFile f(m_path);
        QVERIFY(f.writeInteger(s("Option"), s("Speed"), 8));
        QVERIFY(f.writeBool(s("Option"), s("RupAutoOpen"), true));
        QVERIFY(f.writeString(s("CSVOption"), s("CRChar"), s("LF")));
        QVERIFY(f.writeInteger(s("Option"), s("Speed"), 9));
        // A value with commas is one text, not a list.
        QVERIFY(f.writeString(s("WindowPos"), s("ListForm"), s("0,10,20")));
        QCOMPARE(contents(),
            QByteArray(
                "[Option]\nSpeed=9\nRupAutoOpen=1\n\n[CSVOption]\nCRChar=LF\n\n[WindowPos]\nListForm=0,10,20\n"));
        SettingsFile other(m_path);
        QCOMPARE(other.readInteger(s("Option"), s("Speed"), 0), 9);
        QCOMPARE(other.readString(s("WindowPos"), s("ListForm"), QString()), s("0,10,20"));
    }

    void typedTextStaysOneValue()
    {
        SettingsFile f(m_path);
        QVERIFY(f.writeString(s("Option"), s("RupFile"), s("a\r\n[Option]\nToolBtn=0")));
        QCOMPARE(contents(), QByteArray("[Option]\nRupFile=a  [Option] ToolBtn=0\n"));
        QVERIFY(!f.writeString(s("Option"), s("a=b"), s("1")));
        QVERIFY(!f.writeString(s("Opt\nion"), s("x"), s("1")));
        QVERIFY(!f.writeString(s("A]"), s("x"), s("1")));
        QCOMPARE(contents(), QByteArray("[Option]\nRupFile=a  [Option] ToolBtn=0\n"));
    }

    void keepsOtherLinesByteForByte()
    {
        setContents("; comment\r\n[A]\r\nx = 1\r\n\r\n[B]\r\ny=2\r\n");
        SettingsFile f(m_path);
        QVERIFY(f.writeString(s("A"), s("z"), s("3")));
        QCOMPARE(contents(), QByteArray("; comment\r\n[A]\r\nx = 1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"));
        QCOMPARE(f.readInteger(s("A"), s("x"), 0), 1);
    }

    void unchangedValueLeavesFileAlone()
    {
        setContents("[A]\r\nx=1\r\n");
        const auto inode = [this] {
            struct stat st
            {
            };
            return ::stat(QFile::encodeName(m_path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
        };
        const ino_t before = inode();
        SettingsFile f(m_path);
        QVERIFY(f.writeInteger(s("A"), s("x"), 1));
        QCOMPARE(inode(), before); // not replaced by a rewritten copy
        QVERIFY(f.writeInteger(s("A"), s("x"), 2));
        QCOMPARE(contents(), QByteArray("[A]\r\nx=2\r\n"));
    }

    void caseInsensitiveNames()
    {
        setContents("[windowpos]\nLISTFORM=1,2\n");
        SettingsFile f(m_path);
        QCOMPARE(f.readString(s("WindowPos"), s("ListForm"), QString()), s("1,2"));
        QVERIFY(f.writeString(s("WindowPos"), s("ListForm"), s("3,4")));
        QCOMPARE(contents(), QByteArray("[windowpos]\nListForm=3,4\n"));
    }

    void legacyShiftJisValue()
    {
        setContents("[Option]\nRupFileName=\x8e\xa9\x93\xae.tmd\nUtf=\xe8\x87\xaa\xe5\x8b\x95\n");
        SettingsFile f(m_path);
        QCOMPARE(f.readString(s("Option"), s("RupFileName"), QString()), s("自動.tmd"));
        QCOMPARE(f.readString(s("Option"), s("Utf"), QString()), s("自動"));
    }

    void deleteAndErase()
    {
        setContents("[A]\nx=1\ny=2\n[B]\nz=3\n");
        SettingsFile f(m_path);
        QVERIFY(f.deleteKey(s("A"), s("x")));
        QCOMPARE(f.readSection(s("A")), QStringList {s("y")});
        QVERIFY(f.eraseSection(s("A")));
        QCOMPARE(contents(), QByteArray("[B]\nz=3\n"));
        QVERIFY(!f.sectionExists(s("A")));
    }

    void unwritableLocationKeepsOldFile()
    {
        // A regular file where the settings file's directory should be.
        setContents("[A]\nx=2\n");
        SettingsFile f(m_path + s("/inner.ini"));
        QVERIFY(!f.writeInteger(s("A"), s("x"), 1));
        QCOMPARE(contents(), QByteArray("[A]\nx=2\n"));
        QCOMPARE(f.readInteger(s("A"), s("x"), 5), 5);
    }

    // Mode 0200: the owner may write but not read. Whatever it holds must
    // survive; a write would otherwise replace it with one key.
    void unreadableFileIsNeverWritten()
    {
        const QByteArray before("[A]\nx=7\n[B]\ny=8\n");
        setContents(before);
        QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0777) == 0);
        QVERIFY(
            ::chown(QFile::encodeName(m_path).constData(), AsOtherUserIfRoot::Nobody, AsOtherUserIfRoot::Nobody) == 0
            || ::geteuid() != 0);
        QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
        bool wrote = true;
        int x = 0;
        bool exists = true;
        {
            AsOtherUserIfRoot user;
            QVERIFY(user.ok());
            QVERIFY(!QFile(m_path).open(QIODevice::ReadOnly)); // really unreadable for us
            SettingsFile f(m_path);
            x = f.readInteger(s("A"), s("x"), 5);
            exists = f.sectionExists(s("B"));
            wrote = f.writeInteger(s("A"), s("x"), 1) || f.deleteKey(s("B"), s("y")) || f.eraseSection(s("B"));
        }
        QCOMPARE(x, 5);
        QVERIFY(!exists);
        QVERIFY(!wrote);
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(contents(), before);
        QCOMPARE(statOf(m_path).st_mode & 07777, mode_t(0600));
    }

    void notRegularFileIsNeitherReadNorWritten_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("FIFO") << true;
        QTest::newRow("directory") << false;
    }
    void notRegularFileIsNeitherReadNorWritten()
    {
        QFETCH(bool, fifo);
        const QByteArray path = QFile::encodeName(m_path);
        QVERIFY(fifo ? ::mkfifo(path.constData(), 0600) == 0 : QDir().mkdir(m_path));
        int x = 0;
        bool wrote = true;
        // Opening a FIFO for reading waits for a writer; this one never comes.
        const bool inTime = finishesWithin(
            5000,
            [&] {
                SettingsFile f(m_path);
                x = f.readInteger(s("A"), s("x"), 5);
                wrote = f.writeInteger(s("A"), s("x"), 1);
            },
            [&] {
                const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
            });
        QVERIFY2(inTime, "blocked on the settings file");
        QCOMPARE(x, 5);
        QVERIFY(!wrote);
        const mode_t type = statOf(m_path).st_mode & S_IFMT;
        QCOMPARE(type, fifo ? mode_t(S_IFIFO) : mode_t(S_IFDIR));
    }

    // A change by another program is seen at the next read, even one that
    // keeps the size, the inode and (with a coarse clock) the time.
    void externalChangeBetweenReads_data()
    {
        QTest::addColumn<bool>("sameTime");
        QTest::newRow("new time") << false;
        QTest::newRow("same size and time") << true;
    }
    void externalChangeBetweenReads()
    {
        QFETCH(bool, sameTime);
        setContents("[A]\nx=1\n");
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(m_path).constData(), old, 0) == 0);
        SettingsFile f(m_path);
        QCOMPARE(f.readInteger(s("A"), s("x"), 0), 1);
        QCOMPARE(f.readInteger(s("A"), s("x"), 0), 1);
        const ino_t inode = statOf(m_path).st_ino;
        setContents("[A]\nx=2\n");
        if (sameTime)
            QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(m_path).constData(), old, 0) == 0);
        QCOMPARE(statOf(m_path).st_ino, inode);
        QCOMPARE(f.readInteger(s("A"), s("x"), 0), 2);
        // Another section added later is found, and one removed is gone.
        setContents("[B]\ny=3\n");
        QCOMPARE(f.readInteger(s("B"), s("y"), 0), 3);
        QVERIFY(!f.sectionExists(s("A")));
        QVERIFY(QFile::remove(m_path));
        QCOMPARE(f.readInteger(s("B"), s("y"), 0), 0);
    }

    // Writes build on the file as it is, ours or changed by someone else.
    void writesSeeTheirOwnAndOtherChanges()
    {
        setContents("[A]\nx=1\n");
        SettingsFile f(m_path);
        SettingsFile other(m_path);
        QVERIFY(f.writeInteger(s("A"), s("y"), 2));
        QCOMPARE(f.readInteger(s("A"), s("y"), 0), 2);
        QVERIFY(other.writeInteger(s("A"), s("z"), 3));
        QVERIFY(f.writeInteger(s("A"), s("x"), 4));
        QCOMPARE(contents(), QByteArray("[A]\nx=4\ny=2\nz=3\n"));
        QCOMPARE(f.readSection(s("A")), (QStringList {s("x"), s("y"), s("z")}));
        QCOMPARE(other.readInteger(s("A"), s("x"), 0), 4);
    }

    // Sections of one name: the first counts, also once it is parsed.
    void firstSectionOfANameCounts()
    {
        setContents("[A]\nx=1\n[a]\nx=2\ny=3\n");
        SettingsFile f(m_path);
        QCOMPARE(f.readInteger(s("A"), s("x"), 0), 1);
        QCOMPARE(f.readInteger(s("A"), s("y"), 0), 0);
        QVERIFY(f.writeInteger(s("A"), s("y"), 4));
        QCOMPARE(contents(), QByteArray("[A]\nx=1\ny=4\n[a]\nx=2\ny=3\n"));
        QVERIFY(f.eraseSection(s("a")));
        QCOMPARE(contents(), QByteArray("[a]\nx=2\ny=3\n"));
    }

    void everyProgramSharesOneFile()
    {
        // The command-line tool and the window read the same settings.
        const QByteArray saved = qgetenv("TIDEMARK_SETTINGS");
        qunsetenv("TIDEMARK_SETTINGS");
        const QString path = DefaultSettingsPath();
        qputenv("TIDEMARK_SETTINGS", saved);
        QCOMPARE(QFileInfo(path).fileName(), s("tidemark.ini"));
        QCOMPARE(QFileInfo(path).absolutePath(), QDir::currentPath());
    }

    void systemDirs_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<bool>("system");
        QTest::newRow("package") << s("/usr/bin") << true;
        QTest::newRow("local install") << s("/usr/local/bin") << true;
        QTest::newRow("merged /bin") << s("/bin") << true;
        QTest::newRow("sbin") << s("/sbin") << true;
        QTest::newRow("trailing slash") << s("/usr/bin/") << true;
        QTest::newRow("dot-dot back into /usr") << s("/tmp/../usr/games") << true;
        QTest::newRow("name only begins alike") << s("/usr/bin2") << false;
        QTest::newRow("source tree under /usr") << s("/usr/src/tidemark/build/bin") << false;
        QTest::newRow("home") << s("/home/user/tidemark") << false;
        QTest::newRow("opt") << s("/opt/tidemark") << false;
        QTest::newRow("build tree") << QDir::currentPath() << false;
    }

    // A program run from the system's directories, even by root, keeps its
    // settings in the user's directory rather than beside itself.
    void systemDirs()
    {
        QFETCH(QString, dir);
        QFETCH(bool, system);
        QCOMPARE(IsSystemDir(dir), system);
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
