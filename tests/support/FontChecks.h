#pragma once

#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

// The families that `window` or a widget in it asks for but that are not
// installed: Qt would search for a stand-in the first time each is used.
inline QStringList UninstalledFamilies(const QWidget &window)
{
    const QStringList installed = QFontDatabase::families();
    QList<QWidget *> widgets = window.findChildren<QWidget *>();
    widgets.prepend(const_cast<QWidget *>(&window));
    QStringList missing;
    for (const QWidget *widget : widgets) {
        const QString family = widget->font().family();
        if (!installed.contains(family, Qt::CaseInsensitive) && !missing.contains(family))
            missing.append(family);
    }
    return missing;
}
