#include "device/RuputerComWidgets.h"

#include "device/RuputerComDlg.h"
#include "device/RuputerComUi.h"
#include "device/TransferProgressDlg.h"

#include <QPointer>
#include <QWidget>

namespace {

class DialogProgress : public TransferProgress
{
public:
    DialogProgress(QWidget *parent, TRuputerCom::Direction direction, const QString &name)
        : m_dialog(new TransferProgressDlg(parent, direction, name))
    { }
    ~DialogProgress() override { delete m_dialog; }

    void setTotal(qint64 bytes) override
    {
        if (m_dialog)
            m_dialog->setTotal(bytes);
    }
    void setDone(qint64 bytes) override
    {
        if (m_dialog)
            m_dialog->setDone(bytes);
    }
    // A dialog closed under us (its parent went away) counts as cancelled.
    bool wasCanceled() const override { return !m_dialog || m_dialog->wasCanceled(); }
    bool acceptsInput() const override { return m_dialog && m_dialog->isVisible(); }

private:
    QPointer<TransferProgressDlg> m_dialog;
};

class WidgetsUi : public RuputerComUi
{
public:
    quintptr windowHandle(QObject *owner) override
    {
        for (QObject *o = owner; o; o = o->parent()) {
            if (auto *widget = qobject_cast<QWidget *>(o))
                return quintptr(widget->window()->winId());
        }
        return 0;
    }

    RupDlgResult showErrorDialog(const QString &text) override
    {
        TRuputerComDlgForm dialog;
        dialog.setMemoText(text);
        const int result = dialog.exec();
        if (result == int(RupDlgResult::Retry))
            return RupDlgResult::Retry;
        if (result == int(RupDlgResult::Yes))
            return RupDlgResult::Yes;
        return RupDlgResult::Cancel;
    }

    std::unique_ptr<TransferProgress> createProgress(
        quintptr window, TRuputerCom::Direction direction, const QString &deviceFileName) override
    {
        QWidget *parent = window ? QWidget::find(WId(window)) : nullptr;
        return std::make_unique<DialogProgress>(parent, direction, deviceFileName);
    }
};

} // namespace

void InstallRuputerComWidgets()
{
    static WidgetsUi ui;
    RuputerComUi::install(&ui);
}
