#include "ui/main/SortListView.h"

#include "data/ItemRec.h"
#include "data/TextCodec.h"

#include <QEvent>
#include <QHeaderView>
#include <QLocale>
#include <QStyleOptionHeader>

namespace {

// Right-aligned texts compare in their right-aligned form: numbers and dates
// of different lengths line up by their last characters.
constexpr qsizetype PaddedBytes = 20;

} // namespace

TSortListItem::TSortListItem()
    : QTreeWidgetItem(Type)
{ }

TSortListView *TSortListItem::listView() const
{
    return qobject_cast<TSortListView *>(treeWidget());
}

void TSortListItem::setItem(TItemRec *item)
{
    m_item = item;
    if (TSortListView *view = listView())
        view->rowChanged();
}

void TSortListItem::setCaption(const QString &caption)
{
    setText(0, caption);
    if (TSortListView *view = listView())
        view->rowChanged();
}

void TSortListItem::setSubItem(int index, const QString &text)
{
    setText(index + 1, text);
}

void TSortListItem::setRow(const ListRow &row)
{
    setText(0, row.caption);
    for (int i = 0; i < ListRow::SubItemCount; ++i)
        setText(i + 1, row.subItems[size_t(i)]);
    if (TSortListView *view = listView())
        view->rowChanged();
}

void TSortListItem::refresh()
{
    ListRow texts;
    if (m_item)
        m_item->FillListItem(texts);
    setRow(texts);
}

ListRow TSortListItem::row() const
{
    ListRow r;
    r.caption = text(0);
    for (int i = 0; i < ListRow::SubItemCount; ++i)
        r.subItems[size_t(i)] = text(i + 1);
    return r;
}

QVariant TSortListItem::data(int column, int role) const
{
    if (role == Qt::TextAlignmentRole) {
        if (TSortListView *view = listView())
            return QVariant::fromValue(view->columnAlignment(column) | Qt::AlignVCenter);
    }
    return QTreeWidgetItem::data(column, role);
}

bool TSortListItem::operator<(const QTreeWidgetItem &other) const
{
    const TSortListView *view = listView();
    if (!view || other.type() != Type)
        return QTreeWidgetItem::operator<(other);
    return view->compareAscending(this, static_cast<const TSortListItem *>(&other)) < 0;
}

TSortListView::TSortListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // sorting is ours: CompareItems, brackets, header clicks
    setColumnCount(0);

    QHeaderView *h = header();
    h->setSectionsClickable(true);
    h->setSectionsMovable(false);
    h->setStretchLastSection(false);
    h->setSortIndicatorShown(true);
    h->setSortIndicator(m_sortColumn, Qt::AscendingOrder);
    connect(h, &QHeaderView::sectionClicked, this, &TSortListView::ColumnClick);
    // The tree view already fits the column on a divider double click; we
    // only learn the width it chose. Queued so that it runs after that fit.
    connect(h, &QHeaderView::sectionHandleDoubleClicked, this, &TSortListView::DividerDblClick, Qt::QueuedConnection);
}

TSortListView::~TSortListView() = default;

void TSortListView::addColumn(const QString &caption, int width, Qt::Alignment alignment, const QString &sample)
{
    const int column = int(m_alignments.size());
    m_alignments.append(alignment);
    m_minimumWidths.append(width);
    m_samples.append(sample);
    setColumnCount(column + 1);
    QTreeWidgetItem *head = headerItem();
    head->setText(column, caption);
    head->setTextAlignment(column, alignment | Qt::AlignVCenter);
    setColumnWidth(column, qMax(width, neededColumnWidth(column)));
}

int TSortListView::neededColumnWidth(int column) const
{
    if (column < 0 || column >= m_alignments.size())
        return 0;
    const QHeaderView *h = header();
    QStyleOptionHeader option;
    option.initFrom(h);
    option.section = column;
    option.text = headerItem()->text(column);
    option.textAlignment = m_alignments.at(column) | Qt::AlignVCenter;
    // Room for the arrow whether or not this column is sorted now.
    option.sortIndicator = QStyleOptionHeader::SortDown;
    option.fontMetrics = h->fontMetrics();
    const QSize contents(h->fontMetrics().horizontalAdvance(option.text), h->fontMetrics().height());
    int needed = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, contents, h).width();
    // Some styles leave the arrow out of the section's size.
    const int arrow = style()->pixelMetric(QStyle::PM_HeaderMarkSize, &option, h);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, h);
    needed = qMax(needed, contents.width() + arrow + 3 * margin);
    if (const QString &sample = m_samples.at(column); !sample.isEmpty()) {
        const int cellMargin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
        needed = qMax(needed, fontMetrics().horizontalAdvance(sample) + 2 * cellMargin);
    }
    return needed;
}

void TSortListView::fitColumnsToFont()
{
    for (int column = 0; column < m_alignments.size(); ++column) {
        const int needed = qMax(m_minimumWidths.at(column), neededColumnWidth(column));
        if (columnWidth(column) < needed)
            setColumnWidth(column, needed);
    }
}

void TSortListView::changeEvent(QEvent *event)
{
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumnsToFont();
}

Qt::Alignment TSortListView::columnAlignment(int column) const
{
    if (column < 0 || column >= m_alignments.size())
        return Qt::AlignLeft;
    return m_alignments.at(column);
}

QString TSortListView::sortText(const TSortListItem *row, int column) const
{
    QString text = row->text(column);
    if (column > 0 && (columnAlignment(column) & Qt::AlignRight)) {
        const qsizetype bytes = Cp932::byteLength(text);
        if (bytes < PaddedBytes)
            text.prepend(QString(PaddedBytes - bytes, u' '));
    }
    return text;
}

int TSortListView::compareAscending(const TSortListItem *row1, const TSortListItem *row2) const
{
    if (!m_collatorNoCase) {
        const QLocale locale; // the user's locale unless a default was set
        m_collatorNoCase = std::make_unique<QCollator>(locale);
        m_collatorNoCase->setCaseSensitivity(Qt::CaseInsensitive);
        m_collatorCase = std::make_unique<QCollator>(locale);
        m_collatorCase->setCaseSensitivity(Qt::CaseSensitive);
    }
    const QString text1 = sortText(row1, m_sortColumn);
    const QString text2 = sortText(row2, m_sortColumn);
    int result = m_collatorNoCase->compare(text1, text2);
    if (result == 0)
        result = m_collatorCase->compare(text1, text2);
    return result;
}

int TSortListView::CompareItems(const TSortListItem *row1, const TSortListItem *row2) const
{
    const int result = compareAscending(row1, row2);
    return m_sortMode == smDescending ? -result : result;
}

void TSortListView::showSortIndicator()
{
    header()->setSortIndicator(m_sortColumn, m_sortMode == smDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TSortListView::AlphaSort()
{
    // QTreeWidget sorts stably with the rows' operator<, which is the
    // ascending comparison; descending reverses it.
    sortItems(m_sortColumn, m_sortMode == smDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    showSortIndicator();
}

void TSortListView::BeginUpdate()
{
    if (m_updateDepth++ == 0)
        setUpdatesEnabled(false);
}

void TSortListView::EndUpdate()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth == 0) {
        AlphaSort();
        setUpdatesEnabled(true);
    }
}

void TSortListView::rowChanged()
{
    if (!isUpdating())
        AlphaSort();
}

TSortListItem *TSortListView::row(int index) const
{
    return static_cast<TSortListItem *>(topLevelItem(index));
}

TSortListItem *TSortListView::addRow()
{
    auto *r = new TSortListItem;
    addTopLevelItem(r);
    return r;
}

void TSortListView::deleteRow(TSortListItem *row)
{
    delete row;
}

void TSortListView::clearRows()
{
    BeginUpdate();
    clear();
    EndUpdate();
}

TSortListItem *TSortListView::selectedRow() const
{
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? nullptr : static_cast<TSortListItem *>(items.first());
}

void TSortListView::setSelectedRow(TSortListItem *row)
{
    if (!row) {
        clearSelection();
        return;
    }
    setCurrentItem(row);
    row->setSelected(true);
}

TSortListItem *TSortListView::rowOfItem(const TItemRec *item) const
{
    for (int i = 0; i < rowCount(); ++i)
        if (row(i)->item() == item)
            return row(i);
    return nullptr;
}

void TSortListView::ColumnClick(int column)
{
    if (!m_autoSort) {
        showSortIndicator(); // the header flipped its arrow on its own
        return;
    }
    if (column == m_sortColumn)
        m_sortMode = m_sortMode == smAscending ? smDescending : smAscending;
    else
        m_sortColumn = column;
    AlphaSort();
}

void TSortListView::DividerDblClick(int column)
{
    // The header section is the column's width; it is what gets saved.
    Q_EMIT columnFitted(column, columnWidth(column));
}

void AddItemListColumns(TSortListView &list)
{
    list.addColumn(QStringLiteral("タイトル"), 135, Qt::AlignLeft);
    list.addColumn(QStringLiteral("オプション"), 50, Qt::AlignRight);
    list.addColumn(QStringLiteral("タイプ"), 75, Qt::AlignLeft);
    list.addColumn(QStringLiteral("対　象　日"), 100, Qt::AlignRight, QStringLiteral("0000年00月00日"));
    list.addColumn(QStringLiteral("前表示期間"), 75, Qt::AlignRight);
    list.addColumn(QStringLiteral("後表示期間"), 75, Qt::AlignRight);
    // The device's time stamp, always a full date.
    list.addColumn(QStringLiteral("最終処理日"), 75, Qt::AlignLeft, QStringLiteral("0000年00月00日"));
}
