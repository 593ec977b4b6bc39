#include "DataFixtures.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "data/ItemFile.h"
#include "data/Notifier.h"
#include "settings/AppSettings.h"

#include <QTest>

// What a load or a save tells the user about single items: at most one box
// per command, and every change the item file makes to what the user sees.
class TestNotices : public QObject
{
    Q_OBJECT

    TestEnvironment env;
    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(env.path(name), bytes); }
    QString csv(const QString &lines) { return file("in.csv", CsvHeader() + "\r\n" + Cp932::encode(lines)); }

private Q_SLOTS:
    void init() { env.resetSettings(); }

    void summary_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << 0 << QString();
        QTest::newRow("one stands as it is") << 1 << QStringLiteral("n1\r二行目");
        QTest::newRow("two") << 2 << QStringLiteral("2 件のお知らせがあります。\r\rn1 二行目\rn2 二行目");
        QString ten = QStringLiteral("12 件のお知らせがあります。\r");
        for (int i = 1; i <= NoticeList::Kept; ++i)
            ten += QStringLiteral("\rn%1 二行目").arg(i);
        QTest::newRow("more than are kept") << 12 << ten + QStringLiteral("\r…ほか 2 件");
    }

    void summary()
    {
        QFETCH(int, count);
        QFETCH(QString, expected);
        NoticeList notices;
        for (int i = 1; i <= count; ++i)
            notices.add(QStringLiteral("n%1\r二行目").arg(i));
        QCOMPARE(notices.count(), qint64(count));
        QCOMPARE(notices.first().size(), qMin(count, int(NoticeList::Kept)));
        QCOMPARE(notices.summary(), expected);

        ScriptedNotifier notifier;
        Notifier::instance().showNotices(notices);
        QCOMPARE(notifier.messages, count ? QStringList {expected} : QStringList {});
    }

    // Fifty thousand bad lines: one box with the count, not one box each.
    void manyBadLinesGiveOneBox()
    {
        ScriptedNotifier notifier;
        TData data(Settings());
        data.LoadFromFile(file("cr.csv", CsvHeader() + "\r\n" + QByteArray(50000, '\r')));
        QCOMPARE(data.count(), 0);
        QCOMPARE(notifier.messages.size(), 1);
        QVERIFY(notifier.messages[0].startsWith(QStringLiteral("50000 件のお知らせがあります。")));
        QVERIFY(notifier.messages[0].endsWith(QStringLiteral("…ほか 49990 件")));
    }

    void unreadableDatesAreTold_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        const QString told = QStringLiteral("「%1」(2 行目): %2「%3」は日付として読めないため、空欄にしました");
        QTest::newRow("no such day") << QStringLiteral("会議,,,,一度・期間,2026/02/30")
                                     << QStringList {told.arg("会議", "開始日", "2026/02/30")};
        QTest::newRow("three columns") << QStringLiteral("a,,,,一度・期間,x,2026/13/01,,,,,,,,,y")
                                       << QStringList {QStringLiteral("3 件のお知らせがあります。\r\r")
                                              + told.arg("a", "開始日", "x") + u'\r'
                                              + told.arg("a", "終了日", "2026/13/01") + u'\r'
                                              + told.arg("a", "最終処理日", "y")};
        QTest::newRow("empty and blank are no dates")
            << QStringLiteral("b,,,,一度・期間, ,,,,,,,,,,") << QStringList {};
        QTest::newRow("readable") << QStringLiteral("c,,,,一度・期間,2026/2/3") << QStringList {};
    }

    void unreadableDatesAreTold()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        ScriptedNotifier notifier;
        TData data(Settings());
        data.LoadFromFile(csv(line + QStringLiteral("\r\n")));
        QCOMPARE(data.count(), 1);
        QCOMPARE(notifier.messages, expected);
    }

    // What the item file cannot hold is told after the save, naming the item
    // and each column that changes; the save itself goes through.
    void itemFileChangesAreTold_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        const QString longTitle = QString(31, QChar(u'あ'));
        QTest::newRow("years beyond the field")
            << QStringLiteral("先,,,,一度・期間,2150/01/01,,,,,,,,,,1970/05/05")
            << QStringLiteral("「先」は次のように保存されました: 開始日「2150/01/01」→「2099/01/01」、"
                              "最終処理日「1970/05/05」→「1980/05/05」");
        QTest::newRow("title cut at a character")
            << longTitle + QStringLiteral(",,,,不定期")
            << QStringLiteral("「%1」は次のように保存されました: タイトル「%1」→「%2」")
                   .arg(longTitle, longTitle.left(16));
        QTest::newRow("before beyond a byte")
            << QStringLiteral("b,,,,一度・期間,2026/12/08,,,,,,,,200")
            << QStringLiteral("「b」は次のように保存されました: 前表示期間「200」→「-56」");
        QTest::newRow("nothing changes") << QStringLiteral("c,,,,一度・期間,2026/12/08,,,,,,,,3,-1,2026/12/01")
                                         << QString();
    }

    void itemFileChangesAreTold()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        TData data(Settings());
        data.LoadFromFile(csv(line + QStringLiteral("\r\n")));
        QCOMPARE(data.count(), 1);

        ScriptedNotifier notifier;
        const QString path = env.path(QStringLiteral("out.tmd"));
        data.SaveToFile(path);
        QVERIFY(QFile::exists(path));
        QCOMPARE(notifier.messages, expected.isEmpty() ? QStringList {} : QStringList {expected});

        // CSV holds every text as it is: nothing to tell.
        notifier.clear();
        data.SaveToFile(env.path(QStringLiteral("out.csv")));
        QCOMPARE(notifier.messages, QStringList {});
    }
};

QTEST_GUILESS_MAIN(TestNotices)
#include "tst_notices.moc"
