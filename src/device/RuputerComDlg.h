#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The transfer error dialog: shows the error report and asks whether to try
// again, switch to the other link kind and try again, or give up. Its modal
// result is a RupDlgResult. Switching is offered only when PortSwitchAllowed
// is set when the dialog is created.
class TRuputerComDlgForm : public QDialog
{
    Q_OBJECT

public:
    explicit TRuputerComDlgForm(QWidget *parent = nullptr);

    // Sets the report; the label sizes itself to it.
    void setMemoText(const QString &text);

    QLabel *Memo;
    QPushButton *RetryBtn;
    QPushButton *YesBtn;
    QPushButton *CancelBtn;

private:
    void fitToMemo();

    // How far the buttons stand right of their designed places.
    int m_buttonShift = 0;
};
