#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

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
