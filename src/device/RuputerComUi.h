#pragma once

#include "device/RuputerCom.h"

#include <QString>
#include <QtGlobal>
#include <memory>

class QObject;

// Progress of one transfer, shown while the serial link moves a file.
class TransferProgress
{
public:
    virtual ~TransferProgress();
    // Total bytes, once known (-1 while unknown).
    virtual void setTotal(qint64 bytes) = 0;
    virtual void setDone(qint64 bytes) = 0;
    virtual bool wasCanceled() const = 0;
    // True while a window that blocks the rest of the program is up, so the
    // waiting link may let user input through (for its Cancel button).
    virtual bool acceptsInput() const = 0;
};

// The windows the device link needs: the owner's native window handle, the
// retry-or-switch dialog and the progress window. The core only talks to this
// interface; the widgets library installs the real one
// (InstallRuputerComWidgets), tests install scripted ones.
class RuputerComUi
{
public:
    virtual ~RuputerComUi();

    // Native handle of the window of the form that owns the link (created if
    // needed); 0 when the owner is no window.
    virtual quintptr windowHandle(QObject *owner) = 0;
    // Shows the error dialog with `text` modally (PortSwitchAllowed decides
    // whether switching is offered) and returns its result.
    virtual RupDlgResult showErrorDialog(const QString &text) = 0;
    // A progress display over the window `window`.
    virtual std::unique_ptr<TransferProgress> createProgress(
        quintptr window, TRuputerCom::Direction direction, const QString &deviceFileName)
        = 0;

    static RuputerComUi &instance();
    // `ui` is not owned; nullptr restores the window-less default, which
    // reports the error through the notifier and answers Cancel.
    static void install(RuputerComUi *ui);
};
