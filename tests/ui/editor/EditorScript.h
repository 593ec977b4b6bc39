#pragma once

#include "calendar/DateEdit.h"
#include "ui/editor/DetailDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>

// A control of the editor by its component name.
template <class T = QWidget> T *Ctl(const QWidget &dlg, const QString &name)
{
    T *found = dlg.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// Works the editor's controls. Steps are separated by spaces: "Name" clicks a
// button; "Name=text" types into a cleared field, picks a date or a combo box
// index; "Name<text" puts the text in as a paste would; "Name+" steps a date
// field's year; "Name!" presses Esc there.
inline void Act(const QWidget &dlg, const QString &steps)
{
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype at = step.indexOf(QRegularExpression(QStringLiteral("[=<]")));
        const QString name = at < 0 && (step.endsWith(u'!') || step.endsWith(u'+')) ? step.chopped(1) : step.left(at);
        const QString text = at < 0 ? QString() : step.mid(at + 1);
        QWidget *control = Ctl(dlg, name);
        if (at < 0 && step.endsWith(u'!')) {
            QTest::keyClick(control, Qt::Key_Escape);
        } else if (at < 0 && step.endsWith(u'+')) {
            control->setFocus();
            Ctl<TDateEdit>(dlg, name)->YearUp();
        } else if (at < 0) {
            Ctl<QAbstractButton>(dlg, name)->click();
        } else if (auto *date = qobject_cast<TDateEdit *>(control)) {
            date->setDate(ParseDate(text).value());
        } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
            combo->setCurrentIndex(text.toInt());
        } else if (auto *memo = qobject_cast<QPlainTextEdit *>(control)) {
            memo->setPlainText(text);
        } else if (step.at(at) == u'<') {
            Ctl<QLineEdit>(dlg, name)->setText(text);
        } else {
            Ctl<QLineEdit>(dlg, name)->clear();
            QTest::keyClicks(control, text);
        }
    }
}

// One row of a data-driven test.
template <class... T> void Row(const char *name, const T &...values)
{
    (QTest::newRow(name) << ... << values);
}
