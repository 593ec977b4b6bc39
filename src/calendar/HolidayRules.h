#pragma once

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <unordered_map>

class HolidayLawYear;

// What kind of day a date is, as the calendar colours it.
enum TDayFlag : quint8 {
    dfSunday = 1,
    dfSaturday = 2,
    dfHoliday = 4,
    dfSubstitute = 8,
    dfSpecialDay = 16,
};
Q_DECLARE_FLAGS(TDayFlags, TDayFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDayFlags)

// The Japanese holidays of every year, as holiday lines.
QStringList DefaultHolidayLines();

// Where the holidays come from. Law: the built-in table of today's holiday
// law with its substitute holidays and days between two holidays; the
// switches AutoEquinox and AutoFurikae play no part. Classic: the holiday
// lines with the two switches. The lines of both lists apply with either.
enum class HolidaySet { Law, Classic };

// Holiday and special-day rules: two lists of rule lines and the two computed
// holidays (equinox days, substitute holiday). Every calendar control holds
// one; the rules need no widgets.
//
// A rule line is split at every comma; the field count picks the form and the
// last field is the name:
//   M,D,Name            every year, month M, day D
//   M,W,K,Name          every year, the W-th weekday K (1 = Sunday) of month M
//   Y,C,M,D,Name        M/D in the years that condition C admits
//   Y,C,M,W,K,Name      the W-th weekday K of month M in those years
// C: 0 only in year Y, 1 up to and including Y, 2 from Y on, other: every
// year. Lines of another field count, and lines with a numeric field that is
// not plain decimal digits (only Y and C may carry a minus), give no day.
class HolidayRules : public QObject
{
    Q_OBJECT

public:
    explicit HolidayRules(QObject *parent = nullptr);
    ~HolidayRules() override;

    HolidaySet holidaySet() const { return m_set; }
    void setHolidaySet(HolidaySet set);

    const QStringList &HolidayList() const { return m_holidays; }
    void setHolidayList(const QStringList &lines);
    void setHolidayLine(int index, const QString &line);
    void appendHolidayLine(const QString &line);

    const QStringList &SpecialDayList() const { return m_specialDays; }
    void setSpecialDayList(const QStringList &lines);
    void setSpecialDayLine(int index, const QString &line);
    void appendSpecialDayLine(const QString &line);

    bool AutoEquinox() const { return m_autoEquinox; }
    void setAutoEquinox(bool on);
    bool AutoFurikae() const { return m_autoFurikae; }
    void setAutoFurikae(bool on);

    // On entry `month` is the month asked (0 = any). On return month and day
    // are the day the line gives in `year`, or 13 and 32 when it gives none;
    // `name` is the line's name or empty.
    virtual void DecodeHolidayLine(const QString &line, int year, QString &name, int &day, int &month) const;
    // Raises EJuliusError for 1582-10-05..14.
    TDayFlags GetDayFlags(int year, int month, int day) const;
    // The names of the date's special days and holidays as comma text.
    QString GetDayNames(int year, int month, int day) const;

Q_SIGNALS:
    // Any list or switch changed.
    void changed();

private:
    bool gives(const QString &line, int year, int month, int day, QString *name = nullptr) const;
    // The law's days of a year, built on first use.
    const HolidayLawYear &lawYear(int year) const;

    QStringList m_holidays;
    QStringList m_specialDays;
    bool m_autoEquinox = true;
    bool m_autoFurikae = true;
    HolidaySet m_set = HolidaySet::Classic;
    mutable std::unordered_map<int, std::unique_ptr<HolidayLawYear>> m_lawYears;
};

// TStringList-style comma text: names joined by commas, a name with a blank,
// control character, comma or double quote enclosed in double quotes.
QString CommaText(const QStringList &names);
