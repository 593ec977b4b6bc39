#pragma once

#include "device/RupLibrary.h"
#include "device/RuputerComUi.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// A communication library for tests: records every call and fails the calls
// it is told to. Installs itself while it lives.
class ScriptedRupLibrary : public RupLibrary
{
public:
    struct Call
    {
        QString function;
        quintptr window = 0;
        int port = 0;
        int timeout = 0;
        int speed = 0;
        QString first; // source name of a transfer
        QString second; // destination name
        bool operator==(const Call &) const = default;
    };

    ScriptedRupLibrary() { RupLibrary::install(this); }
    ~ScriptedRupLibrary() override { RupLibrary::install(nullptr); }

    int u_nego(quintptr window, int port, int timeout, int speed, qint32 *error) override
    {
        return record({QStringLiteral("u_nego"), window, port, timeout, speed, {}, {}}, error);
    }
    int u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
        const QString &localPath, qint32 *error) override;
    int u_upload(quintptr window, int port, int timeout, int speed, const QString &localPath,
        const QString &deviceFileName, qint32 *error) override
    {
        return record({QStringLiteral("u_upload"), window, port, timeout, speed, localPath, deviceFileName}, error);
    }
    int u_end(quintptr window, int port, int timeout, int speed, qint32 *error) override
    {
        return record({QStringLiteral("u_end"), window, port, timeout, speed, {}, {}}, error);
    }

    // The next calls of `function` fail with these codes, in turn (0: succeed).
    void plan(const QString &function, QList<qint32> codes) { m_plan[function] += codes; }
    QStringList functions() const;

    QList<Call> calls;
    // Written to the local path by a successful u_download.
    QByteArray deviceFile = "device bytes";
    // Written to the local path before a failing u_download returns.
    QByteArray partial = "half";

private:
    int record(const Call &call, qint32 *error);

    QHash<QString, QList<qint32>> m_plan;
};

// Window handle, error dialog and progress for tests: answers the error
// dialog from a queue (Cancel when empty) and records what it showed.
class ScriptedRuputerComUi : public RuputerComUi
{
public:
    ScriptedRuputerComUi() { RuputerComUi::install(this); }
    ~ScriptedRuputerComUi() override { RuputerComUi::install(nullptr); }

    quintptr windowHandle(QObject *owner) override
    {
        owners << owner;
        return handle;
    }
    RupDlgResult showErrorDialog(const QString &text) override;
    // Records the progress reports; cancels once `cancelAfterUpdates`
    // reports of bytes done have come (never when negative).
    std::unique_ptr<TransferProgress> createProgress(
        quintptr window, TRuputerCom::Direction direction, const QString &deviceFileName) override;

    quintptr handle = 0x5150;
    QList<RupDlgResult> answers;
    QStringList texts;
    QList<bool> switchAllowed;
    QList<QObject *> owners;
    QList<quintptr> progressWindows;
    QStringList progressNames;
    QList<qint64> totals;
    qint64 lastDone = -1;
    int updates = 0;
    int cancelAfterUpdates = -1;
};
