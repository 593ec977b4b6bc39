#pragma once

#include <QCheckBox>
#include <QPointer>

// A check box that enables or disables one linked control with its own state.
//
// A new box starts checked. Whenever the state changes, from code or by the
// user, Click() is emitted first and the linked control follows afterwards:
// enabled when checked, disabled when unchecked, unchanged when grayed.
// Handlers connected to Click() therefore still see the old enabled state.
// When the linked control is destroyed the link is simply dropped.
class TCheckBoxEx : public QCheckBox
{
    Q_OBJECT
    Q_PROPERTY(QWidget *EnableControl READ EnableControl WRITE setEnableControl)

public:
    explicit TCheckBoxEx(QWidget *parent = nullptr);
    explicit TCheckBoxEx(const QString &text, QWidget *parent = nullptr);

    bool Checked() const { return isChecked(); }
    void setChecked(bool checked);

    QWidget *EnableControl() const { return m_enableControl; }
    // Links `control` (nullptr unlinks); its enabled state takes the box's
    // current state at once.
    void setEnableControl(QWidget *control);

Q_SIGNALS:
    void Click();

private:
    void stateChangedHandler(int state);

    QPointer<QWidget> m_enableControl;
};
