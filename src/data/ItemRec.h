#pragma once

#include "data/DateValue.h"
#include "data/ListRow.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

// Longest title and memo an item keeps, in code page 932 bytes; a memo's
// line break counts as its two bytes CR LF.
inline constexpr int TitleMaxBytes = 32;
inline constexpr int MemoMaxBytes = 64;

// The four kinds of item; the number is what the file stores.
enum ItemKind : quint8 { KindOnce = 0, KindDate = 1, KindDay = 2, KindIrregular = 3 };

// One title option (index = `TitleOpt`): its CSV name, its editor caption,
// the unit after the number, whether it takes a number at all and whether
// the list shows "+" before a positive one.
struct TitleOption
{
    QString name;
    QString caption;
    QString unit;
    bool takesNumber;
    bool showsPlus;
};
extern const std::array<TitleOption, 5> TitleOptions;

// 1980-01-01: the last processed date of an item that has none.
inline constexpr DateValue DefaultLastDate = 29221.0;

// One reminder item. The four kind classes below add no fields: each fixes
// `Kind` (and one more default). A plain TItemRec is only the editor's
// scratch object before a kind is chosen; it never enters a collection or a
// file.
//
// Array fields keep the indexing the rest of the program speaks: Months[1..12],
// Days[1..2], DevWord[1..4] (slot 0 unused), Weekdays[0..6] and
// ShiftDays[0..6] with 0 = Monday ... 6 = Sunday. The accessor functions
// ignore indexes out of range.
class TItemRec
{
public:
    TItemRec();
    virtual ~TItemRec();

    TItemRec(const TItemRec &) = delete;
    TItemRec &operator=(const TItemRec &) = delete;

    // Name of the class, as DupObject reports it.
    virtual const char *className() const { return "TItemRec"; }

    // Copies every field except `Kind`, which belongs to the class.
    void Assign(const TItemRec &source);

    // Writes the list row: caption and the six column texts.
    void FillListItem(ListRow &row) const;

    // False only for the plain scratch item.
    bool HasKindClass() const { return m_hasKindClass; }

    DateValue StartOrToday() const;
    DateValue EndOrStart() const;

    bool Month(int m) const { return m >= 1 && m <= 12 && Months[m]; }
    void SetMonth(int m, bool on);
    int Day(int i) const { return i >= 1 && i <= 2 ? Days[i] : 0; }
    void SetDay(int i, int value);
    bool Weekday(int d) const { return d >= 0 && d <= 6 && Weekdays[d]; }
    void SetWeekday(int d, bool on);
    bool ShiftDay(int d) const { return d >= 0 && d <= 6 && ShiftDays[d]; }
    void SetShiftDay(int d, bool on);
    int DevWordAt(int i) const { return i >= 1 && i <= 4 ? DevWord[i] : 0; }
    void SetDevWordAt(int i, int value);

    // Text conversions, one pair per CSV column. Setters never fail:
    // numbers that do not parse give 0, dates that do not parse clear their
    // flag, unknown words leave flags off.
    QString TitleStr() const;
    void SetTitleStr(const QString &text);
    QString TitleOptStr() const;
    void SetTitleOptStr(const QString &text);
    QString TitleDiffStr() const;
    void SetTitleDiffStr(const QString &text);
    QString MemoStr() const;
    void SetMemoStr(const QString &text);
    QString KindStr() const;
    QString StartStr() const;
    void SetStartStr(const QString &text);
    QString EndStr() const;
    void SetEndStr(const QString &text);
    QString MonthsStr() const;
    void SetMonthsStr(const QString &text);
    QString DaysStr() const;
    void SetDaysStr(const QString &text);
    QString WeekStr() const;
    void SetWeekStr(const QString &text);
    QString WeekdaysStr() const;
    void SetWeekdaysStr(const QString &text);
    QString ShiftStr() const;
    void SetShiftStr(const QString &text);
    QString ShiftDirStr() const;
    void SetShiftDirStr(const QString &text);
    QString BeforeStr() const;
    void SetBeforeStr(const QString &text);
    QString AfterStr() const;
    void SetAfterStr(const QString &text);
    QString LastStr() const;
    void SetLastStr(const QString &text);

    QString Title;
    QString MemoText; // lines separated by CR LF
    DateValue DevStamp = 0;
    DateValue StartDate = 0;
    DateValue EndDate = 0;
    DateValue LastDate = DefaultLastDate;
    int DevByte = 0;
    int TitleDiff = 0;
    int WeekParity = 0;
    int ShiftDir = 0;
    int BeforeDays = 0;
    int AfterDays = 0;
    std::array<int, 3> Days {};
    std::array<int, 5> DevWord {};
    quint8 DevState = 0;
    quint8 TitleOpt = 0;
    ItemKind Kind = KindOnce;
    bool HasStart = false;
    bool HasEnd = false;
    bool ShiftHoliday = false;
    bool HasLast = false;
    std::array<bool, 13> Months {};
    std::array<bool, 7> Weekdays {};
    std::array<bool, 7> ShiftDays {};

protected:
    explicit TItemRec(ItemKind kind);

private:
    bool m_hasKindClass = false;
};

// True when both items are of the same class: the same kind, or both plain.
bool SameKindClass(const TItemRec &a, const TItemRec &b);

class TOnceItemRec : public TItemRec
{
public:
    TOnceItemRec();
    const char *className() const override { return "TOnceItemRec"; }
};

class TDateItemRec : public TItemRec
{
public:
    TDateItemRec();
    const char *className() const override { return "TDateItemRec"; }
};

class TDayItemRec : public TItemRec
{
public:
    TDayItemRec();
    const char *className() const override { return "TDayItemRec"; }
};

class TIrregularItemRec : public TItemRec
{
public:
    TIrregularItemRec();
    const char *className() const override { return "TIrregularItemRec"; }
};

// A new item with constructor defaults of the same class as `item`. Any
// other class (the plain scratch item) is reported through the notifier and
// gives no item.
std::unique_ptr<TItemRec> DupObject(const TItemRec &item);

// A new item of kind 0..3; nullptr for any other kind.
std::unique_ptr<TItemRec> NewItemOfKind(int kind);

// Text tables.
extern const std::array<QString, 4> KindNames;
extern const std::array<QString, 8> WeekdayNames;

// Decimal integer with an optional sign; anything else (also a value beyond
// 32 bits) gives 0.
int StrToIntDef0(QStringView text);
