#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RupLibrary.h"
#include "device/RuputerCom.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QLibrary>
#include <QtTest>

// The link loads an outside library named in the settings and hands it the
// arguments as C values and code page 932 strings.
class TestExternalLibrary : public QObject
{
    Q_OBJECT

private:
    static QString log()
    {
        auto fn = reinterpret_cast<const char *(*)()>(QLibrary::resolve(QStringLiteral(FAKE_K660), "fake_log"));
        return fn ? QString::fromLatin1(fn()) : QString();
    }
    static void failNext(const char *function, qint32 code)
    {
        auto fn = reinterpret_cast<void (*)(const char *, qint32)>(
            QLibrary::resolve(QStringLiteral(FAKE_K660), "fake_fail"));
        QVERIFY(fn);
        fn(function, code);
    }

private Q_SLOTS:
    void cleanup() { RupLibrary::install(nullptr); }

    void loadsConfiguredLibrary()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRuputerComUi ui;
        ui.handle = 0x1234;
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("Library"), QStringLiteral(FAKE_K660));
        RupLibrary::install(nullptr);
        QCOMPARE(RupLibrary::description(), QStringLiteral(FAKE_K660));

        TRuputerCom com;
        com.setDockPort(3);
        com.setSpeed(5);
        QVERIFY(com.Upload(QStringLiteral("/tmp/a.tmd"), QStringLiteral("予定.TMD")));
        // "予定" is 97 5C 92 E8 in code page 932
        const QString expected = QStringLiteral("u_nego 0x1234 3 5 5\n"
                                                "u_upload 0x1234 3 -1 5 2F746D702F612E746D64 975C92E82E544D44\n"
                                                "u_end 0x1234 3 5 5\n");
        QCOMPARE(log(), expected);

        // an empty device name goes over as an empty string, and the failing
        // call's code reaches the report
        failNext("u_download", 42);
        QVERIFY(!com.Download(env.path(QStringLiteral("x")), QString()));
        QVERIFY(log().endsWith(QStringLiteral("u_end 0x1234 3 5 5\n")));
        QVERIFY(log().contains(QStringLiteral("u_download 0x1234 3 -1 5  ")));
        QCOMPARE(ui.texts.size(), 1);
        QVERIFY(ui.texts[0].startsWith(QStringLiteral("Ruputerからの受信に失敗しました。(42)\r\n")));
        failNext("", 0);
    }

    void unusableLibraryFallsBack()
    {
        TestEnvironment env;
        Settings().writeString(
            QStringLiteral("Ports"), QStringLiteral("Library"), env.path(QStringLiteral("libnothing.so")));
        RupLibrary::install(nullptr);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot use library")));
        QCOMPARE(RupLibrary::description(), QStringLiteral("built-in serial link"));
    }
};

QTEST_GUILESS_MAIN(TestExternalLibrary)
#include "tst_externallibrary.moc"
