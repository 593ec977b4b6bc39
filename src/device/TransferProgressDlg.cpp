#include "device/TransferProgressDlg.h"

#include "ui/controls/Fonts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TransferProgressDlg::TransferProgressDlg(
    QWidget *parent, TRuputerCom::Direction direction, const QString &deviceFileName)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TransferProgressDlg"));
    setWindowTitle(QStringLiteral("Ruputerと通信中"));
    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);

    const bool receiving = direction == TRuputerCom::Direction::Receive;
    LName = new QLabel((receiving ? QStringLiteral("受信中: ") : QStringLiteral("送信中: ")) + deviceFileName, this);
    LName->setObjectName(QStringLiteral("LName"));
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 0);
    ProgressBar->setTextVisible(false);
    LBytes = new QLabel(this);
    LBytes->setObjectName(QStringLiteral("LBytes"));
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(CancelBtn, &QPushButton::clicked, this, &TransferProgressDlg::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LName);
    layout->addWidget(ProgressBar);
    layout->addWidget(LBytes);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(280);
    updateBytes();

    QTimer::singleShot(ShowDelayMs, this, [this] {
        if (!m_canceled)
            show();
    });
}

void TransferProgressDlg::setTotal(qint64 bytes)
{
    m_total = bytes;
    if (bytes > 0) {
        // The bar counts in KiB so that large files stay within int.
        ProgressBar->setRange(0, int(qMax<qint64>(1, (bytes + 1023) / 1024)));
    }
    updateBytes();
}

void TransferProgressDlg::setDone(qint64 bytes)
{
    m_done = bytes;
    updateBytes();
}

void TransferProgressDlg::reject()
{
    // The link notices at its next wait and ends the transfer.
    m_canceled = true;
    CancelBtn->setEnabled(false);
}

void TransferProgressDlg::updateBytes()
{
    const QLocale locale;
    if (m_total > 0) {
        ProgressBar->setValue(int(qMin(m_done, m_total) / 1024));
        if (m_done >= m_total)
            ProgressBar->setValue(ProgressBar->maximum());
        LBytes->setText(QStringLiteral("%1 / %2 バイト").arg(locale.toString(m_done), locale.toString(m_total)));
    } else {
        LBytes->setText(QStringLiteral("%1 バイト").arg(locale.toString(m_done)));
    }
}
