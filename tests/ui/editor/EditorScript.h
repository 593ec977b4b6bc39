#pragma once

#include "ui/editor/DetailDlg.h"

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `script` on the item editor as soon as a command has opened it
// modally; `script` presses OK or Cancel itself. `opened` tells afterwards
// whether an editor was there at all (a command that shows none leaves it
// false once the events have been processed).
inline void WhenEditorOpens(std::function<void(TDetailDlg &)> script, bool *opened = nullptr)
{
    if (opened)
        *opened = false;
    QTimer::singleShot(0, [script = std::move(script), opened] {
        auto *dlg = qobject_cast<TDetailDlg *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        if (opened)
            *opened = true;
        script(*dlg);
        // A script that left the dialog open would hang the command.
        if (dlg->isVisible())
            dlg->reject();
    });
}

// A control of the editor by its component name.
template <class T> T *Ctl(TDetailDlg &dlg, const char *name)
{
    T *found = dlg.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
