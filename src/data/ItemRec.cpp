#include "data/ItemRec.h"

#include "data/Clock.h"
#include "data/Notifier.h"

#include <cstdint>
#include <new>
#include <optional>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

const std::array<QString, 5> TitleOptNames = {
    QString(),
    QStringLiteral("月差"),
    QStringLiteral("日差"),
    QStringLiteral("/Vmag"),
    QStringLiteral("巻"),
};

const std::array<QString, 4> KindNames = {
    QStringLiteral("一度・期間"),
    QStringLiteral("月日指定"),
    QStringLiteral("曜日指定"),
    QStringLiteral("不定期"),
};

const std::array<QString, 8> WeekdayNames = {
    QStringLiteral("月"),
    QStringLiteral("火"),
    QStringLiteral("水"),
    QStringLiteral("木"),
    QStringLiteral("金"),
    QStringLiteral("土"),
    QStringLiteral("日"),
    QStringLiteral("祝"),
};

namespace {

// Date texts are written for every item of a CSV export and every list row;
// QString::arg would dominate a large export.
void putDigits(char16_t *&p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    p += width;
}

QString formatDate(DateValue value, bool kanji)
{
    int y, m, d;
    DecodeDate(value, y, m, d);
    if (y < 0 || y > 9999)
        return kanji ? FormatDateKanji(value) : FormatDateSlash(value);
    QString s(10, Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(s.data());
    putDigits(p, y, 4);
    *p++ = kanji ? u'年' : u'/';
    putDigits(p, m, 2);
    *p++ = kanji ? u'月' : u'/';
    putDigits(p, d, 2);
    if (kanji)
        s.append(u'日');
    return s;
}

QString slashDate(DateValue value)
{
    return formatDate(value, false);
}

QString kanjiDate(DateValue value)
{
    return formatDate(value, true);
}

// "yyyy/mm/dd" as the getters write it is read without the general parser,
// which asks the clock for the current year on every call.
std::optional<DateValue> parseDate(const QString &text)
{
    if (text.size() == 10 && text[4] == u'/' && text[7] == u'/') {
        int n[3] = {0, 0, 0};
        const int starts[3] = {0, 5, 8}, lens[3] = {4, 2, 2};
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            for (int i = starts[k]; i < starts[k] + lens[k]; ++i) {
                const char16_t c = text[i].unicode();
                if (c < u'0' || c > u'9') {
                    ok = false;
                    break;
                }
                n[k] = n[k] * 10 + (c - u'0');
            }
        }
        if (ok)
            return TryEncodeDate(n[0], n[1], n[2]);
    }
    return ParseDate(text);
}

void setDateFromText(const QString &text, bool &flag, DateValue &date)
{
    if (text.isEmpty()) {
        flag = false;
        return;
    }
    if (const auto value = parseDate(text)) {
        date = *value;
        flag = true;
    } else {
        flag = false;
    }
}

// Numbers of the byte-sized fields are formatted for every exported item;
// shared strings from a table cost no allocation.
constexpr int TableMin = -128, TableMax = 255;

const QString &tableNumber(int value, bool plus)
{
    static const auto tables = [] {
        std::array<std::array<QString, TableMax - TableMin + 1>, 2> t;
        for (int v = TableMin; v <= TableMax; ++v) {
            t[0][size_t(v - TableMin)] = QString::number(v);
            t[1][size_t(v - TableMin)] = v >= 0 ? u'+' + QString::number(v) : QString::number(v);
        }
        return t;
    }();
    return tables[plus ? 1 : 0][size_t(value - TableMin)];
}

QString numberText(int value)
{
    return value >= TableMin && value <= TableMax ? tableNumber(value, false) : QString::number(value);
}

// "+" before a number that is not negative.
QString signedNumberText(int value)
{
    return value >= TableMin && value <= TableMax
        ? tableNumber(value, true)
        : (value >= 0 ? u'+' + QString::number(value) : QString::number(value));
}

// Calls `entry` for each entry of a month or day list after every `drop`
// character is removed: entries end at commas and white space (characters
// 1..32), and an entry in double quotes may hold either. This is the CSV
// split rule with comma, double quote and space skipping; as none of those
// can be the second byte of a double-byte character, it reads the same on
// characters as on code page 932 bytes.
template <typename F> void forEachEntry(QStringView text, QChar drop, F entry)
{
    QString filtered;
    if (text.contains(drop)) {
        filtered.reserve(text.size());
        for (QChar c : text)
            if (c != drop)
                filtered.append(c);
        text = filtered;
    }
    const qsizetype n = text.size();
    auto blank = [&](qsizetype i) { return text[i].unicode() >= 1 && text[i].unicode() <= 32; };
    qsizetype i = 0;
    while (i < n && blank(i))
        ++i;
    while (i < n) {
        if (text[i] == u'"') {
            QString quoted;
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        quoted.append(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                quoted.append(text[i++]);
            }
            entry(QStringView(quoted));
        } else {
            qsizetype j = i;
            while (j < n && text[j] != u',' && text[j].unicode() > 32)
                ++j;
            if (j == i && text[j] != u',') {
                ++i; // a NUL character: passed over like white space
                continue;
            }
            entry(text.sliced(i, j - i));
            i = j;
        }
        while (i < n && blank(i))
            ++i;
        if (i < n && text[i] == u',') {
            ++i;
            while (i < n && blank(i))
                ++i;
        }
    }
}

} // namespace

int StrToIntDef0(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return 0;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return 0;
    return int(value);
}

// --- allocation ---

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define TIDEMARK_ITEM_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIDEMARK_ITEM_POOL 0
#endif
#endif
#ifndef TIDEMARK_ITEM_POOL
#define TIDEMARK_ITEM_POOL 1
#endif

// Fixed-size blocks carved from 2 MiB chunks (huge pages where the system
// offers them on request) with a free list. The first chunk is small and in
// ordinary pages: a document of a few hundred items should not pay for
// zeroing a whole huge page. Chunks are kept for the life of the program.
// Single-threaded, like everything that touches items.
class ItemPool
{
public:
    static constexpr std::size_t BlockSize = (sizeof(TItemRec) + alignof(TItemRec) - 1) & ~(alignof(TItemRec) - 1);

    void *allocate()
    {
        if (m_free) {
            Node *n = m_free;
            m_free = n->next;
            return n;
        }
        if (m_next == m_end)
            newChunk();
        void *p = m_next;
        m_next += BlockSize;
        return p;
    }

    void release(void *p) noexcept
    {
        auto *n = static_cast<Node *>(p);
        n->next = m_free;
        m_free = n;
    }

private:
    struct Node
    {
        Node *next;
    };
    static constexpr std::size_t ChunkSize = 2u << 20;
    static constexpr std::size_t FirstChunkSize = 256u << 10;

    void newChunk()
    {
        if (!m_next) {
            m_next = static_cast<char *>(::operator new(FirstChunkSize));
            m_end = m_next + FirstChunkSize / BlockSize * BlockSize;
            return;
        }
        char *chunk = nullptr;
#ifdef Q_OS_LINUX
        // Twice the size, so that an aligned 2 MiB window fits.
        void *m = mmap(nullptr, 2 * ChunkSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED)
            throw std::bad_alloc();
        const auto base = reinterpret_cast<std::uintptr_t>(m);
        const std::uintptr_t aligned = (base + ChunkSize - 1) & ~std::uintptr_t(ChunkSize - 1);
        if (aligned > base)
            munmap(m, aligned - base);
        if (aligned + ChunkSize < base + 2 * ChunkSize)
            munmap(reinterpret_cast<void *>(aligned + ChunkSize), base + 2 * ChunkSize - aligned - ChunkSize);
        chunk = reinterpret_cast<char *>(aligned);
        madvise(chunk, ChunkSize, MADV_HUGEPAGE);
#else
        chunk = static_cast<char *>(::operator new(ChunkSize));
#endif
        m_next = chunk;
        m_end = chunk + ChunkSize / BlockSize * BlockSize;
    }

    Node *m_free = nullptr;
    char *m_next = nullptr;
    char *m_end = nullptr;
};

ItemPool &itemPool()
{
    static ItemPool pool;
    return pool;
}

} // namespace

void *TItemRec::operator new(std::size_t size)
{
    if (TIDEMARK_ITEM_POOL && size <= ItemPool::BlockSize)
        return itemPool().allocate();
    return ::operator new(size);
}

void TItemRec::operator delete(void *p, std::size_t size) noexcept
{
    if (TIDEMARK_ITEM_POOL && size <= ItemPool::BlockSize)
        itemPool().release(p);
    else
        ::operator delete(p);
}

// --- TItemRec ---

TItemRec::TItemRec() = default;
TItemRec::~TItemRec() = default;

void TItemRec::Assign(const TItemRec &source)
{
    if (&source == this)
        return;
    DevState = source.DevState;
    DevByte = source.DevByte;
    DevStamp = source.DevStamp;
    Title = source.Title;
    TitleOpt = source.TitleOpt;
    TitleDiff = source.TitleDiff;
    MemoText = source.MemoText;
    HasStart = source.HasStart;
    StartDate = source.StartDate;
    HasEnd = source.HasEnd;
    EndDate = source.EndDate;
    Months = source.Months;
    Days = source.Days;
    Weekdays = source.Weekdays;
    WeekParity = source.WeekParity;
    ShiftDays = source.ShiftDays;
    ShiftHoliday = source.ShiftHoliday;
    ShiftDir = source.ShiftDir;
    BeforeDays = source.BeforeDays;
    AfterDays = source.AfterDays;
    HasLast = source.HasLast;
    LastDate = source.LastDate;
    DevWord = source.DevWord;
}

DateValue TItemRec::StartOrToday() const
{
    return HasStart ? StartDate : Clock::todayValue();
}

DateValue TItemRec::EndOrStart() const
{
    return HasEnd ? EndDate : StartDate;
}

void TItemRec::SetMonth(int m, bool on)
{
    if (m >= 1 && m <= 12)
        Months[m] = on;
}

void TItemRec::SetDay(int i, int value)
{
    if (i >= 1 && i <= 2)
        Days[i] = value;
}

void TItemRec::SetWeekday(int d, bool on)
{
    if (d >= 0 && d <= 6)
        Weekdays[d] = on;
}

void TItemRec::SetShiftDay(int d, bool on)
{
    if (d >= 0 && d <= 6)
        ShiftDays[d] = on;
}

void TItemRec::SetDevWordAt(int i, int value)
{
    if (i >= 1 && i <= 4)
        DevWord[i] = value;
}

void TItemRec::FillListItem(ListRow &row) const
{
    row.caption = Title;
    for (QString &s : row.subItems)
        s.clear();
    const QString sign = TitleDiff > 0 ? QStringLiteral("+") : QString();
    switch (TitleOpt) {
    case 1:
        row.subItems[0] = sign + QString::number(TitleDiff) + u'月';
        break;
    case 2:
        row.subItems[0] = sign + QString::number(TitleDiff) + u'日';
        break;
    case 3:
        row.subItems[0] = QStringLiteral("/Vmag");
        break;
    case 4:
        row.subItems[0] = QString::number(TitleDiff) + u'巻';
        break;
    default:
        row.subItems[0] = QStringLiteral(" ");
        break;
    }
    row.subItems[1] = QStringLiteral(" ");
    row.subItems[2] = QStringLiteral(" ");
    row.subItems[3] = BeforeStr();
    row.subItems[4] = AfterStr();
    row.subItems[5] = HasLast ? kanjiDate(LastDate) : QStringLiteral(" ");
}

// --- text conversions ---

QString TItemRec::TitleStr() const
{
    return Title;
}

void TItemRec::SetTitleStr(const QString &text)
{
    Title = text;
}

QString TItemRec::TitleOptStr() const
{
    return TitleOpt < TitleOptNames.size() ? TitleOptNames[TitleOpt] : QString();
}

void TItemRec::SetTitleOptStr(const QString &text)
{
    if (text.contains(u'月'))
        TitleOpt = 1;
    else if (text.contains(u'日'))
        TitleOpt = 2;
    else if (text.contains(QLatin1String("mag"), Qt::CaseInsensitive))
        TitleOpt = 3;
    else if (text.contains(u'巻'))
        TitleOpt = 4;
    else
        TitleOpt = 0;
}

QString TItemRec::TitleDiffStr() const
{
    if (TitleOpt == 1 || TitleOpt == 2)
        return signedNumberText(TitleDiff);
    if (TitleOpt == 4)
        return numberText(TitleDiff);
    return {};
}

void TItemRec::SetTitleDiffStr(const QString &text)
{
    TitleDiff = StrToIntDef0(text);
}

QString TItemRec::MemoStr() const
{
    return MemoText;
}

void TItemRec::SetMemoStr(const QString &text)
{
    MemoText = text;
}

QString TItemRec::KindStr() const
{
    return Kind < KindNames.size() ? KindNames[Kind] : QString();
}

QString TItemRec::StartStr() const
{
    if (HasStart && (Kind == 0 || Kind == 3))
        return slashDate(StartOrToday());
    return {};
}

void TItemRec::SetStartStr(const QString &text)
{
    setDateFromText(text, HasStart, StartDate);
}

QString TItemRec::EndStr() const
{
    if (HasEnd && Kind == 0)
        return slashDate(EndOrStart());
    return {};
}

void TItemRec::SetEndStr(const QString &text)
{
    setDateFromText(text, HasEnd, EndDate);
}

QString TItemRec::MonthsStr() const
{
    if (Kind != 1)
        return {};
    static const QString suffix = QStringLiteral("月");
    bool all = true, odd = true, even = true;
    for (int m = 1; m <= 12; ++m) {
        const bool on = Months[m];
        all = all && on;
        odd = odd && on == (m % 2 == 1);
        even = even && on == (m % 2 == 0);
    }
    if (all)
        return QStringLiteral("毎") + suffix;
    if (odd)
        return QStringLiteral("奇数") + suffix;
    if (even)
        return QStringLiteral("偶数") + suffix;
    QString s;
    s.reserve(32);
    for (int m = 1; m <= 12; ++m) {
        if (!Months[m])
            continue;
        if (!s.isEmpty())
            s += u',';
        s += numberText(m);
    }
    return s + suffix;
}

void TItemRec::SetMonthsStr(const QString &text)
{
    Months.fill(false);
    if (text.contains(u'毎')) {
        for (int m = 1; m <= 12; ++m)
            Months[m] = true;
    } else if (text.contains(u'奇')) {
        for (int m = 1; m <= 12; m += 2)
            Months[m] = true;
    } else if (text.contains(u'偶')) {
        for (int m = 2; m <= 12; m += 2)
            Months[m] = true;
    } else {
        forEachEntry(text, u'月', [this](QStringView entry) {
            const int v = StrToIntDef0(entry);
            if (v >= 1 && v <= 12)
                Months[v] = true;
        });
    }
}

QString TItemRec::DaysStr() const
{
    if (Kind != 1)
        return {};
    QString s;
    s.reserve(8);
    for (int i = 1; i <= 2; ++i) {
        if (Days[i] <= 0)
            continue;
        if (!s.isEmpty())
            s += u',';
        if (Days[i] >= 31)
            s += u'末';
        else
            s += numberText(Days[i]);
    }
    return s + u'日';
}

void TItemRec::SetDaysStr(const QString &text)
{
    Days[1] = Days[2] = 0;
    int slot = 1;
    forEachEntry(text, u'日', [this, &slot](QStringView entry) {
        if (slot > 2)
            return;
        const int v = StrToIntDef0(entry);
        if (v >= 1 && v <= 31)
            Days[slot++] = v;
        else if (entry.contains(u'末'))
            Days[slot++] = 31;
    });
}

QString TItemRec::WeekStr() const
{
    if (Kind != 2)
        return {};
    switch (WeekParity) {
    case 0:
        return QStringLiteral("毎週");
    case 1:
        return QStringLiteral("奇数週");
    case 2:
        return QStringLiteral("偶数週");
    default:
        return QStringLiteral("？？");
    }
}

void TItemRec::SetWeekStr(const QString &text)
{
    if (text.contains(u'奇'))
        WeekParity = 1;
    else if (text.contains(u'偶'))
        WeekParity = 2;
    else
        WeekParity = 0;
}

// Names of the set days, Monday first, joined by commas.
static QString weekdayList(const std::array<bool, 7> &days)
{
    QString s;
    for (int d = 0; d <= 6; ++d) {
        if (!days[d])
            continue;
        if (!s.isEmpty())
            s += u',';
        s += WeekdayNames[d];
    }
    return s;
}

QString TItemRec::WeekdaysStr() const
{
    if (Kind != 2)
        return {};
    return weekdayList(Weekdays) + QStringLiteral("曜日");
}

void TItemRec::SetWeekdaysStr(const QString &text)
{
    // Every "曜日" is removed first, so only the day names outside it count
    // (this matters for 日, Sunday).
    Weekdays.fill(false);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == u'曜' && i + 1 < n && text[i + 1] == u'日') {
            ++i;
            continue;
        }
        for (int d = 0; d <= 6; ++d)
            if (text[i] == WeekdayNames[d][0])
                Weekdays[d] = true;
    }
}

QString TItemRec::ShiftStr() const
{
    QString s;
    if (Kind == 1)
        s = weekdayList(ShiftDays);
    if ((Kind == 1 || Kind == 2) && ShiftHoliday) {
        if (!s.isEmpty())
            s += u',';
        s += WeekdayNames[7];
    }
    return s;
}

void TItemRec::SetShiftStr(const QString &text)
{
    for (int d = 0; d <= 6; ++d)
        ShiftDays[d] = text.contains(WeekdayNames[d]);
    ShiftHoliday = text.contains(u'祝') || text.contains(u'祭');
}

QString TItemRec::ShiftDirStr() const
{
    if (Kind == 1 || Kind == 2)
        return ShiftDir == 1 ? QStringLiteral("後") : QStringLiteral("前");
    return {};
}

void TItemRec::SetShiftDirStr(const QString &text)
{
    ShiftDir = text.contains(u'後') ? 1 : 0;
}

QString TItemRec::BeforeStr() const
{
    if (Kind == 3 && !HasStart)
        return {};
    return numberText(BeforeDays);
}

void TItemRec::SetBeforeStr(const QString &text)
{
    BeforeDays = StrToIntDef0(text);
}

QString TItemRec::AfterStr() const
{
    if (Kind == 3 && !HasStart)
        return {};
    if (AfterDays < 0)
        return QStringLiteral("済まで");
    return numberText(AfterDays);
}

void TItemRec::SetAfterStr(const QString &text)
{
    AfterDays = text.contains(u'済') ? -1 : StrToIntDef0(text);
}

QString TItemRec::LastStr() const
{
    return HasLast ? slashDate(LastDate) : QString();
}

void TItemRec::SetLastStr(const QString &text)
{
    setDateFromText(text, HasLast, LastDate);
}

// --- kinds ---

TOnceItemRec::TOnceItemRec()
{
    Kind = 0;
}

void TOnceItemRec::FillListItem(ListRow &row) const
{
    TItemRec::FillListItem(row);
    row.subItems[1] = KindNames[0];
    QString target = kanjiDate(StartOrToday());
    if (HasEnd)
        target += u'-' + kanjiDate(EndOrStart());
    row.subItems[2] = target;
}

TDateItemRec::TDateItemRec()
{
    Kind = 1;
    HasStart = true;
}

void TDateItemRec::FillListItem(ListRow &row) const
{
    TItemRec::FillListItem(row);
    row.subItems[1] = KindNames[1];
    row.subItems[2] = MonthsStr() + DaysStr();
}

TDayItemRec::TDayItemRec()
{
    Kind = 2;
}

void TDayItemRec::FillListItem(ListRow &row) const
{
    TItemRec::FillListItem(row);
    row.subItems[1] = KindNames[2];
    row.subItems[2] = WeekStr() + WeekdaysStr();
}

TIrregularItemRec::TIrregularItemRec()
{
    Kind = 3;
}

void TIrregularItemRec::FillListItem(ListRow &row) const
{
    TItemRec::FillListItem(row);
    row.subItems[1] = KindNames[3];
    if (HasStart)
        row.subItems[2] = kanjiDate(StartOrToday());
}

// --- creation ---

std::unique_ptr<TItemRec> DupObject(const TItemRec &item)
{
    if (dynamic_cast<const TOnceItemRec *>(&item))
        return std::make_unique<TOnceItemRec>();
    if (dynamic_cast<const TDateItemRec *>(&item))
        return std::make_unique<TDateItemRec>();
    if (dynamic_cast<const TDayItemRec *>(&item))
        return std::make_unique<TDayItemRec>();
    if (dynamic_cast<const TIrregularItemRec *>(&item))
        return std::make_unique<TIrregularItemRec>();
    Notifier::instance().showMessage(
        QStringLiteral("DupObject Error \rType = ") + QString::fromLatin1(item.className()));
    return nullptr;
}

std::unique_ptr<TItemRec> NewItemOfKind(int kind)
{
    switch (kind) {
    case 0:
        return std::make_unique<TOnceItemRec>();
    case 1:
        return std::make_unique<TDateItemRec>();
    case 2:
        return std::make_unique<TDayItemRec>();
    case 3:
        return std::make_unique<TIrregularItemRec>();
    default:
        return nullptr;
    }
}
