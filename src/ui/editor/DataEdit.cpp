#include "ui/editor/DataEdit.h"

#include "data/Data.h"
#include "data/ListRow.h"
#include "data/Notifier.h"
#include "ui/editor/DetailDlg.h"
#include "ui/main/SortListView.h"

#include <QApplication>

namespace {

QWidget *dialogParent(QWidget *list)
{
    return list ? list->window() : QApplication::activeWindow();
}

// Appends a copy of the editor's item (of the class it chose) and its row.
bool appendFrom(TData &data, const TDetailDlg &dlg, TSortListView *rows)
{
    std::unique_ptr<TItemRec> fresh = DupObject(dlg.WorkItem());
    if (!fresh)
        return false;
    fresh->Assign(dlg.WorkItem());
    TItemRec *item = data.append(std::move(fresh));
    if (rows) {
        TSortListItem *row = rows->addRow();
        row->setItem(item);
        row->refresh();
        // The new item becomes the current row: Enter or Del right after
        // adding acts on what was just added.
        rows->setCurrentItem(row);
        rows->scrollToItem(row);
    }
    return true;
}

} // namespace

bool AddItem(TData &data, TSortListView *rows)
{
    TDetailDlg dlg(dialogParent(rows));
    dlg.setWindowTitle(dlg.windowTitle() + QStringLiteral("追加"));
    dlg.SetDisplayDefaults(data.Head);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    return appendFrom(data, dlg, rows);
}

bool CopyAddItem(TData &data, const TItemRec &source, TSortListView *rows)
{
    TDetailDlg dlg(dialogParent(rows));
    dlg.setWindowTitle(dlg.windowTitle() + QStringLiteral("複写して追加"));
    dlg.LoadItem(source);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    return appendFrom(data, dlg, rows);
}

bool UpdateItem(TData &data, TItemRec *item, TSortListItem *row)
{
    TDetailDlg dlg(dialogParent(row ? row->listView() : nullptr));
    dlg.setWindowTitle(dlg.windowTitle() + QStringLiteral("修正"));
    dlg.LoadItem(*item);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const TItemRec &edited = dlg.WorkItem();
    if (!SameKindClass(edited, *item)) {
        const int index = data.indexOf(item);
        std::unique_ptr<TItemRec> fresh = DupObject(edited);
        if (index < 0 || !fresh)
            return false;
        item = data.replace(index, std::move(fresh));
        if (row)
            row->setItem(item);
    }
    item->Assign(edited);
    if (row)
        row->refresh();
    return true;
}

bool DeleteItem(TData &data, TItemRec *item, TSortListItem *row)
{
    const QString question = item->Title + QStringLiteral("を削除します。よろしいですか？");
    if (Notifier::instance().confirm(question, Notifier::Yes | Notifier::No, Notifier::Yes) != Notifier::Yes)
        return false;
    data.RemoveItem(item);
    if (row && row->listView())
        row->listView()->deleteRow(row);
    return true;
}
