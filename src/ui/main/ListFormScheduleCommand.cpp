// The schedule window of the main window: one per run, modeless, following
// the document; a double click in it edits the item through the update
// command.
#include "data/Data.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"
#include "ui/schedule/ScheduleWindow.h"

void TListForm::ScheduleExecute()
{
    if (!m_schedule) {
        m_schedule = new ScheduleWindow(*Data, this);
        connect(this, &TListForm::documentChanged, m_schedule, &ScheduleWindow::documentChanged);
        connect(m_schedule, &ScheduleWindow::editRequested, this, [this](int index) {
            if (index < 0 || index >= Data->count())
                return;
            if (TSortListItem *row = DataList->rowOfItem(Data->at(index))) {
                DataList->setSelectedRow(row);
                UpdExecute();
            }
        });
    }
    if (TItemRec *item = SelectedItem())
        m_schedule->focusItem(Data->indexOf(item));
    else
        m_schedule->refresh();
    m_schedule->show();
    m_schedule->raise();
    m_schedule->activateWindow();
}
