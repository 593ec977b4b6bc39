#pragma once

#include "device/RuputerCom.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// Shown while the serial link moves a file: bytes so far and a Cancel button.
// It appears only when a transfer takes longer than a moment, and it is modal
// so that nothing but Cancel reaches the program meanwhile.
class TransferProgressDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ShowDelayMs = 400;

    TransferProgressDlg(QWidget *parent, TRuputerCom::Direction direction, const QString &deviceFileName);

    void setTotal(qint64 bytes);
    void setDone(qint64 bytes);
    bool wasCanceled() const { return m_canceled; }

    QLabel *LName;
    QProgressBar *ProgressBar;
    QLabel *LBytes;
    QPushButton *CancelBtn;

protected:
    void reject() override;

private:
    void updateBytes();

    qint64 m_total = -1;
    qint64 m_done = 0;
    bool m_canceled = false;
};
