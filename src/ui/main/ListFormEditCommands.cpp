// The edit commands of the main window: add, copy and add, update, delete.
// Each hands the work to the collection's edit operations and marks the
// document modified when they report a change. Add and copy stop at
// MaxItems; copy, update and delete need a selected row.
#include "data/Data.h"
#include "data/Notifier.h"
#include "ui/editor/DataEdit.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

void TListForm::AddExecute()
{
    if (Data->count() < MaxItems && AddItem(*Data, DataList))
        SetModified(true);
}

void TListForm::CpyExecute()
{
    TItemRec *item = SelectedItem();
    if (item && Data->count() < MaxItems && CopyAddItem(*Data, *item, DataList))
        SetModified(true);
}

void TListForm::UpdExecute()
{
    TItemRec *item = SelectedItem();
    if (item && UpdateItem(*Data, item, SelectedRow()))
        SetModified(true);
}

void TListForm::DelExecute()
{
    TItemRec *item = SelectedItem();
    if (!item)
        return;
    Notifier::instance().sound(Notifier::Sound::Beep);
    if (DeleteItem(*Data, item, SelectedRow()))
        SetModified(true);
}
