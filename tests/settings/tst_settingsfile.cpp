#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QDir>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void missingFileGivesDefaults();
    void integerReads_data();
    void integerReads();
    void writesGoStraightToDisk();
    void keepsOtherLinesByteForByte();
    void caseInsensitiveNames();
    void commaSeparatedValueIsOneText();
    void legacyShiftJisValue();
    void deleteAndErase();
    void unwritableLocationKeepsOldFile();
    void everyProgramSharesOneFile();

private:
    QByteArray contents() const;
    void setContents(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("t.ini"));
}

QByteArray TestSettingsFile::contents() const
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestSettingsFile::setContents(const QByteArray &bytes)
{
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void TestSettingsFile::missingFileGivesDefaults()
{
    SettingsFile s(m_path);
    QCOMPARE(s.readInteger(QStringLiteral("Option"), QStringLiteral("DockPort"), 1), 1);
    QCOMPARE(s.readBool(QStringLiteral("Option"), QStringLiteral("RupAutoOpen"), true), true);
    QCOMPARE(s.readString(QStringLiteral("Option"), QStringLiteral("RupFileName"), QStringLiteral("x")),
             QStringLiteral("x"));
    QVERIFY(!QFile::exists(m_path));
}

void TestSettingsFile::integerReads_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("integer");
    QTest::addColumn<bool>("boolean");
    QTest::newRow("one") << QByteArray("1") << 1 << true;
    QTest::newRow("zero") << QByteArray("0") << 0 << false;
    QTest::newRow("negative") << QByteArray("-12") << -12 << true;
    QTest::newRow("any non-zero") << QByteArray("7") << 7 << true;
    QTest::newRow("spaces") << QByteArray("  42 ") << 42 << true;
    QTest::newRow("not a number") << QByteArray("abc") << 99 << false;
    QTest::newRow("empty") << QByteArray("") << 99 << false;
    QTest::newRow("trailing garbage") << QByteArray("12x") << 99 << false;
}

void TestSettingsFile::integerReads()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, integer);
    QFETCH(bool, boolean);
    setContents("[Option]\nValue=" + stored + "\n");
    SettingsFile s(m_path);
    QCOMPARE(s.readInteger(QStringLiteral("Option"), QStringLiteral("Value"), 99), integer);
    QCOMPARE(s.readBool(QStringLiteral("Option"), QStringLiteral("Value"), false), boolean);
}

void TestSettingsFile::writesGoStraightToDisk()
{
    SettingsFile s(m_path);
    QVERIFY(s.writeInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 8));
    QVERIFY(s.writeBool(QStringLiteral("Option"), QStringLiteral("RupAutoOpen"), true));
    QVERIFY(s.writeString(QStringLiteral("CSVOption"), QStringLiteral("CRChar"), QStringLiteral("LF")));
    QVERIFY(s.writeInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 9));
    QCOMPARE(contents(), QByteArray("[Option]\nSpeed=9\nRupAutoOpen=1\n\n[CSVOption]\nCRChar=LF\n"));
    SettingsFile other(m_path);
    QCOMPARE(other.readInteger(QStringLiteral("Option"), QStringLiteral("Speed"), 0), 9);
}

void TestSettingsFile::keepsOtherLinesByteForByte()
{
    const QByteArray before = "; comment\r\n[A]\r\nx = 1\r\n\r\n[B]\r\ny=2\r\n";
    setContents(before);
    SettingsFile s(m_path);
    QVERIFY(s.writeString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3")));
    QCOMPARE(contents(), QByteArray("; comment\r\n[A]\r\nx = 1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"));
    QCOMPARE(s.readInteger(QStringLiteral("A"), QStringLiteral("x"), 0), 1);
}

void TestSettingsFile::caseInsensitiveNames()
{
    setContents("[windowpos]\nLISTFORM=1,2\n");
    SettingsFile s(m_path);
    QCOMPARE(s.readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm"), QString()), QStringLiteral("1,2"));
    QVERIFY(s.writeString(QStringLiteral("WindowPos"), QStringLiteral("ListForm"), QStringLiteral("3,4")));
    QCOMPARE(contents(), QByteArray("[windowpos]\nListForm=3,4\n"));
}

void TestSettingsFile::commaSeparatedValueIsOneText()
{
    SettingsFile s(m_path);
    QVERIFY(s.writeString(QStringLiteral("WindowPos"), QStringLiteral("ListForm"), QStringLiteral("0,10,20,300,400")));
    QCOMPARE(s.readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm"), QString()),
             QStringLiteral("0,10,20,300,400"));
}

void TestSettingsFile::legacyShiftJisValue()
{
    setContents("[Option]\nRupFileName=\x8e\xa9\x93\xae.tmd\nUtf=\xe8\x87\xaa\xe5\x8b\x95\n");
    SettingsFile s(m_path);
    QCOMPARE(s.readString(QStringLiteral("Option"), QStringLiteral("RupFileName"), QString()),
             QStringLiteral("自動.tmd"));
    QCOMPARE(s.readString(QStringLiteral("Option"), QStringLiteral("Utf"), QString()), QStringLiteral("自動"));
}

void TestSettingsFile::deleteAndErase()
{
    setContents("[A]\nx=1\ny=2\n[B]\nz=3\n");
    SettingsFile s(m_path);
    QVERIFY(s.deleteKey(QStringLiteral("A"), QStringLiteral("x")));
    QCOMPARE(s.readSection(QStringLiteral("A")), QStringList{QStringLiteral("y")});
    QVERIFY(s.eraseSection(QStringLiteral("A")));
    QCOMPARE(contents(), QByteArray("[B]\nz=3\n"));
    QVERIFY(!s.sectionExists(QStringLiteral("A")));
}

void TestSettingsFile::unwritableLocationKeepsOldFile()
{
    // A regular file where the settings file's directory should be.
    setContents("[A]\nx=2\n");
    SettingsFile s(m_path + QStringLiteral("/inner.ini"));
    QVERIFY(!s.writeInteger(QStringLiteral("A"), QStringLiteral("x"), 1));
    QCOMPARE(contents(), QByteArray("[A]\nx=2\n"));
    QCOMPARE(s.readInteger(QStringLiteral("A"), QStringLiteral("x"), 5), 5);
}

void TestSettingsFile::everyProgramSharesOneFile()
{
    // The command-line tool and the window read the same settings.
    const QByteArray saved = qgetenv("TIDEMARK_SETTINGS");
    qunsetenv("TIDEMARK_SETTINGS");
    const QString path = DefaultSettingsPath();
    qputenv("TIDEMARK_SETTINGS", saved);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("tidemark.ini"));
    QCOMPARE(QFileInfo(path).absolutePath(), QDir::currentPath());
}

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
