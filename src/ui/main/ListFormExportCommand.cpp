// Exports of the main window: the items' target days as an iCalendar file.
#include "calendar/HolidayRules.h"
#include "calendar/HolidaySettings.h"
#include "data/AppError.h"
#include "data/Notifier.h"
#include "schedule/ICalendarWriter.h"
#include "ui/main/ListForm.h"
#include "ui/schedule/ICalendarRangeDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

void TListForm::ICalExportExecute()
{
    ICalendarRangeDialog range(this);
    if (range.exec() != QDialog::Accepted)
        return;
    // Beside the document and named after it, as a user looks for it.
    QString preset = QStringLiteral("*.ics");
    if (FileName != NewFileName) {
        const QFileInfo document(FileName);
        preset = document.dir().filePath(document.completeBaseName() + QStringLiteral(".ics"));
    }
    const std::optional<QString> path
        = runFileDialog(true, preset, QStringLiteral("iCalendar形式ﾌｧｲﾙ (*.ics)|*.ics|すべてのﾌｧｲﾙ (*.*)|*.*"));
    if (!path)
        return;
    HolidayRules rules;
    ApplyHolidaySet(rules, HolidaySetting::current());
    // Decades of a full document take a few seconds.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        SaveICalendar(*Data, rules, range.from(), range.to(), *path);
    } catch (const AppError &error) {
        QApplication::restoreOverrideCursor();
        Notifier::instance().showError(error.message());
        return;
    }
    QApplication::restoreOverrideCursor();
}
