// The edit commands of the main window: add, copy and add, update, delete.
// Each hands the work to the collection's edit operations and marks the
// document modified when they report a change. Add and copy stop at
// MaxItems with a beep and a hint; copy, update and delete need a selected
// row.
#include "data/Data.h"
#include "data/Notifier.h"
#include "ui/editor/DataEdit.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

#include <QLabel>
#include <QToolTip>

void TListForm::AddExecute()
{
    if (!RoomForAnother())
        return;
    if (AddItem(*Data, DataList))
        SetModified(true);
}

void TListForm::CpyExecute()
{
    TItemRec *item = SelectedItem();
    if (!item || !RoomForAnother())
        return;
    if (CopyAddItem(*Data, *item, DataList))
        SetModified(true);
}

bool TListForm::RoomForAnother()
{
    if (Data->count() < MaxItems)
        return true;
    // Nothing happens at the limit, so say why.
    Notifier::instance().sound(Notifier::Sound::Beep);
    QToolTip::showText(MenuStatus->mapToGlobal(QPoint(0, MenuStatus->height())), ItemLimitHint(), MenuStatus);
    return false;
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
