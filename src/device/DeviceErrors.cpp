#include "device/DeviceErrors.h"

#include "device/RupLibrary.h"

QString DeviceErrorText(int code)
{
    switch (code) {
    case RupError::NoPort:
        return QStringLiteral("ポートが設定されていません");
    case RupError::CannotOpenPort:
        return QStringLiteral("シリアルポートを開けません");
    case RupError::NoAnswer:
        return QStringLiteral("Ruputerが応答しません");
    case RupError::Refused:
        return QStringLiteral("Ruputerに拒否されました");
    case RupError::FileNotFound:
        return QStringLiteral("Ruputerにファイルがありません");
    case RupError::LocalRead:
        return QStringLiteral("ファイルを読み込めません");
    case RupError::LocalWrite:
        return QStringLiteral("ファイルに書き込めません");
    case RupError::Checksum:
        return QStringLiteral("データが壊れています");
    case RupError::LinkBroken:
        return QStringLiteral("通信が途切れました");
    case RupError::Cancelled:
        return QStringLiteral("中止しました");
    case RupError::NotNegotiated:
        return QStringLiteral("接続されていません");
    case RupError::BadArgument:
        return QStringLiteral("指定が正しくありません");
    default:
        return {};
    }
}
