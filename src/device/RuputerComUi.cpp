#include "device/RuputerComUi.h"

#include "data/Notifier.h"

TransferProgress::~TransferProgress() = default;
RuputerComUi::~RuputerComUi() = default;

namespace {

// Without windows: no handle, no progress display, and a failure is reported
// once and ends the operation.
class WindowlessUi : public RuputerComUi
{
public:
    quintptr windowHandle(QObject *) override { return 0; }
    RupDlgResult showErrorDialog(const QString &text) override
    {
        Notifier::instance().showError(text);
        return RupDlgResult::Cancel;
    }
    std::unique_ptr<TransferProgress> createProgress(quintptr, TRuputerCom::Direction, const QString &) override
    {
        return nullptr;
    }
};

WindowlessUi windowless;
RuputerComUi *current = nullptr;

} // namespace

RuputerComUi &RuputerComUi::instance()
{
    return current ? *current : windowless;
}

void RuputerComUi::install(RuputerComUi *ui)
{
    current = ui;
}
