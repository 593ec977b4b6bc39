#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(IntSetting)

// The settings table: what a missing key gives, and that readers and writers
// of one setting meet under the key name stored files use.
class TestSettingKeys : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void integerDefaults_data()
    {
        QTest::addColumn<IntSetting>("setting");
        QTest::addColumn<int>("expected");
        QTest::newRow("Dock") << SettingKeys::Dock << 1;
        QTest::newRow("IrDA, main window") << SettingKeys::IrDA << 2;
        QTest::newRow("IrDA, settings dialog") << SettingKeys::IrDAInDialog << 0;
        QTest::newRow("Speed") << SettingKeys::Speed << 4;
        QTest::newRow("FontSize") << SettingKeys::FontSize << 0;
        QTest::newRow("ToolBtn") << SettingKeys::ToolBtn << 1;
        QTest::newRow("CommaChar") << SettingKeys::CommaChar << 44;
        QTest::newRow("QuoteChar") << SettingKeys::QuoteChar << 34;
    }
    void integerDefaults()
    {
        QFETCH(IntSetting, setting);
        QFETCH(int, expected);
        const SettingsFile missing(path("missing.ini"));
        QCOMPARE(ReadSetting(missing, setting), expected);
    }

    void otherDefaults()
    {
        const SettingsFile missing(path("missing.ini"));
        QCOMPARE(ReadSetting(missing, SettingKeys::DefaultPort), true);
        QCOMPARE(ReadSetting(missing, SettingKeys::RupFileMode), true);
        QCOMPARE(ReadSetting(missing, SettingKeys::RupAutoOpen), false);
        QCOMPARE(ReadSetting(missing, SettingKeys::SpaceQuote), true);
        QCOMPARE(ReadSetting(missing, SettingKeys::CRChar), QStringLiteral("LF"));
        QCOMPARE(ReadSetting(missing, SettingKeys::RupFile), QString());
        QCOMPARE(ReadSetting(missing, SettingKeys::FontName, QStringLiteral("Face")), QStringLiteral("Face"));
    }

    // Both IrDA entries are one key: what the dialog writes the main window
    // reads.
    void writtenValuesAreStoredUnderTheirKeys()
    {
        SettingsFile file(path("keys.ini"));
        QVERIFY(WriteSetting(file, SettingKeys::IrDAInDialog, 3));
        QVERIFY(WriteSetting(file, SettingKeys::SpaceQuote, false));
        QVERIFY(WriteSetting(file, SettingKeys::Head, QStringLiteral("00FF")));
        QCOMPARE(ReadSetting(file, SettingKeys::IrDA), 3);
        QCOMPARE(file.readInteger(QStringLiteral("Option"), QStringLiteral("IrDA"), -1), 3);
        QCOMPARE(file.readBool(QStringLiteral("CSVOption"), QStringLiteral("SpaceQuote"), true), false);
        QCOMPARE(file.readString(QStringLiteral("Default"), QStringLiteral("Head"), QString()), QStringLiteral("00FF"));
    }
};

QTEST_GUILESS_MAIN(TestSettingKeys)
#include "tst_settingkeys.moc"
