#include "data/AppError.h"

#include <QDir>

QString FileErrorMessage(FileAction action, const QString &path)
{
    const bool named = !path.isEmpty();
    QString format;
    switch (action) {
    case FileAction::Find:
        format = named ? QStringLiteral("ファイルが見つかりません\"%1\"") : QStringLiteral("ファイルが見つかりません");
        break;
    case FileAction::Open:
        format = named ? QStringLiteral("ファイル %1 を開けません") : QStringLiteral("ファイルを開けません");
        break;
    case FileAction::Read:
        format = named ? QStringLiteral("ファイル %1 を読み込めません") : QStringLiteral("ファイルを読み込めません");
        break;
    case FileAction::Create:
        format = named ? QStringLiteral("ファイル %1 を作成できません") : QStringLiteral("ファイルを作成できません");
        break;
    case FileAction::Write:
        format = named ? QStringLiteral("ファイル %1 に書き込めません") : QStringLiteral("ファイルに書き込めません");
        break;
    }
    return named ? format.arg(QDir::toNativeSeparators(path)) : format;
}
