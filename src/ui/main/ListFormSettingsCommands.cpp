// The device-side operation settings and the application settings of the
// main window. After the settings dialog is confirmed the list font and the
// options are applied again (LoadFontSettings on DataList's font,
// ApplyOptions); the device-side settings mark the document modified.
#include "device/RupOptionDlg.h"
#include "settings/OptionDlg.h"
#include "ui/controls/Fonts.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

void TListForm::RupOptionExecute()
{
    // OK counts as a change even when nothing differs.
    if (EditHead(*Data, this))
        SetModified(true);
}

void TListForm::OptionExecute()
{
    TOptionDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QFont font = DataList->font();
    LoadFontSettings(font);
    DataList->setFont(DisplayFont(font));
    ApplyOptions();
}
