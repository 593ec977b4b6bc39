#include "data/Data.h"

#include "data/AppError.h"
#include "data/DocumentSaveFile.h"
#include "data/Notifier.h"
#include "data/TextCodec.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <new>

const char *const FileSignatures[3] = {"TideMk20", "TideMk11", "TideMrk"};

namespace {

const QString DefaultSection = QStringLiteral("Default");
const QString HeadKey = QStringLiteral("Head");

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

constexpr int TitleField = 33;
constexpr int MemoField = 65;

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

// Length of the longest prefix within `max` bytes that does not end inside a
// double-byte character.
qsizetype cutLength(const char *bytes, qsizetype size, qsizetype max)
{
    if (size <= max)
        return size;
    qsizetype i = 0;
    while (i < size) {
        const qsizetype len = (Cp932::isLeadByte(uchar(bytes[i])) && i + 1 < size) ? 2 : 1;
        if (i + len > max)
            break;
        i += len;
    }
    return i;
}

// At most size - 1 bytes, cut before a character that would not fit, so
// text never runs into the next field and the field keeps its NUL. A memo's
// CR LF pairs become single LF bytes first.
void writeText(char *p, const QString &text, int size, bool memo = false)
{
    if (text.isEmpty())
        return;
    static thread_local QByteArray bytes;
    bytes.truncate(0);
    Cp932::encodeAppend(bytes, text);
    qsizetype n = bytes.size();
    if (memo) {
        char *b = bytes.data();
        qsizetype out = 0;
        for (qsizetype i = 0; i < n; ++i)
            if (!(b[i] == '\r' && i + 1 < n && b[i + 1] == '\n'))
                b[out++] = b[i];
        n = out;
    }
    std::memcpy(p, bytes.constData(), size_t(cutLength(bytes.constData(), n, size - 1)));
}

// A memo field: every LF, CR LF and lone CR becomes CR LF. These bytes are
// never part of a double-byte character, so this works before decoding.
QString readMemo(const unsigned char *p)
{
    const auto *c = reinterpret_cast<const char *>(p);
    const qsizetype n = qsizetype(qstrnlen(c, uint(MemoField)));
    char buffer[2 * MemoField];
    qsizetype out = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (c[i] == '\r' || c[i] == '\n') {
            buffer[out++] = '\r';
            buffer[out++] = '\n';
            if (c[i] == '\r' && i + 1 < n && c[i + 1] == '\n')
                ++i;
        } else {
            buffer[out++] = c[i];
        }
    }
    return Cp932::decode(QByteArrayView(buffer, out));
}

QString fileError(const char *format, const QString &path)
{
    return QString::fromUtf8(format).arg(QDir::toNativeSeparators(path));
}

} // namespace

// --- THeadRec ---

QByteArray THeadRec::Signature() const
{
    const auto *c = reinterpret_cast<const char *>(Bytes.data());
    return QByteArray(c, qsizetype(qstrnlen(c, SignatureSize)));
}

void THeadRec::SetCurrentSignature()
{
    std::fill_n(Bytes.begin(), SignatureSize, quint8(0));
    std::memcpy(Bytes.data(), FileSignatures[0], std::strlen(FileSignatures[0]));
}

// --- collection ---

TData::TData(SettingsFile *settings)
    : m_settings(settings)
{
    ResetHead();
}

TData::~TData() = default;

SettingsFile &TData::settings() const
{
    return m_settings ? *m_settings : Settings();
}

int TData::indexOf(const TItemRec *item) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item)
            return int(i);
    return -1;
}

TItemRec *TData::append(std::unique_ptr<TItemRec> item)
{
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

TItemRec *TData::insert(int index, std::unique_ptr<TItemRec> item)
{
    auto it = m_items.insert(m_items.begin() + index, std::move(item));
    return it->get();
}

TItemRec *TData::replace(int index, std::unique_ptr<TItemRec> item)
{
    m_items[size_t(index)] = std::move(item);
    return m_items[size_t(index)].get();
}

std::unique_ptr<TItemRec> TData::take(int index)
{
    std::unique_ptr<TItemRec> item = std::move(m_items[size_t(index)]);
    m_items.erase(m_items.begin() + index);
    return item;
}

void TData::removeAt(int index)
{
    m_items.erase(m_items.begin() + index);
}

void TData::RemoveItem(TItemRec *item)
{
    const int index = indexOf(item);
    if (index >= 0)
        removeAt(index);
}

void TData::Clear()
{
    ResetHead();
    m_items.clear();
}

// --- header ---

void TData::ResetHead()
{
    LoadHeadDefaults(Head);
    FileVersion = 0;
}

void TData::LoadHeadDefaults(THeadRec &head) const
{
    LoadHeadDefaults(settings(), head);
}

void TData::SaveHeadDefaults(const THeadRec &head) const
{
    SaveHeadDefaults(settings(), head);
}

void TData::LoadHeadDefaults(const SettingsFile &settings, THeadRec &head)
{
    THeadRec read;
    const QString hex = settings.readString(DefaultSection, HeadKey, QString());
    const qsizetype pairs = std::min<qsizetype>(THeadRec::Size, hex.size() / 2);
    for (qsizetype i = 0; i < pairs; ++i) {
        bool ok = false;
        const QStringView pair = QStringView(hex).mid(2 * i, 2);
        // Only two plain hex digits count; a sign or a space makes the pair 0.
        const bool digits = std::all_of(pair.begin(), pair.end(),
            [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); });
        const uint v = digits ? pair.toUInt(&ok, 16) : 0;
        read.Bytes[size_t(i)] = ok ? quint8(v) : 0;
    }
    read.SetCurrentSignature();
    head = read;
}

void TData::SaveHeadDefaults(SettingsFile &settings, const THeadRec &head)
{
    const QByteArray bytes(reinterpret_cast<const char *>(head.Bytes.data()), THeadRec::Size);
    settings.writeString(DefaultSection, HeadKey, QString::fromLatin1(bytes.toHex().toUpper()));
}

// --- load and save ---

bool TData::IsCsvPath(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

void TData::LoadFromFile(const QString &path)
{
    Clear();
    if (!QFileInfo::exists(path))
        return;
    // Items read before an error must not stay behind: a later save would
    // write items the user never saw.
    try {
        if (IsCsvPath(path))
            LoadCsv(path);
        else
            loadItemFile(path);
    } catch (const std::bad_alloc &) {
        Clear();
        throw AppError(QStringLiteral("メモリが足りません"));
    } catch (...) {
        Clear();
        throw;
    }
}

void TData::SaveToFile(const QString &path)
{
    if (IsCsvPath(path))
        SaveCsv(path);
    else
        saveItemFile(path);
}

void TData::loadItemFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(fileError("ファイル %1 を開けません", path));
    const qint64 size = file.size();

    char head[THeadRec::Size];
    const qint64 got = file.read(head, THeadRec::Size);
    if (got < 0)
        throw AppError(fileError("ファイル %1 を読み込めません", path));
    // The signature is what the file holds: a file shorter than it must not
    // borrow the rest from the default header.
    std::fill_n(Head.Bytes.begin(), THeadRec::SignatureSize, quint8(0));
    std::memcpy(Head.Bytes.data(), head, size_t(got));

    const QByteArray signature = Head.Signature();
    int version = -1;
    for (int v = 0; v < 3; ++v)
        if (signature == FileSignatures[v])
            version = v;
    if (version < 0)
        throw AppError(QStringLiteral("このアプリケーション用のファイルではないようです"));
    FileVersion = quint8(version);

    const qint64 recordSize = ItemRecordSizes[version];
    // Whole records in chunks; the loop runs while at least two bytes are
    // left, so a single trailing byte is ignored.
    const qint64 chunkRecords = 4096;
    QByteArray chunk;
    qint64 pos = got;
    qint64 end = size;
    while (pos < end - 1) {
        const qint64 want = std::min(recordSize * chunkRecords, end - pos);
        chunk.resize(want);
        const qint64 n = file.read(chunk.data(), want);
        if (n < 0)
            throw AppError(fileError("ファイル %1 を読み込めません", path));
        if (n == 0)
            break;
        if (n < want)
            end = pos + n; // the file became shorter while we read it
        const auto *p = reinterpret_cast<const unsigned char *>(chunk.constData());
        qint64 off = 0;
        for (; off + recordSize <= n; off += recordSize)
            decodeItemRecord(p + off);
        // A trailing fragment of a record (only a cut-off file leaves one):
        // made whole it would be an item nobody wrote, which a save would
        // then keep. Left out, and the user told unless it was a deleted one.
        if (n - off >= 2 && !isDeletedRecord(p + off)) {
            Notifier::instance().showMessage(
                QStringLiteral("ファイルの最後のデータが途中で切れているため、その1件は読み込みませんでした"));
        }
        pos += n;
    }
}

void TData::ReadItemRecord(QIODevice &stream)
{
    unsigned char record[160] = {};
    const qint64 size = ItemRecordSizes[FileVersion < 3 ? FileVersion : 0];
    if (stream.read(reinterpret_cast<char *>(record), size) < 0)
        throw AppError(QStringLiteral("ファイルを読み込めません"));
    decodeItemRecord(record);
}

bool TData::isDeletedRecord(const unsigned char *record) const
{
    return FileVersion == 2 ? record[0] != 0 : record[0] == 3;
}

void TData::decodeItemRecord(const unsigned char *r)
{
    const RecordLayout &L = Layouts[FileVersion < 3 ? FileVersion : 0];
    const bool oldest = FileVersion == 2;
    if (isDeletedRecord(r))
        return;

    const int kind = r[L.kind];
    if (kind > L.maxKind) {
        Notifier::instance().showMessage(
            QStringLiteral("おかしなデータがあるようです\rType = ") + QString::number(kind));
        return;
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

    append(std::move(item));
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
        throw AppError(QStringLiteral("ファイルに書き込めません"));
}

void TData::saveItemFile(const QString &path)
{
    DocumentSaveFile file(path);
    file.open();
    if (FileVersion != 0)
        Head.SetCurrentSignature();

    const qsizetype recordSize = ItemRecordSizes[0];
    QByteArray buffer;
    const qsizetype flushAt = 1 << 20;
    buffer.reserve(flushAt + recordSize + THeadRec::Size);
    buffer.append(reinterpret_cast<const char *>(Head.Bytes.data()), THeadRec::Size);
    for (const auto &item : m_items) {
        const qsizetype at = buffer.size();
        buffer.resize(at + recordSize);
        EncodeItemRecord(*item, buffer.data() + at);
        if (buffer.size() >= flushAt) {
            file.write(buffer);
            buffer.truncate(0);
        }
    }
    file.write(buffer);
    file.commit();
}

// --- CSV settings ---

void ApplyCSVOption(TData &data, const SettingsFile &settings)
{
    const QString section = QStringLiteral("CSVOption");
    data.CommaChar = char(settings.readInteger(section, QStringLiteral("CommaChar"), 44) & 0xFF);
    data.QuoteChar = char(settings.readInteger(section, QStringLiteral("QuoteChar"), 34) & 0xFF);
    // One character cannot both separate and quote: what was written would
    // read back as something else.
    if (data.QuoteChar == data.CommaChar) {
        data.CommaChar = ',';
        data.QuoteChar = '"';
    }
    const QString cr = settings.readString(section, QStringLiteral("CRChar"), QStringLiteral("LF"));
    // An empty text would write every memo as one line, its breaks lost.
    data.CRChar = cr == u"LF" || cr.isEmpty() ? QStringLiteral("\n") : cr;
    data.SpaceQuote = settings.readBool(section, QStringLiteral("SpaceQuote"), true);
}
