#include "ui/controls/CheckBoxEx.h"

TCheckBoxEx::TCheckBoxEx(QWidget *parent)
    : TCheckBoxEx(QString(), parent)
{ }

TCheckBoxEx::TCheckBoxEx(const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
{
    QCheckBox::setChecked(true);
    connect(this, &QCheckBox::stateChanged, this, &TCheckBoxEx::stateChangedHandler);
}

void TCheckBoxEx::setChecked(bool checked)
{
    QCheckBox::setChecked(checked);
    // Setting the same state again still brings the linked control in line.
    if (m_enableControl && checkState() != Qt::PartiallyChecked)
        m_enableControl->setEnabled(checked);
}

void TCheckBoxEx::setEnableControl(QWidget *control)
{
    m_enableControl = control;
    if (m_enableControl && checkState() != Qt::PartiallyChecked)
        m_enableControl->setEnabled(isChecked());
}

void TCheckBoxEx::stateChangedHandler(int state)
{
    Q_EMIT Click();
    if (!m_enableControl)
        return;
    if (state == Qt::Checked)
        m_enableControl->setEnabled(true);
    else if (state == Qt::Unchecked)
        m_enableControl->setEnabled(false);
}
