#include "device/RupLibrary.h"

#include "data/TextCodec.h"
#include "device/SerialRupLibrary.h"
#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

RupLibrary::~RupLibrary() = default;

namespace {

using NegoFn = qint32 (*)(void *, qint32, qint32, qint32, qint32 *);
using CopyFn = qint32 (*)(void *, qint32, qint32, qint32, const char *, const char *, qint32 *);

// An outside library with the four C functions. Names go over as
// NUL-terminated code page 932 text; an empty name is an empty string.
class ExternalRupLibrary : public RupLibrary
{
public:
    explicit ExternalRupLibrary(std::unique_ptr<QLibrary> library)
        : m_library(std::move(library))
    {
        m_nego = reinterpret_cast<NegoFn>(m_library->resolve("u_nego"));
        m_download = reinterpret_cast<CopyFn>(m_library->resolve("u_download"));
        m_upload = reinterpret_cast<CopyFn>(m_library->resolve("u_upload"));
        m_end = reinterpret_cast<NegoFn>(m_library->resolve("u_end"));
    }

    bool complete() const { return m_nego && m_download && m_upload && m_end; }
    QString fileName() const { return m_library->fileName(); }

    int u_nego(quintptr window, int port, int timeout, int speed, qint32 *error) override
    {
        return m_nego(reinterpret_cast<void *>(window), port, timeout, speed, error);
    }
    int u_download(quintptr window, int port, int timeout, int speed, const QString &deviceFileName,
        const QString &localPath, qint32 *error) override
    {
        // The device names its files in code page 932; the library opens
        // the local one with the file system's own encoding.
        const QByteArray source = Cp932::encode(deviceFileName);
        const QByteArray target = QFile::encodeName(localPath);
        return m_download(
            reinterpret_cast<void *>(window), port, timeout, speed, source.constData(), target.constData(), error);
    }
    int u_upload(quintptr window, int port, int timeout, int speed, const QString &localPath,
        const QString &deviceFileName, qint32 *error) override
    {
        const QByteArray source = QFile::encodeName(localPath);
        const QByteArray target = Cp932::encode(deviceFileName);
        return m_upload(
            reinterpret_cast<void *>(window), port, timeout, speed, source.constData(), target.constData(), error);
    }
    int u_end(quintptr window, int port, int timeout, int speed, qint32 *error) override
    {
        return m_end(reinterpret_cast<void *>(window), port, timeout, speed, error);
    }

private:
    std::unique_ptr<QLibrary> m_library;
    NegoFn m_nego = nullptr;
    CopyFn m_download = nullptr;
    CopyFn m_upload = nullptr;
    NegoFn m_end = nullptr;
};

RupLibrary *installed = nullptr;
std::unique_ptr<RupLibrary> found;
QString foundDescription;

void search()
{
    QStringList candidates;
    const QString configured = ReadSetting(Settings(), SettingKeys::Library);
    if (!configured.isEmpty())
        candidates << configured;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libK660rsh32.so"));
    candidates << QStringLiteral("K660rsh32"); // the library path
    for (const QString &candidate : std::as_const(candidates)) {
        QString from;
        if (auto library = LoadExternalRupLibrary(candidate, &from)) {
            found = std::move(library);
            foundDescription = from;
            return;
        }
        if (candidate == configured)
            qWarning("device link: cannot use library %s", qPrintable(configured));
    }
    found = std::make_unique<SerialRupLibrary>();
    foundDescription = QStringLiteral("built-in serial link");
}

} // namespace

std::unique_ptr<RupLibrary> LoadExternalRupLibrary(const QString &fileName, QString *loadedFrom)
{
    if (fileName.contains(u'/') && !QFileInfo::exists(fileName))
        return nullptr;
    auto library = std::make_unique<QLibrary>(fileName);
    if (!library->load())
        return nullptr;
    auto external = std::make_unique<ExternalRupLibrary>(std::move(library));
    if (!external->complete())
        return nullptr;
    if (loadedFrom)
        *loadedFrom = external->fileName();
    return external;
}

RupLibrary &RupLibrary::instance()
{
    if (installed)
        return *installed;
    if (!found)
        search();
    return *found;
}

void RupLibrary::install(RupLibrary *library)
{
    installed = library;
    if (!library) {
        found.reset();
        foundDescription.clear();
    }
}

QString RupLibrary::description()
{
    if (installed)
        return QStringLiteral("installed library");
    instance();
    return foundDescription;
}

QString DeviceErrorText(int code)
{
    switch (code) {
    case RupError::None:
        return {};
    case RupError::NoPort:
        return QStringLiteral("ポート番号が0です（接続方法が設定されていません）");
    case RupError::CannotOpenPort:
        return QStringLiteral("シリアルポートを開けません（ないか、使用中か、権限がありません）");
    case RupError::NoAnswer:
        return QStringLiteral("Ruputerが時間内に応答しません");
    case RupError::Refused:
        return QStringLiteral("Ruputerが拒否しました（接続を断ったか、ファイルを読み書きできません）");
    case RupError::FileNotFound:
        return QStringLiteral("Ruputerにそのファイルがありません（または名前がファイル名ではありません）");
    case RupError::LocalRead:
        return QStringLiteral("ローカルファイルを読めません");
    case RupError::LocalWrite:
        return QStringLiteral("ローカルファイルに書き込めません");
    case RupError::Checksum:
        return QStringLiteral("チェックサムエラー：データが4回続けて壊れて届きました");
    case RupError::LinkBroken:
        return QStringLiteral("通信が途切れました（転送中の無応答、不正なデータ、ポートの故障、Ruputer側の中断）");
    case RupError::Cancelled:
        return QStringLiteral("ユーザーが中止しました");
    case RupError::NotNegotiated:
        return QStringLiteral("接続の確立（ネゴシエーション）なしに転送または終了が呼ばれました");
    case RupError::BadArgument:
        return QStringLiteral("引数が不正です（速度コードが1～10の範囲外か、ファイル名が255バイトを超えます）");
    default:
        return QStringLiteral("不明なエラーです");
    }
}
