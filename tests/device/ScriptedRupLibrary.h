#pragma once

#include "device/RupLibrary.h"
#include "device/RuputerComUi.h"

#include <QFile>
#include <QHash>
#include <QList>
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
    // Writes `deviceFile` to the local path, or a fragment when it fails.
    int u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
        const QString &localPath, qint32 *error) override
    {
        const int result
            = record({QStringLiteral("u_download"), window, port, timeout, speed, deviceFileName, localPath}, error);
        QFile file(localPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(result == 0 ? deviceFile : QByteArray("half"));
        return result;
    }
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
    QStringList functions() const
    {
        QStringList names;
        for (const Call &call : calls)
            names << call.function;
        return names;
    }
    QList<int> ports() const
    {
        QList<int> list;
        for (const Call &call : calls)
            list << call.port;
        return list;
    }

    QList<Call> calls;
    QByteArray deviceFile = "device bytes"; // what a successful u_download receives

private:
    int record(const Call &call, qint32 *error)
    {
        calls << call;
        QList<qint32> &queue = m_plan[call.function];
        *error = queue.isEmpty() ? 0 : queue.takeFirst();
        return *error == 0 ? 0 : 1;
    }

    QHash<QString, QList<qint32>> m_plan;
};

// Window handle, error dialog and progress for tests: answers the error
// dialog from a queue (Cancel when empty), records what it showed and
// reported, and cancels a transfer once `cancelAfterUpdates` reports of bytes
// done have come (never when negative).
class ScriptedRuputerComUi : public RuputerComUi
{
public:
    ScriptedRuputerComUi() { RuputerComUi::install(this); }
    ~ScriptedRuputerComUi() override { RuputerComUi::install(nullptr); }

    quintptr windowHandle(QObject *) override { return handle; }
    RupDlgResult showErrorDialog(const QString &text) override
    {
        texts << text;
        switchAllowed << PortSwitchAllowed;
        return answers.isEmpty() ? RupDlgResult::Cancel : answers.takeFirst();
    }
    std::unique_ptr<TransferProgress> createProgress(quintptr, TRuputerCom::Direction, const QString &) override
    {
        struct Progress : TransferProgress
        {
            ScriptedRuputerComUi *ui;
            explicit Progress(ScriptedRuputerComUi *owner)
                : ui(owner)
            { }
            void setTotal(qint64 bytes) override { ui->totals << bytes; }
            void setDone(qint64 bytes) override { ui->done << bytes; }
            bool wasCanceled() const override
            {
                return ui->cancelAfterUpdates >= 0 && ui->done.size() >= ui->cancelAfterUpdates;
            }
            bool acceptsInput() const override { return false; }
        };
        return std::make_unique<Progress>(this);
    }

    quintptr handle = 0x5150;
    QList<RupDlgResult> answers;
    QStringList texts;
    QList<bool> switchAllowed;
    QList<qint64> totals;
    QList<qint64> done;
    int cancelAfterUpdates = -1;
};
