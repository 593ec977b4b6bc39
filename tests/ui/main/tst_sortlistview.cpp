#include "ui/main/SortListView.h"

#include <QHeaderView>
#include <QLocale>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>

// Rows named r0..r3; each column orders them differently, and the right-
// aligned columns hold numbers of different lengths, which sort wrongly
// unless they are padded on the left.
namespace {

const ListRow Rows[] = {
    {QStringLiteral("いちご"),
        {QStringLiteral("5巻"), QStringLiteral("ア"), QStringLiteral("2026年12月08日"), QStringLiteral("3日"),
            QStringLiteral("14日"), QStringLiteral("2026/11/30")}},
    {QStringLiteral("Banana"),
        {QStringLiteral("12巻"), QStringLiteral("ウ"), QStringLiteral("5日"), QStringLiteral("10日"),
            QStringLiteral("0日"), QString()}},
    {QStringLiteral("ぶどう"),
        {QString(), QStringLiteral("エ"), QStringLiteral("2027年01月05日"), QStringLiteral("1日"),
            QStringLiteral("7日"), QStringLiteral("2025/01/01")}},
    {QStringLiteral("apple"),
        {QStringLiteral("100巻"), QStringLiteral("イ"), QStringLiteral("2026年01月31日"), QStringLiteral("25日"),
            QStringLiteral("2日"), QStringLiteral("2026/12/01")}},
};

} // namespace

class TestSortListView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }

    void init()
    {
        m_list = new TSortListView;
        AddItemListColumns(*m_list);
        m_list->resize(700, 300);
    }

    void cleanup()
    {
        delete m_list;
        m_list = nullptr;
    }

    // Every caption shows whole with the sort arrow beside it, in the
    // default font and in a larger bold list font; the designed widths stay
    // the least.
    void columnsFitTheirCaptions_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::newRow("default font") << 0 << false;
        QTest::newRow("12 point bold") << 12 << true;
    }
    void columnsFitTheirCaptions()
    {
        QFETCH(int, points);
        QFETCH(bool, bold);
        if (points > 0) {
            QFont font = m_list->font();
            font.setPointSize(points);
            font.setBold(bold);
            m_list->setFont(font);
        }
        const int designed[] = {135, 50, 75, 100, 75, 75, 75};
        const QHeaderView *header = m_list->header();
        const int arrow = header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
        for (int column = 0; column < m_list->columnCount(); ++column) {
            const QString caption = m_list->headerItem()->text(column);
            const int text = header->fontMetrics().horizontalAdvance(caption);
            QVERIFY2(m_list->columnWidth(column) >= designed[column], qPrintable(caption));
            QVERIFY2(m_list->columnWidth(column) >= text + arrow + 8, qPrintable(caption));
        }
        // the last processed date shows whole
        QVERIFY(
            m_list->columnWidth(6) >= m_list->fontMetrics().horizontalAdvance(QStringLiteral("2026年12月31日")) + 4);
    }

    void sortByColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending");
        const QString r0 = Rows[0].caption, r1 = Rows[1].caption, r2 = Rows[2].caption, r3 = Rows[3].caption;
        // Titles ignore case: "apple" before "Banana".
        QTest::newRow("0 title") << 0 << QStringList {r3, r1, r0, r2};
        // Empty, 5, 12, 100: only the padded form gives this order.
        QTest::newRow("1 option") << 1 << QStringList {r2, r0, r1, r3};
        QTest::newRow("2 kind") << 2 << QStringList {r0, r3, r1, r2};
        // A short rule text before the full dates.
        QTest::newRow("3 target") << 3 << QStringList {r1, r3, r0, r2};
        QTest::newRow("4 before") << 4 << QStringList {r2, r0, r1, r3};
        QTest::newRow("5 after") << 5 << QStringList {r1, r3, r2, r0};
        // Left-aligned: no padding, the empty text first.
        QTest::newRow("6 last") << 6 << QStringList {r1, r2, r0, r3};
    }

    void sortByColumn()
    {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);

        fill();
        const QStringList filled = captions();
        // Assigning the column or the mode does not sort by itself.
        m_list->setSortColumn(column);
        m_list->setSortMode(smDescending);
        QCOMPARE(captions(), filled);
        m_list->setSortMode(smAscending);
        m_list->AlphaSort();
        QCOMPARE(captions(), ascending);

        m_list->setSortMode(smDescending);
        m_list->AlphaSort();
        QStringList descending(ascending.crbegin(), ascending.crend());
        QCOMPARE(captions(), descending);
        // CompareItems carries the direction: the list is in its order.
        QVERIFY(m_list->CompareItems(m_list->row(0), m_list->row(1)) < 0);
        m_list->setSortMode(smAscending);
        QVERIFY(m_list->CompareItems(m_list->row(0), m_list->row(1)) > 0);
    }

    void caseDecidesOnlyTies()
    {
        m_list->BeginUpdate();
        for (const QString &t : {QStringLiteral("abd"), QStringLiteral("ABC"), QStringLiteral("abc")})
            m_list->addRow()->setCaption(t);
        m_list->EndUpdate();
        const QStringList sorted = captions();
        QCOMPARE(sorted.last(), QStringLiteral("abd"));
        QCOMPARE(QSet<QString>(sorted.cbegin(), sorted.cbegin() + 2),
            (QSet<QString> {QStringLiteral("abc"), QStringLiteral("ABC")}));
        // The tie of the case-blind comparison is broken, both ways alike.
        const int forward = m_list->CompareItems(m_list->row(0), m_list->row(1));
        QVERIFY(forward < 0);
        QCOMPARE(m_list->CompareItems(m_list->row(1), m_list->row(0)), -forward);
    }

    void rowWithoutSubTexts()
    {
        fill();
        TSortListItem *bare = m_list->addRow();
        bare->setCaption(QStringLiteral("zzz"));
        QCOMPARE(m_list->sortText(bare, 4), QString(20, u' '));
        QCOMPARE(m_list->sortText(bare, 2), QString());
        m_list->setSortColumn(4);
        m_list->AlphaSort();
        QCOMPARE(m_list->row(0), bare);
        // A text of 20 bytes or more stays as it is.
        bare->setSubItem(3, QStringLiteral("１２３４５６７８９０日"));
        QCOMPARE(m_list->sortText(bare, 4), QStringLiteral("１２３４５６７８９０日"));
    }

    void headerClicks()
    {
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        fill();
        const QStringList byTarget = {Rows[1].caption, Rows[3].caption, Rows[0].caption, Rows[2].caption};

        clickHeader(3);
        QCOMPARE(m_list->SortColumn(), 3);
        QCOMPARE(m_list->SortMode(), smAscending);
        QCOMPARE(captions(), byTarget);

        clickHeader(3);
        QCOMPARE(m_list->SortMode(), smDescending);
        QCOMPARE(captions(), QStringList(byTarget.crbegin(), byTarget.crend()));

        // A new column keeps the direction.
        clickHeader(0);
        QCOMPARE(m_list->SortColumn(), 0);
        QCOMPARE(m_list->SortMode(), smDescending);
        QCOMPARE(captions(), (QStringList {Rows[2].caption, Rows[0].caption, Rows[1].caption, Rows[3].caption}));
        QCOMPARE(m_list->header()->sortIndicatorSection(), 0);
        QCOMPARE(m_list->header()->sortIndicatorOrder(), Qt::DescendingOrder);

        // Without automatic sorting a click changes nothing.
        m_list->setColumnClickAutoSort(false);
        const QStringList before = captions();
        clickHeader(4);
        clickHeader(3);
        QCOMPARE(m_list->SortColumn(), 0);
        QCOMPARE(m_list->SortMode(), smDescending);
        QCOMPARE(captions(), before);
        QCOMPARE(m_list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void updateBracketSortsOnce()
    {
        m_list->BeginUpdate();
        m_list->BeginUpdate();
        for (const ListRow &r : Rows)
            m_list->addRow()->setRow(r);
        m_list->EndUpdate();
        // Still inside the outer bracket: rows in the order they came.
        QCOMPARE(captions(), (QStringList {Rows[0].caption, Rows[1].caption, Rows[2].caption, Rows[3].caption}));
        m_list->EndUpdate();
        QCOMPARE(captions(), (QStringList {Rows[3].caption, Rows[1].caption, Rows[0].caption, Rows[2].caption}));
        QVERIFY(!m_list->isUpdating());
    }

    void rowAddedOutsideBracketTakesItsPlace()
    {
        fill();
        m_list->setSortColumn(4);
        m_list->AlphaSort();
        ListRow added = Rows[0];
        added.caption = QStringLiteral("new");
        added.subItems[3] = QStringLiteral("2日");
        TSortListItem *row = m_list->addRow();
        row->setRow(added);
        // 1日, 2日, 3日, 10日, 25日
        QCOMPARE(m_list->row(1), row);
    }

    void dividerDoubleClickFitsColumn()
    {
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list));
        fill();
        QSignalSpy fitted(m_list, &TSortListView::columnFitted);
        QHeaderView *h = m_list->header();
        const QPoint divider(h->sectionViewportPosition(3) + h->sectionSize(3) - 1, h->height() / 2);
        QTest::mouseDClick(h->viewport(), Qt::LeftButton, {}, divider);
        QTRY_COMPARE(fitted.count(), 1);
        QCOMPARE(fitted.at(0).at(0).toInt(), 3);
        const int fittedWidth = m_list->columnWidth(3);
        QVERIFY(fittedWidth != 100);
        QCOMPARE(fitted.at(0).at(1).toInt(), fittedWidth);
        // It is the width that fits the contents.
        m_list->resizeColumnToContents(3);
        QCOMPARE(m_list->columnWidth(3), fittedWidth);
    }

    void cellsLookAsTheStyleDrawsThem_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("selected");
        QTest::newRow("enabled") << true << -1;
        QTest::newRow("row selected") << true << 1;
        QTest::newRow("disabled") << false << -1;
    }

    // The list draws plain cells itself, for speed; they must come out as
    // the style draws them: margins, alignment, colours and elision.
    void cellsLookAsTheStyleDrawsThem()
    {
        QFETCH(bool, enabled);
        QFETCH(int, selected);
        fill();
        m_list->addRow()->setRow({QStringLiteral("列の幅には収まらないとても長いタイトル"),
            {QStringLiteral("123456789巻"), QStringLiteral("不定期"), QStringLiteral("2026年12月08日"),
                QStringLiteral("3日"), QStringLiteral("済まで"), QStringLiteral("2026/12/08")}});
        m_list->setColumnWidth(3, 70);
        m_list->setEnabled(enabled);
        if (selected >= 0)
            m_list->setSelectedRow(m_list->row(selected));
        const QImage own = m_list->grab().toImage();
        m_list->setItemDelegate(new QStyledItemDelegate(m_list));
        const QImage styled = m_list->grab().toImage();
        QCOMPARE(own, styled);
    }

private:
    QStringList captions() const
    {
        QStringList out;
        for (int i = 0; i < m_list->rowCount(); ++i)
            out << m_list->row(i)->caption();
        return out;
    }

    void fill()
    {
        m_list->BeginUpdate();
        for (const ListRow &r : Rows)
            m_list->addRow()->setRow(r);
        m_list->EndUpdate();
    }

    void clickHeader(int column)
    {
        QHeaderView *h = m_list->header();
        const QPoint pos(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, pos);
    }

    TSortListView *m_list = nullptr;
};

QTEST_MAIN(TestSortListView)
#include "tst_sortlistview.moc"
