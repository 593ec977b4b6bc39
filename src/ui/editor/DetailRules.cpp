#include "ui/editor/DetailRules.h"

#include "data/TextCodec.h"

namespace DetailRules {

QString BiweeklyCaption(int weekParity, DateValue today)
{
    if (weekParity != 1 && weekParity != 2)
        return QString();
    const bool odd = WeekIsOdd(today);
    return (odd == (weekParity == 1)) ? QStringLiteral("今週") : QStringLiteral("来週");
}

QString TitleDiffUnit(int titleOpt)
{
    return titleOpt >= 0 && titleOpt < int(TitleOptions.size()) ? TitleOptions[size_t(titleOpt)].unit : QString();
}

bool TitleDiffEnabled(int titleOpt)
{
    return titleOpt >= 0 && titleOpt < int(TitleOptions.size()) && TitleOptions[size_t(titleOpt)].takesNumber;
}

QString MemoToEditor(const QString &memoText)
{
    QString text = memoText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString EditorToMemo(const QString &editorText)
{
    QString text = editorText;
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

qsizetype MemoBytes(const QString &editorText)
{
    return Cp932::byteLength(EditorToMemo(editorText));
}

bool FitsTitle(const QString &text)
{
    return Cp932::canEncode(text) && Cp932::byteLength(text) <= TitleMaxBytes;
}

bool FitsMemo(const QString &editorText)
{
    return Cp932::canEncode(editorText) && MemoBytes(editorText) <= MemoMaxBytes;
}

std::optional<int> FieldNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace DetailRules
