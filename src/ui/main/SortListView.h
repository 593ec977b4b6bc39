#pragma once

#include "data/ListRow.h"

#include <QCollator>
#include <QList>
#include <QTreeWidget>
#include <memory>

class TItemRec;
class TSortListView;

enum TSortMode { smAscending = 0, smDescending = 1 };

// One row of a TSortListView: a caption, six sub-texts and the item it shows.
// The item stays owned by the collection.
class TSortListItem : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    TSortListItem();

    TItemRec *item() const { return m_item; }
    // Setting the item or the caption re-sorts the list (outside an update
    // bracket), as does writing a whole row.
    void setItem(TItemRec *item);
    QString caption() const { return text(0); }
    void setCaption(const QString &caption);
    QString subItem(int index) const { return text(index + 1); }
    void setSubItem(int index, const QString &text);
    void setRow(const ListRow &row);
    ListRow row() const;
    // Writes the row from its item's list texts (an empty row without one).
    void refresh();

    TSortListView *listView() const;

    QVariant data(int column, int role) const override;
    bool operator<(const QTreeWidgetItem &other) const override;

private:
    TItemRec *m_item = nullptr;
};

// A report-style list that sorts its rows by any column: a header click sorts
// by that column, a second click on it reverses the direction.
class TSortListView : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(int SortColumn READ SortColumn WRITE setSortColumn)
    Q_PROPERTY(int SortMode READ sortModeValue WRITE setSortModeValue)
    Q_PROPERTY(bool ColumnClickAutoSort READ ColumnClickAutoSort WRITE setColumnClickAutoSort)

public:
    explicit TSortListView(QWidget *parent = nullptr);
    ~TSortListView() override;

    // Assigning these marks the header only; the rows keep their order
    // until the next sort.
    int SortColumn() const { return m_sortColumn; }
    void setSortColumn(int column)
    {
        m_sortColumn = column;
        showSortIndicator();
    }
    TSortMode SortMode() const { return m_sortMode; }
    void setSortMode(TSortMode mode)
    {
        m_sortMode = mode;
        showSortIndicator();
    }
    bool ColumnClickAutoSort() const { return m_autoSort; }
    void setColumnClickAutoSort(bool on) { m_autoSort = on; }

    // Columns: caption, width in pixels, alignment (left or right), and a
    // text as wide as the column's widest content when that is known. The
    // width is the least a column gets: it widens to show its caption with
    // the sort arrow, and the sample, in the fonts in use.
    void addColumn(const QString &caption, int width, Qt::Alignment alignment, const QString &sample = {});
    // Width column `column` needs for its caption, sort arrow and sample.
    int neededColumnWidth(int column) const;
    Qt::Alignment columnAlignment(int column) const;

    // Negative, zero or positive; the direction of SortMode included.
    int CompareItems(const TSortListItem *row1, const TSortListItem *row2) const;

    // Sorts now with CompareItems (also inside an update bracket).
    void AlphaSort();

    // Update brackets: automatic sorting and painting wait until the
    // outermost bracket closes, which sorts once.
    void BeginUpdate();
    void EndUpdate();
    bool isUpdating() const { return m_updateDepth > 0; }

    int rowCount() const { return topLevelItemCount(); }
    TSortListItem *row(int index) const;
    // Appends an empty row (placed by the next sort).
    TSortListItem *addRow();
    void deleteRow(TSortListItem *row);
    void clearRows();
    TSortListItem *selectedRow() const;
    void setSelectedRow(TSortListItem *row);
    TSortListItem *rowOfItem(const TItemRec *item) const;

    // Called by a row whose caption, item or texts were written.
    void rowChanged();

    // The comparison text of a row at a column, padded for right-aligned
    // columns; used by CompareItems.
    QString sortText(const TSortListItem *row, int column) const;

Q_SIGNALS:
    // The header's divider was double-clicked and the column fitted.
    void columnFitted(int column, int width);

protected:
    void changeEvent(QEvent *event) override;
    void ColumnClick(int column);
    void DividerDblClick(int column);

private:
    int compareAscending(const TSortListItem *row1, const TSortListItem *row2) const;
    int sortModeValue() const { return int(m_sortMode); }
    void setSortModeValue(int mode) { setSortMode(mode == smDescending ? smDescending : smAscending); }
    void showSortIndicator();

    int m_sortColumn = 0;
    TSortMode m_sortMode = smAscending;
    bool m_autoSort = true;
    int m_updateDepth = 0;
    QList<Qt::Alignment> m_alignments;
    QList<int> m_minimumWidths;
    QStringList m_samples;
    // Widens the columns that the current fonts would clip.
    void fitColumnsToFont();
    // ICU collators are costly to open, so they are made at the first sort.
    mutable std::unique_ptr<QCollator> m_collatorNoCase;
    mutable std::unique_ptr<QCollator> m_collatorCase;

    friend class TSortListItem;
};

// The seven columns of the main window's item list.
void AddItemListColumns(TSortListView &list);
