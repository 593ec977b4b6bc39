#include "ui/editor/DetailRules.h"

#include <QTest>

using namespace DetailRules;

class TestDetailRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void biweeklyCaption_data();
    void biweeklyCaption();
    void titleDiffUnit_data();
    void titleDiffUnit();
    void memoBreaks();
    void limits_data();
    void limits();
};

void TestDetailRules::biweeklyCaption_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("parity");
    QTest::addColumn<QString>("caption");
    // 1899-12-31 (a Sunday) opens an odd week; 2026-12-06 is a Sunday too.
    const QDate oddWeek(1899, 12, 31);
    QTest::newRow("every week") << oddWeek << 0 << QString();
    QTest::newRow("odd item, odd week") << oddWeek << 1 << QStringLiteral("今週");
    QTest::newRow("even item, odd week") << oddWeek << 2 << QStringLiteral("来週");
    QTest::newRow("odd item, Saturday ending the odd week") << QDate(1900, 1, 6) << 1 << QStringLiteral("今週");
    QTest::newRow("odd item, next Sunday") << QDate(1900, 1, 7) << 1 << QStringLiteral("来週");
    QTest::newRow("even item, next Sunday") << QDate(1900, 1, 7) << 2 << QStringLiteral("今週");
    // Day value of 2026-12-06 is 46362: (46362 - 1) div 7 = 6623, odd -> even week.
    QTest::newRow("even item, week of 2026-12-06") << QDate(2026, 12, 8) << 2 << QStringLiteral("今週");
    QTest::newRow("odd item, week of 2026-12-06") << QDate(2026, 12, 8) << 1 << QStringLiteral("来週");
    QTest::newRow("parity out of range") << oddWeek << 3 << QString();
}

void TestDetailRules::biweeklyCaption()
{
    QFETCH(QDate, today);
    QFETCH(int, parity);
    QFETCH(QString, caption);
    QCOMPARE(BiweeklyCaption(parity, QDateToDateValue(today)), caption);
}

void TestDetailRules::titleDiffUnit_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("なし") << 0 << QString() << false;
    QTest::newRow("月差") << 1 << QStringLiteral("月") << true;
    QTest::newRow("日差") << 2 << QStringLiteral("日") << true;
    QTest::newRow("/Vmag形式") << 3 << QString() << false;
    QTest::newRow("巻数") << 4 << QStringLiteral("巻") << true;
}

void TestDetailRules::titleDiffUnit()
{
    QFETCH(int, option);
    QFETCH(QString, unit);
    QFETCH(bool, enabled);
    QCOMPARE(TitleDiffUnit(option), unit);
    QCOMPARE(TitleDiffEnabled(option), enabled);
}

void TestDetailRules::memoBreaks()
{
    const QString stored = QStringLiteral("一行目\r\n二行目\r\n");
    QCOMPARE(MemoToEditor(stored), QStringLiteral("一行目\n二行目\n"));
    QCOMPARE(EditorToMemo(MemoToEditor(stored)), stored);
    // Paragraph and line separators of a text document count as line breaks.
    QCOMPARE(
        EditorToMemo(QStringLiteral("a") + QChar::ParagraphSeparator + QStringLiteral("b")), QStringLiteral("a\r\nb"));
    QCOMPARE(MemoBytes(QStringLiteral("あ\nb")), 5);
}

void TestDetailRules::limits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("title");
    QTest::addColumn<bool>("memo");
    QTest::newRow("empty") << QString() << true << true;
    QTest::newRow("32 ascii") << QString(32, QLatin1Char('a')) << true << true;
    QTest::newRow("33 ascii") << QString(33, QLatin1Char('a')) << false << true;
    QTest::newRow("16 kanji") << QString(16, QChar(0x6F22)) << true << true;
    QTest::newRow("16 kanji + 1 byte") << QString(16, QChar(0x6F22)) + QLatin1Char('x') << false << true;
    QTest::newRow("32 half-width kana") << QString(32, QChar(0xFF71)) << true << true;
    QTest::newRow("64 ascii") << QString(64, QLatin1Char('a')) << false << true;
    QTest::newRow("65 ascii") << QString(65, QLatin1Char('a')) << false << false;
    // 31 + CR LF + 31 = 64; one more character passes the limit.
    QTest::newRow("two lines of 31") << QString(31, QLatin1Char('a')) + QLatin1Char('\n')
            + QString(31, QLatin1Char('b'))
                                     << false << true;
    QTest::newRow("two lines, 65 bytes") << QString(32, QLatin1Char('a')) + QLatin1Char('\n')
            + QString(31, QLatin1Char('b'))
                                         << false << false;
    QTest::newRow("emoji") << QStringLiteral("😀") << false << false;
    QTest::newRow("hangul") << QStringLiteral("한") << false << false;
}

void TestDetailRules::limits()
{
    QFETCH(QString, text);
    QFETCH(bool, title);
    QFETCH(bool, memo);
    QCOMPARE(FitsTitle(text), title);
    QCOMPARE(FitsMemo(text), memo);
}

QTEST_GUILESS_MAIN(TestDetailRules)
#include "tst_detailrules.moc"
