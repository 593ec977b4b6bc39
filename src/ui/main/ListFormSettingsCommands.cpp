// The device-side operation settings and the application settings of the
// main window. After the settings dialog is confirmed the list font and the
// options are applied again (LoadFontSettings on DataList's font,
// ApplyOptions); the device-side settings mark the document modified.
#include "ui/main/ListForm.h"

void TListForm::RupOptionExecute()
{
    // Filled in by the settings commands.
}

void TListForm::OptionExecute()
{ }
