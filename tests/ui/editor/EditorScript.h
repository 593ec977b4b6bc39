#pragma once

#include "ui/editor/DetailDlg.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

// Runs `script` on the item editor as soon as a command has opened it
// modally; `script` presses OK or Cancel itself. `opened` tells afterwards
// whether an editor was there at all.
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
        if (dlg->isVisible()) // a script that left it open would hang the command
            dlg->reject();
    });
}

// A control of the editor by its component name.
template <class T = QWidget> T *Ctl(const QWidget &dlg, const char *name)
{
    T *found = dlg.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// One row of a data-driven test.
template <class... T> void Row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}
