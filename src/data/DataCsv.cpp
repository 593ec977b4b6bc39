// CSV import and export of TData.

#include "data/AppError.h"
#include "data/DocumentSaveFile.h"
#include "data/Data.h"
#include "data/Notifier.h"
#include "data/StringListEx.h"
#include "data/TextCodec.h"

#include <QDir>
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

QString fileError(const char *format, const QString &path)
{
    return QString::fromUtf8(format).arg(QDir::toNativeSeparators(path));
}

// Lines of a text file as the CSV reader sees them: a line ends at a CR (an
// LF right after it goes with it), a lone LF belongs to the line, and a byte
// 0x1A ends the file.
class LineReader
{
public:
    LineReader(QIODevice &device, const QString &path)
        : m_device(device)
        , m_path(path)
    { }

    bool atEnd() { return m_pos >= m_buffer.size() && !fill(); }

    // The next line, without its end. The view is valid until the next call
    // of readLine or atEnd: most lines are read in place, and only a line
    // that crosses a block boundary is copied.
    QByteArrayView readLine()
    {
        m_carry.truncate(0);
        bool carried = false;
        for (;;) {
            if (m_pos >= m_buffer.size() && !fill())
                return carried ? QByteArrayView(m_carry) : QByteArrayView();
            const qsizetype cr = m_buffer.indexOf('\r', m_pos);
            if (cr < 0) {
                m_carry.append(QByteArrayView(m_buffer).sliced(m_pos));
                carried = true;
                m_pos = m_buffer.size();
                continue;
            }
            const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_pos, cr - m_pos);
            m_pos = cr + 1;
            if (m_pos >= m_buffer.size()) {
                // The LF that may follow lies in the next block, which
                // replaces this one: keep the line first.
                m_carry.append(rest);
                if (fill() && m_buffer[m_pos] == '\n')
                    ++m_pos;
                return m_carry;
            }
            if (m_buffer[m_pos] == '\n')
                ++m_pos;
            if (!carried)
                return rest;
            m_carry.append(rest);
            return m_carry;
        }
    }

private:
    // Replaces the consumed buffer by the next block; false at the end.
    bool fill()
    {
        if (m_done)
            return false;
        m_buffer.resize(BlockSize);
        const qint64 n = m_device.read(m_buffer.data(), BlockSize);
        if (n < 0)
            throw AppError(fileError("ファイル %1 を読み込めません", m_path));
        m_buffer.resize(n);
        m_pos = 0;
        const qsizetype eof = m_buffer.indexOf('\x1a');
        if (eof >= 0) {
            m_buffer.truncate(eof);
            m_done = true;
        }
        if (n == 0)
            m_done = true;
        return !m_buffer.isEmpty();
    }

    static constexpr qint64 BlockSize = 1 << 20;
    QIODevice &m_device;
    QString m_path;
    QByteArray m_buffer;
    QByteArray m_carry;
    qsizetype m_pos = 0;
    bool m_done = false;
};

// Decodes into `out`, reusing its storage.
void decodeInto(QString &out, QByteArrayView bytes)
{
    out.truncate(0);
    Cp932::decodeAppend(out, bytes);
}

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
    const qsizetype flushAt = 1 << 20;
    QByteArray buffer;
    buffer.reserve(flushAt + 4096);
    auto flush = [&] {
        file.write(buffer);
        buffer.truncate(0);
    };

    buffer.append(CsvHeaderLine());
    buffer.append("\r\n");
    QList<QByteArray> fields(ColumnCount);
    for (const auto &item : m_items) {
        for (int c = 0; c < ColumnCount; ++c) {
            QByteArray &field = fields[c];
            field.truncate(0); // keeps the capacity for the next item
            Cp932::encodeAppend(field, ((*item).*Getters[c])());
        }
        TStringListEx::AppendCsvLine(buffer, fields, CommaChar, QuoteChar, crChar, SpaceQuote);
        buffer.append("\r\n");
        if (buffer.size() >= flushAt)
            flush();
    }
    flush();
    file.commit();
}

void TData::LoadCsv(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(fileError("ファイル %1 を開けません", path));
    LineReader reader(file, path);

    if (reader.readLine() != CsvHeaderLine())
        throw AppError(QStringLiteral("このアプリケーションから出力したヘッダと違うようです"));

    const QByteArray crChar = Cp932::encode(CRChar);
    QList<QByteArray> fields;
    QString text;
    qint64 lineNumber = 1;
    while (!reader.atEnd()) {
        ++lineNumber;
        const QByteArrayView line = reader.readLine();
        TStringListEx::SplitCsvLine(fields, line, CommaChar, QuoteChar, crChar, SpaceQuote);
        // Missing trailing columns read as empty; columns beyond the last
        // are ignored.
        auto field = [&](int c) { return c < fields.size() ? QByteArrayView(fields[c]) : QByteArrayView(); };

        decodeInto(text, field(TypeColumn));
        std::unique_ptr<TItemRec> item = itemForType(text);
        if (!item) {
            Notifier::instance().showMessage(QStringLiteral("おかしなデータがあるようです\r行 = ")
                + QString::number(lineNumber) + QStringLiteral("  Type = ") + text);
            continue;
        }
        for (int c = 0; c < ColumnCount; ++c) {
            if (!Setters[c])
                continue;
            // Title and memo are kept by the item: they get their own string.
            if (c == TitleColumn || c == MemoColumn)
                ((*item).*Setters[c])(Cp932::decode(field(c)));
            else {
                decodeInto(text, field(c));
                ((*item).*Setters[c])(text);
            }
        }
        append(std::move(item));
    }
}
