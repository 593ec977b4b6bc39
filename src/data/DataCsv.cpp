// CSV import and export of TData.

#include "data/AppError.h"
#include "data/Data.h"
#include "data/DocumentSaveFile.h"
#include "data/Notifier.h"
#include "data/StringListEx.h"
#include "data/TextCodec.h"

#include <QFile>

namespace {

constexpr int ColumnCount = 16;
constexpr int TitleColumn = 0;
constexpr int MemoColumn = 3;
constexpr int TypeColumn = 4;

const char *const ColumnTitles[ColumnCount] = {
    "タイトル",
    "号数オプション",
    "号数差",
    "メモ",
    "タイプ",
    "開始日",
    "終了日",
    "指定月",
    "指定日",
    "指定週",
    "指定曜日",
    "ずらし対象",
    "ずらし方向",
    "前表示期間",
    "後表示期間",
    "最終処理日",
};

using Getter = QString (TItemRec::*)() const;
using Setter = void (TItemRec::*)(const QString &);

const Getter Getters[ColumnCount] = {
    &TItemRec::TitleStr,
    &TItemRec::TitleOptStr,
    &TItemRec::TitleDiffStr,
    &TItemRec::MemoStr,
    &TItemRec::KindStr,
    &TItemRec::StartStr,
    &TItemRec::EndStr,
    &TItemRec::MonthsStr,
    &TItemRec::DaysStr,
    &TItemRec::WeekStr,
    &TItemRec::WeekdaysStr,
    &TItemRec::ShiftStr,
    &TItemRec::ShiftDirStr,
    &TItemRec::BeforeStr,
    &TItemRec::AfterStr,
    &TItemRec::LastStr,
};

// The type column has no setter: it chose the class.
const Setter Setters[ColumnCount] = {
    &TItemRec::SetTitleStr,
    &TItemRec::SetTitleOptStr,
    &TItemRec::SetTitleDiffStr,
    &TItemRec::SetMemoStr,
    nullptr,
    &TItemRec::SetStartStr,
    &TItemRec::SetEndStr,
    &TItemRec::SetMonthsStr,
    &TItemRec::SetDaysStr,
    &TItemRec::SetWeekStr,
    &TItemRec::SetWeekdaysStr,
    &TItemRec::SetShiftStr,
    &TItemRec::SetShiftDirStr,
    &TItemRec::SetBeforeStr,
    &TItemRec::SetAfterStr,
    &TItemRec::SetLastStr,
};

// Lines of a text file as the CSV reader sees them: a line ends at a CR (an
// LF right after it goes with it), a lone LF belongs to the line, and a byte
// 0x1A ends the file. One line at a time: a file of millions of empty lines
// needs no list of them.
class CsvLineCursor
{
public:
    explicit CsvLineCursor(QByteArrayView text)
        : m_text(text)
    {
        const qsizetype eof = m_text.indexOf('\x1a');
        if (eof >= 0)
            m_text.truncate(eof);
    }

    bool next(QByteArrayView &line)
    {
        if (m_pos >= m_text.size())
            return false;
        qsizetype cr = m_text.indexOf('\r', m_pos);
        if (cr < 0)
            cr = m_text.size();
        line = m_text.sliced(m_pos, cr - m_pos);
        m_pos = cr + 1;
        if (m_pos < m_text.size() && m_text[m_pos] == '\n')
            ++m_pos;
        return true;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

// The date columns, whose text a load may not be able to read.
struct DateColumn
{
    int column;
    bool TItemRec::*flag;
};
const DateColumn DateColumns[] = {
    {5, &TItemRec::HasStart},
    {6, &TItemRec::HasEnd},
    {15, &TItemRec::HasLast},
};

std::unique_ptr<TItemRec> itemForType(const QString &type)
{
    if (type.contains(QStringLiteral("一度")) || type.contains(QStringLiteral("期間")))
        return std::make_unique<TOnceItemRec>();
    if (type.contains(QStringLiteral("月日")))
        return std::make_unique<TDateItemRec>();
    if (type.contains(QStringLiteral("曜日")))
        return std::make_unique<TDayItemRec>();
    if (type.contains(QStringLiteral("不定期")))
        return std::make_unique<TIrregularItemRec>();
    return nullptr;
}

} // namespace

QByteArray TData::CsvHeaderLine() const
{
    QList<QByteArray> titles;
    titles.reserve(ColumnCount);
    for (const char *title : ColumnTitles)
        titles.append(Cp932::encode(QString::fromUtf8(title)));
    QByteArray line;
    TStringListEx::AppendCsvLine(line, titles, CommaChar, QuoteChar, Cp932::encode(CRChar), SpaceQuote);
    return line;
}

void TData::SaveCsv(const QString &path) const
{
    DocumentSaveFile file(path);
    file.open();

    const QByteArray crChar = Cp932::encode(CRChar);
    QByteArray text = CsvHeaderLine() + "\r\n";
    QList<QByteArray> fields(ColumnCount);
    for (const auto &item : m_items) {
        for (int c = 0; c < ColumnCount; ++c)
            fields[c] = Cp932::encode(((*item).*Getters[c])());
        TStringListEx::AppendCsvLine(text, fields, CommaChar, QuoteChar, crChar, SpaceQuote);
        text.append("\r\n");
    }
    file.write(text);
    file.commit();
}

void TData::LoadCsv(const QString &path, NoticeList &notices)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(FileErrorMessage(FileAction::Open, path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(FileErrorMessage(FileAction::Read, path));
    CsvLineCursor lines(bytes);

    QByteArrayView line;
    if (!lines.next(line) || line != CsvHeaderLine())
        throw AppError(QStringLiteral("このアプリケーションから出力したヘッダと違うようです"));

    const QByteArray crChar = Cp932::encode(CRChar);
    QList<QByteArray> fields;
    for (qint64 lineNumber = 2; lines.next(line); ++lineNumber) {
        TStringListEx::SplitCsvLine(fields, line, CommaChar, QuoteChar, crChar, SpaceQuote);
        // Missing trailing columns read as empty; columns beyond the last
        // are ignored.
        auto field
            = [&](int c) { return Cp932::decode(c < fields.size() ? QByteArrayView(fields[c]) : QByteArrayView()); };

        const QString type = field(TypeColumn);
        std::unique_ptr<TItemRec> item = itemForType(type);
        if (!item) {
            notices.add(QStringLiteral("おかしなデータがあるようです\r行 = ") + QString::number(lineNumber)
                + QStringLiteral("  Type = ") + type);
            continue;
        }
        for (int c = 0; c < ColumnCount; ++c)
            if (Setters[c])
                ((*item).*Setters[c])(field(c));
        // A date nobody can read leaves its field empty; the user must know
        // before a save makes that the file's content.
        for (const DateColumn &date : DateColumns) {
            const QString text = field(date.column).trimmed();
            if (!text.isEmpty() && !((*item).*date.flag))
                notices.add(QStringLiteral("「%1」(%2 行目): %3「%4」は日付として読めないため、空欄にしました")
                                .arg(item->Title)
                                .arg(lineNumber)
                                .arg(QString::fromUtf8(ColumnTitles[date.column]), text));
        }
        append(std::move(item));
    }
}

QStringList CsvColumnTitles()
{
    QStringList titles;
    for (const char *title : ColumnTitles)
        titles.append(QString::fromUtf8(title));
    return titles;
}

QStringList CsvColumnTexts(const TItemRec &item)
{
    QStringList texts;
    for (const Getter getter : Getters)
        texts.append((item.*getter)());
    return texts;
}
