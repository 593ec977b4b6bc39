#include "ScriptedRupLibrary.h"

#include <QFile>

int ScriptedRupLibrary::u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
    const QString &localPath, qint32 *error)
{
    const int result
        = record({QStringLiteral("u_download"), window, port, timeout, speed, deviceFileName, localPath}, error);
    QFile file(localPath);
    if (file.open(QIODevice::WriteOnly))
        file.write(result == 0 ? deviceFile : partial);
    return result;
}

QStringList ScriptedRupLibrary::functions() const
{
    QStringList names;
    for (const Call &call : calls)
        names << call.function;
    return names;
}

int ScriptedRupLibrary::record(const Call &call, qint32 *error)
{
    calls << call;
    qint32 code = 0;
    QList<qint32> &queue = m_plan[call.function];
    if (!queue.isEmpty())
        code = queue.takeFirst();
    *error = code;
    return code == 0 ? 0 : 1;
}

RupDlgResult ScriptedRuputerComUi::showErrorDialog(const QString &text)
{
    texts << text;
    switchAllowed << PortSwitchAllowed;
    return answers.isEmpty() ? RupDlgResult::Cancel : answers.takeFirst();
}

namespace {

class ScriptedProgress : public TransferProgress
{
public:
    explicit ScriptedProgress(ScriptedRuputerComUi *ui)
        : m_ui(ui)
    { }
    void setTotal(qint64 bytes) override { m_ui->totals << bytes; }
    void setDone(qint64 bytes) override
    {
        m_ui->lastDone = bytes;
        ++m_ui->updates;
    }
    bool wasCanceled() const override
    {
        return m_ui->cancelAfterUpdates >= 0 && m_ui->updates >= m_ui->cancelAfterUpdates;
    }
    bool acceptsInput() const override { return false; }

private:
    ScriptedRuputerComUi *m_ui;
};

} // namespace

std::unique_ptr<TransferProgress> ScriptedRuputerComUi::createProgress(
    quintptr window, TRuputerCom::Direction, const QString &deviceFileName)
{
    progressWindows << window;
    progressNames << deviceFileName;
    return std::make_unique<ScriptedProgress>(this);
}
