#include "data/Data.h"
#include "data/ItemRec.h"
#include "settings/AppSettings.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The program's own start (settings, fonts, window, first paint) with a
// full document: it must come up, paint and quit cleanly, which is what the
// start-up bench relies on too.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsAndPaints_data()
    {
        QTest::addColumn<int>("items");
        QTest::newRow("200 items") << 200;
        QTest::newRow("no document") << -1;
    }

    void startsAndPaints()
    {
        QFETCH(int, items);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QStringList args;
        if (items >= 0) {
            TData data(Settings());
            for (int i = 0; i < items; ++i) {
                auto item = NewItemOfKind(i % 4);
                item->Title = QStringLiteral("会議資料の提出 %1").arg(i);
                data.append(std::move(item));
            }
            const QString path = dir.filePath(QStringLiteral("items.tmd"));
            data.SaveToFile(path);
            args << path;
        }

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TIDEMARK_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        env.insert(QStringLiteral("TIDEMARK_SETTINGS"), dir.filePath(QStringLiteral("tidemark.ini")));
        env.insert(QStringLiteral("TIDEMARK_PROGRAM_DIR"), dir.path());
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("TIDEMARK_BIN_DIR") + QStringLiteral("/tidemark"), args);
        QVERIFY2(program.waitForFinished(60000), "the program did not quit after its first paint");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        // The steady-clock time of the first paint.
        bool number = false;
        QVERIFY(program.readAllStandardOutput().trimmed().toLongLong(&number) > 0);
        QVERIFY(number);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
