#include "data/ItemFile.h"

#include "data/AppError.h"
#include "data/Data.h"
#include "data/Notifier.h"
#include "data/TextCodec.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

const char *const FileSignatures[3] = {"TideMk20", "TideMk11", "TideMrk"};

namespace {

// Where each field lies in a record of one version; -1 = not in this version.
struct RecordLayout
{
    int size;
    int title;
    int memo;
    int kind;
    int maxKind;
    int start, end, last;
    int months, day1, day2, weekdays, parity, shift, shiftDir, before, after;
    int titleOpt, titleDiff, devWords;
};

constexpr RecordLayout Layouts[3] = {
    {160, 6, 39, 104, 3, 106, 110, 114, 118, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130},
    {80, 6, -1, 39, 3, 40, 44, 48, 52, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64},
    {64, 1, -1, 34, 2, 36, 40, 44, 48, 50, 51, 52, 53, 54, 55, 56, 57, -1, -1, -1},
};

// Fixed text fields keep a NUL after the longest text.
constexpr int TitleField = TitleMaxBytes + 1;
constexpr int MemoField = MemoMaxBytes + 1;

const RecordLayout &layoutOf(int fileVersion)
{
    return Layouts[fileVersion >= 0 && fileVersion < 3 ? fileVersion : 0];
}

quint16 get16(const unsigned char *p)
{
    return quint16(p[0] | p[1] << 8);
}

quint32 get32(const unsigned char *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

void put16(char *p, quint32 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8 & 0xFF);
}

void put32(char *p, quint32 v)
{
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// A date field: flag = year is not 0; the value is clamped into range.
bool readDate(const unsigned char *p, DateValue &date)
{
    const int year = qint16(get16(p));
    if (year == 0)
        return false;
    date = YmdToDate(year, p[2], p[3]);
    return true;
}

void writeDate(char *p, DateValue date)
{
    int y, m, d;
    DateToYmd(date, y, m, d);
    put16(p, quint32(y));
    p[2] = char(m);
    p[3] = char(d);
}

// Text of a fixed field: up to the first NUL.
QString readText(const unsigned char *p, int size)
{
    const auto *c = reinterpret_cast<const char *>(p);
    return Cp932::decode(QByteArrayView(c, qsizetype(qstrnlen(c, uint(size)))));
}

// At most size - 1 bytes, cut before a character that would not fit, so
// text never runs into the next field and the field keeps its NUL. A memo's
// CR LF pairs become single LF bytes first.
void writeText(char *p, const QString &text, int size, bool memo = false)
{
    QByteArray bytes = Cp932::encode(memo ? QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")) : text);
    bytes = Cp932::truncateBytes(bytes, size - 1);
    std::memcpy(p, bytes.constData(), size_t(bytes.size()));
}

// A memo field: every LF, CR LF and lone CR becomes CR LF. These bytes are
// never part of a double-byte character, so this works before decoding.
QString readMemo(const unsigned char *p)
{
    const auto *c = reinterpret_cast<const char *>(p);
    const qsizetype n = qsizetype(qstrnlen(c, uint(MemoField)));
    QByteArray bytes;
    for (qsizetype i = 0; i < n; ++i) {
        if (c[i] == '\r' || c[i] == '\n') {
            bytes.append("\r\n");
            if (c[i] == '\r' && i + 1 < n && c[i + 1] == '\n')
                ++i;
        } else {
            bytes.append(c[i]);
        }
    }
    return Cp932::decode(bytes);
}

// A record marked deleted, which loading passes over without a word.
bool isDeletedRecord(int fileVersion, const unsigned char *record)
{
    return fileVersion == 2 ? record[0] != 0 : record[0] == 3;
}

// The item of one record; no item (and a notice) for a kind the version
// does not know.
std::unique_ptr<TItemRec> decodeItemRecord(int fileVersion, const unsigned char *r, QString &notice)
{
    const RecordLayout &L = layoutOf(fileVersion);
    const bool oldest = fileVersion == 2;

    const int kind = r[L.kind];
    if (kind > L.maxKind) {
        notice = QStringLiteral("おかしなデータがあるようです\rType = ") + QString::number(kind);
        return nullptr;
    }
    std::unique_ptr<TItemRec> item = NewItemOfKind(kind);
    TItemRec &it = *item;

    if (!oldest) {
        it.DevState = r[0];
        it.DevByte = r[1];
        it.DevStamp = DosToDateTime(get32(r + 2));
    }
    it.Title = readText(r + L.title, TitleField);
    if (L.memo >= 0)
        it.MemoText = readMemo(r + L.memo);
    if (L.titleOpt >= 0) {
        it.TitleOpt = r[L.titleOpt];
        it.TitleDiff = qint8(r[L.titleDiff]);
    }
    it.BeforeDays = qint8(r[L.before]);
    it.AfterDays = qint8(r[L.after]);

    it.HasLast = readDate(r + L.last, it.LastDate);
    if (oldest && it.HasLast && it.LastDate == DefaultLastDate)
        it.HasLast = false;

    if (L.devWords >= 0)
        for (int i = 1; i <= 4; ++i)
            it.DevWord[size_t(i)] = get16(r + L.devWords + 2 * (i - 1));

    if (oldest) {
        const unsigned char *p = r + L.start;
        it.HasStart = true;
        it.StartDate = YmdToDate(qint16(get16(p)), p[2], p[3]);
    } else {
        it.HasStart = readDate(r + L.start, it.StartDate);
    }
    it.HasEnd = readDate(r + L.end, it.EndDate);

    const quint16 months = get16(r + L.months);
    for (int m = 1; m <= 12; ++m)
        it.Months[size_t(m)] = months >> (m - 1) & 1;
    it.Days[1] = r[L.day1];
    it.Days[2] = r[L.day2];
    it.WeekParity = r[L.parity];
    const quint8 weekdays = r[L.weekdays], shift = r[L.shift];
    for (int d = 0; d <= 6; ++d) {
        it.Weekdays[size_t(d)] = weekdays >> d & 1;
        it.ShiftDays[size_t(d)] = shift >> d & 1;
    }
    it.ShiftHoliday = shift >> 7 & 1;
    it.ShiftDir = r[L.shiftDir];
    return item;
}

} // namespace

QString TData::ReadItemRecord(QIODevice &stream)
{
    unsigned char record[160] = {};
    if (stream.read(reinterpret_cast<char *>(record), layoutOf(FileVersion).size) < 0)
        throw AppError(FileErrorMessage(FileAction::Read));
    if (isDeletedRecord(FileVersion, record))
        return {};
    QString notice;
    if (std::unique_ptr<TItemRec> item = decodeItemRecord(FileVersion, record, notice))
        append(std::move(item));
    return notice;
}

void TData::EncodeItemRecord(const TItemRec &it, char *r)
{
    const RecordLayout &L = Layouts[0];
    std::memset(r, 0, size_t(L.size));
    r[0] = char(it.DevState);
    r[1] = char(it.DevByte);
    put32(r + 2, DateTimeToDos(it.DevStamp));
    writeText(r + L.title, it.Title, TitleField);
    writeText(r + L.memo, it.MemoText, MemoField, true);
    r[L.kind] = char(it.Kind);
    if (it.HasStart)
        writeDate(r + L.start, it.StartDate);
    if (it.HasEnd)
        writeDate(r + L.end, it.EndDate);
    if (it.HasLast)
        writeDate(r + L.last, it.LastDate);
    quint32 months = 0;
    for (int m = 1; m <= 12; ++m)
        if (it.Months[size_t(m)])
            months |= 1u << (m - 1);
    put16(r + L.months, months);
    r[L.day1] = char(it.Days[1]);
    r[L.day2] = char(it.Days[2]);
    quint8 weekdays = 0, shift = 0;
    for (int d = 0; d <= 6; ++d) {
        if (it.Weekdays[size_t(d)])
            weekdays |= quint8(1u << d);
        if (it.ShiftDays[size_t(d)])
            shift |= quint8(1u << d);
    }
    if (it.ShiftHoliday)
        shift |= 0x80;
    r[L.weekdays] = char(weekdays);
    r[L.parity] = char(it.WeekParity);
    r[L.shift] = char(shift);
    r[L.shiftDir] = char(it.ShiftDir);
    r[L.before] = char(it.BeforeDays);
    r[L.after] = char(it.AfterDays);
    r[L.titleOpt] = char(it.TitleOpt);
    r[L.titleDiff] = char(it.TitleDiff);
    for (int i = 1; i <= 4; ++i)
        put16(r + L.devWords + 2 * (i - 1), quint32(it.DevWord[size_t(i)]));
}

void TData::WriteItemRecord(QIODevice &stream, const TItemRec &item) const
{
    char record[160];
    EncodeItemRecord(item, record);
    if (stream.write(record, sizeof record) != qint64(sizeof record))
        throw AppError(FileErrorMessage(FileAction::Write));
}

namespace ItemFile {

void Read(TData &data, QIODevice &device, const QString &name, const NoticeSink &notice)
{
    char head[THeadRec::Size];
    const qint64 got = device.read(head, THeadRec::Size);
    if (got < 0)
        throw AppError(FileErrorMessage(FileAction::Read, name));
    // The signature is what the file holds: a file shorter than it must not
    // borrow the rest from the default header.
    std::fill_n(data.Head.Bytes.begin(), THeadRec::SignatureSize, quint8(0));
    std::memcpy(data.Head.Bytes.data(), head, size_t(got));

    const QByteArray signature = data.Head.Signature();
    const auto known = std::find_if(
        std::begin(FileSignatures), std::end(FileSignatures), [&](const char *s) { return signature == s; });
    if (known == std::end(FileSignatures))
        throw AppError(QStringLiteral("このアプリケーション用のファイルではないようです"));
    data.FileVersion = quint8(known - std::begin(FileSignatures));

    const qint64 recordSize = ItemRecordSizes[data.FileVersion];
    QByteArray record(recordSize, '\0');
    for (;;) {
        const qint64 n = device.peek(record.data(), recordSize);
        if (n < 0)
            throw AppError(FileErrorMessage(FileAction::Read, name));
        // A single byte after the last record is ignored.
        if (n < 2)
            break;
        if (n < recordSize) {
            // Only a cut-off file leaves part of a record: made whole it
            // would be an item nobody wrote, which a save would then keep.
            if (!isDeletedRecord(data.FileVersion, reinterpret_cast<const unsigned char *>(record.constData())))
                notice(QStringLiteral("ファイルの最後のデータが途中で切れているため、その1件は読み込みませんでした"));
            break;
        }
        try {
            const QString text = data.ReadItemRecord(device);
            if (!text.isEmpty())
                notice(text);
        } catch (const AppError &) {
            throw AppError(FileErrorMessage(FileAction::Read, name));
        }
    }
}

void Write(const TData &data, QIODevice &device, const QString &name)
{
    try {
        if (device.write(reinterpret_cast<const char *>(data.Head.Bytes.data()), THeadRec::Size) != THeadRec::Size)
            throw AppError(FileErrorMessage(FileAction::Write));
        for (int i = 0; i < data.count(); ++i)
            data.WriteItemRecord(device, *data.at(i));
    } catch (const AppError &) {
        throw AppError(FileErrorMessage(FileAction::Write, name));
    }
}

namespace {

// Most items come back from their record unchanged; only the others are
// worth formatting as text.
bool sameFields(const TItemRec &a, const TItemRec &b)
{
    auto date = [](bool has, DateValue value) { return has ? value : -1.0; };
    return a.Kind == b.Kind && a.Title == b.Title && a.MemoText == b.MemoText
        && date(a.HasStart, a.StartDate) == date(b.HasStart, b.StartDate)
        && date(a.HasEnd, a.EndDate) == date(b.HasEnd, b.EndDate)
        && date(a.HasLast, a.LastDate) == date(b.HasLast, b.LastDate) && a.TitleOpt == b.TitleOpt
        && a.TitleDiff == b.TitleDiff && a.BeforeDays == b.BeforeDays && a.AfterDays == b.AfterDays && a.Days == b.Days
        && a.Months == b.Months && a.Weekdays == b.Weekdays && a.ShiftDays == b.ShiftDays
        && a.ShiftHoliday == b.ShiftHoliday && a.ShiftDir == b.ShiftDir && a.WeekParity == b.WeekParity;
}

} // namespace

NoticeList SaveChanges(const TData &data)
{
    NoticeList notices;
    const QStringList titles = CsvColumnTitles();
    char record[160];
    for (int i = 0; i < data.count(); ++i) {
        const TItemRec &item = *data.at(i);
        TData::EncodeItemRecord(item, record);
        QString unused;
        const std::unique_ptr<TItemRec> saved
            = decodeItemRecord(0, reinterpret_cast<const unsigned char *>(record), unused);
        if (!saved || sameFields(item, *saved))
            continue;
        const QStringList before = CsvColumnTexts(item);
        const QStringList after = CsvColumnTexts(*saved);
        QStringList changes;
        for (int c = 0; c < before.size(); ++c)
            if (before[c] != after[c])
                changes.append(QStringLiteral("%1「%2」→「%3」").arg(titles[c], before[c], after[c]));
        if (!changes.isEmpty())
            notices.add(QStringLiteral("「%1」は次のように保存されました: %2")
                            .arg(item.Title, changes.join(QStringLiteral("、"))));
    }
    return notices;
}

} // namespace ItemFile
