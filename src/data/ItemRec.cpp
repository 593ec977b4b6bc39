#include "data/ItemRec.h"

#include "data/Clock.h"
#include "data/Notifier.h"
#include "data/StringListEx.h"
#include "data/TextCodec.h"

const std::array<TitleOption, 5> TitleOptions = {{
    {QString(), QStringLiteral("なし"), QString(), false, false},
    {QStringLiteral("月差"), QStringLiteral("月差"), QStringLiteral("月"), true, true},
    {QStringLiteral("日差"), QStringLiteral("日差"), QStringLiteral("日"), true, true},
    {QStringLiteral("/Vmag"), QStringLiteral("/Vmag形式"), QString(), false, false},
    {QStringLiteral("巻"), QStringLiteral("巻数"), QStringLiteral("巻"), true, false},
}};

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

void setDateFromText(const QString &text, bool &flag, DateValue &date)
{
    if (text.isEmpty()) {
        flag = false;
        return;
    }
    if (const auto value = ParseDate(text)) {
        date = *value;
        flag = true;
    } else {
        flag = false;
    }
}

// "+" before a number that is not negative.
QString signedNumberText(int value)
{
    return value >= 0 ? u'+' + QString::number(value) : QString::number(value);
}

// Entries of a month or day list after every `drop` character is removed,
// split by the CSV rule with comma, double quote and space skipping.
QStringList listEntries(const QString &text, QChar drop)
{
    const QByteArray bytes = Cp932::encode(QString(text).remove(drop));
    QList<QByteArray> fields;
    TStringListEx::SplitCsvLine(fields, bytes, ',', '"', QByteArrayView(), true);
    QStringList entries;
    for (const QByteArray &field : fields)
        entries.append(Cp932::decode(field));
    return entries;
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

// --- TItemRec ---

TItemRec::TItemRec() = default;

TItemRec::TItemRec(ItemKind kind)
    : Kind(kind)
    , m_hasKindClass(true)
{ }

TItemRec::~TItemRec() = default;

bool SameKindClass(const TItemRec &a, const TItemRec &b)
{
    return a.HasKindClass() == b.HasKindClass() && a.Kind == b.Kind;
}

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
        s = QStringLiteral(" ");
    if (TitleOpt < TitleOptions.size()) {
        const TitleOption &option = TitleOptions[TitleOpt];
        if (option.takesNumber)
            row.subItems[0] = (option.showsPlus && TitleDiff > 0 ? QStringLiteral("+") : QString())
                + QString::number(TitleDiff) + option.unit;
        else if (!option.name.isEmpty())
            row.subItems[0] = option.name;
    }
    row.subItems[3] = BeforeStr();
    row.subItems[4] = AfterStr();
    row.subItems[5] = HasLast ? FormatDateKanji(LastDate) : QStringLiteral(" ");
    if (!m_hasKindClass)
        return;
    row.subItems[1] = KindStr();
    switch (Kind) {
    case KindOnce:
        row.subItems[2] = FormatDateKanji(StartOrToday());
        if (HasEnd)
            row.subItems[2] += u'-' + FormatDateKanji(EndOrStart());
        break;
    case KindDate:
        row.subItems[2] = MonthsStr() + DaysStr();
        break;
    case KindDay:
        row.subItems[2] = WeekStr() + WeekdaysStr();
        break;
    case KindIrregular:
        if (HasStart)
            row.subItems[2] = FormatDateKanji(StartOrToday());
        break;
    }
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
    return TitleOpt < TitleOptions.size() ? TitleOptions[TitleOpt].name : QString();
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
    if (TitleOpt >= TitleOptions.size() || !TitleOptions[TitleOpt].takesNumber)
        return {};
    return TitleOptions[TitleOpt].showsPlus ? signedNumberText(TitleDiff) : QString::number(TitleDiff);
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
    if (HasStart && (Kind == KindOnce || Kind == KindIrregular))
        return FormatDateSlash(StartOrToday());
    return {};
}

void TItemRec::SetStartStr(const QString &text)
{
    setDateFromText(text, HasStart, StartDate);
}

QString TItemRec::EndStr() const
{
    if (HasEnd && Kind == KindOnce)
        return FormatDateSlash(EndOrStart());
    return {};
}

void TItemRec::SetEndStr(const QString &text)
{
    setDateFromText(text, HasEnd, EndDate);
}

QString TItemRec::MonthsStr() const
{
    if (Kind != KindDate)
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
    for (int m = 1; m <= 12; ++m) {
        if (!Months[m])
            continue;
        if (!s.isEmpty())
            s += u',';
        s += QString::number(m);
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
        for (const QString &entry : listEntries(text, u'月')) {
            const int v = StrToIntDef0(entry);
            if (v >= 1 && v <= 12)
                Months[v] = true;
        }
    }
}

QString TItemRec::DaysStr() const
{
    if (Kind != KindDate)
        return {};
    QString s;
    for (int i = 1; i <= 2; ++i) {
        if (Days[i] <= 0)
            continue;
        if (!s.isEmpty())
            s += u',';
        if (Days[i] >= 31)
            s += u'末';
        else
            s += QString::number(Days[i]);
    }
    return s + u'日';
}

void TItemRec::SetDaysStr(const QString &text)
{
    Days[1] = Days[2] = 0;
    int slot = 1;
    for (const QString &entry : listEntries(text, u'日')) {
        if (slot > 2)
            break;
        const int v = StrToIntDef0(entry);
        if (v >= 1 && v <= 31)
            Days[slot++] = v;
        else if (entry.contains(u'末'))
            Days[slot++] = 31;
    }
}

QString TItemRec::WeekStr() const
{
    if (Kind != KindDay)
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
    if (Kind != KindDay)
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
    if (Kind == KindDate)
        s = weekdayList(ShiftDays);
    if ((Kind == KindDate || Kind == KindDay) && ShiftHoliday) {
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
    if (Kind == KindDate || Kind == KindDay)
        return ShiftDir == 1 ? QStringLiteral("後") : QStringLiteral("前");
    return {};
}

void TItemRec::SetShiftDirStr(const QString &text)
{
    ShiftDir = text.contains(u'後') ? 1 : 0;
}

QString TItemRec::BeforeStr() const
{
    if (Kind == KindIrregular && !HasStart)
        return {};
    return QString::number(BeforeDays);
}

void TItemRec::SetBeforeStr(const QString &text)
{
    BeforeDays = StrToIntDef0(text);
}

QString TItemRec::AfterStr() const
{
    if (Kind == KindIrregular && !HasStart)
        return {};
    if (AfterDays < 0)
        return QStringLiteral("済まで");
    return QString::number(AfterDays);
}

void TItemRec::SetAfterStr(const QString &text)
{
    AfterDays = text.contains(u'済') ? -1 : StrToIntDef0(text);
}

QString TItemRec::LastStr() const
{
    return HasLast ? FormatDateSlash(LastDate) : QString();
}

void TItemRec::SetLastStr(const QString &text)
{
    setDateFromText(text, HasLast, LastDate);
}

// --- kinds ---

TOnceItemRec::TOnceItemRec()
    : TItemRec(KindOnce)
{ }

TDateItemRec::TDateItemRec()
    : TItemRec(KindDate)
{
    HasStart = true;
}

TDayItemRec::TDayItemRec()
    : TItemRec(KindDay)
{ }

TIrregularItemRec::TIrregularItemRec()
    : TItemRec(KindIrregular)
{ }

// --- creation ---

std::unique_ptr<TItemRec> DupObject(const TItemRec &item)
{
    if (item.HasKindClass())
        return NewItemOfKind(item.Kind);
    Notifier::instance().showMessage(
        QStringLiteral("DupObject Error \rType = ") + QString::fromLatin1(item.className()));
    return nullptr;
}

std::unique_ptr<TItemRec> NewItemOfKind(int kind)
{
    switch (kind) {
    case KindOnce:
        return std::make_unique<TOnceItemRec>();
    case KindDate:
        return std::make_unique<TDateItemRec>();
    case KindDay:
        return std::make_unique<TDayItemRec>();
    case KindIrregular:
        return std::make_unique<TIrregularItemRec>();
    default:
        return nullptr;
    }
}
