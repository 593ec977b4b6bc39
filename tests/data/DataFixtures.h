#pragma once

#include "data/AppError.h"
#include "data/ItemRec.h"
#include "data/TextCodec.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <cmath>

// Builds item file bytes field by field, straight from the layout tables, so
// that tests never depend on our own writer.
class RecordBytes
{
public:
    explicit RecordBytes(int size)
        : bytes(size, '\0')
    { }

    RecordBytes &u8(int offset, int value)
    {
        bytes[offset] = char(value & 0xFF);
        return *this;
    }
    RecordBytes &u16(int offset, int value) { return u8(offset, value).u8(offset + 1, value >> 8); }
    RecordBytes &u32(int offset, quint32 value)
    {
        return u16(offset, int(value & 0xFFFF)).u16(offset + 2, int(value >> 16));
    }
    RecordBytes &text(int offset, const QByteArray &text)
    {
        bytes.replace(offset, text.size(), text);
        return *this;
    }
    // Date field: signed 16-bit year, month, day.
    RecordBytes &date(int offset, int year, int month, int day)
    {
        return u16(offset, year).u8(offset + 2, month).u8(offset + 3, day);
    }

    QByteArray bytes;
};

// A 32-byte header: the signature, then `fill` in bytes 9..31.
inline QByteArray HeaderBytes(const QByteArray &signature, char fill = 0)
{
    QByteArray h(32, fill);
    h.replace(0, 9, QByteArray(9, '\0'));
    h.replace(0, signature.size(), signature);
    return h;
}

// A DOS date-time value.
inline quint32 DosStamp(int year, int month, int day, int hour, int minute, int second)
{
    return quint32(year - 1980) << 25 | quint32(month) << 21 | quint32(day) << 16 | quint32(hour) << 11
        | quint32(minute) << 5 | quint32(second / 2);
}

inline QByteArray sj(const QString &text)
{
    return Cp932::encode(text);
}

// The CSV header line, in code page 932.
inline QByteArray CsvHeader(char separator = ',')
{
    return sj(QStringLiteral("タイトル,号数オプション,号数差,メモ,タイプ,開始日,終了日,指定月,指定日,指定週,指定曜日,"
                             "ずらし対象,ずらし方向,前表示期間,後表示期間,最終処理日"))
        .replace(',', separator);
}

inline QString WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The message of the AppError `call` raises; empty when it raises none.
template <typename F> QString ErrorOf(F call)
{
    try {
        call();
    } catch (const AppError &e) {
        return e.message();
    }
    return QString();
}

// Every field of an item, one text each, so that a test compares all of them
// at once: kind, device state/byte/stamp, [title], {memo}, start/end/last
// (+ set, - not), months 1..12, days, weekdays Mon..Sun, week parity, shift
// days Mon..Sun and holiday, shift direction, before, after, title option and
// difference, device words (hex).
inline QStringList DumpFields(const TItemRec &it)
{
    auto n = [](qint64 v) { return QString::number(v); };
    auto bits = [](const auto &a, int from, int to) {
        QString s;
        for (int i = from; i <= to; ++i)
            s += a[size_t(i)] ? u'1' : u'0';
        return s;
    };
    // A date with a time of day shows its exact value too.
    auto date = [](bool on, DateValue d) {
        return (on ? u'+' : u'-') + FormatDateSlash(d)
            + (d == std::floor(d) ? QString() : "~" + QString::number(d, 'g', 17));
    };
    const QString stamp
        = it.DevStamp == 0 ? QStringLiteral("0") : DateValueToQDateTime(it.DevStamp).toString(Qt::ISODateWithMs);
    return {"K" + n(it.Kind), "S" + n(it.DevState), "B" + n(it.DevByte), "T" + stamp, "[" + it.Title + "]",
        "{" + it.MemoText + "}", "s" + date(it.HasStart, it.StartDate), "e" + date(it.HasEnd, it.EndDate),
        "l" + date(it.HasLast, it.LastDate), "M" + bits(it.Months, 1, 12), "D" + n(it.Days[1]) + "," + n(it.Days[2]),
        "W" + bits(it.Weekdays, 0, 6), "P" + n(it.WeekParity),
        "X" + bits(it.ShiftDays, 0, 6) + (it.ShiftHoliday ? "h" : "-"), "R" + n(it.ShiftDir), "b" + n(it.BeforeDays),
        "a" + n(it.AfterDays), "o" + n(it.TitleOpt), "d" + n(it.TitleDiff),
        "v"
            + QStringLiteral("%1,%2,%3,%4")
                  .arg(it.DevWord[1], 0, 16)
                  .arg(it.DevWord[2], 0, 16)
                  .arg(it.DevWord[3], 0, 16)
                  .arg(it.DevWord[4], 0, 16)};
}

inline QString Dump(const TItemRec &it)
{
    return DumpFields(it).join(u' ');
}

// An item of `kind` with fields set directly (not through the text
// conversions under test), from "key=value" words: t title, m memo, opt, diff,
// s/e/l dates (yyyy/mm/dd; sets the flag), mon and wd and sh (lists; sh takes
// "h" for the holiday), d (two days), wp, dir, b, a.
inline std::unique_ptr<TItemRec> MakeItem(int kind, const QString &fields = QString())
{
    static const QHash<QString, int TItemRec::*> numbers {{"diff", &TItemRec::TitleDiff}, {"wp", &TItemRec::WeekParity},
        {"dir", &TItemRec::ShiftDir}, {"b", &TItemRec::BeforeDays}, {"a", &TItemRec::AfterDays}};
    static const QHash<QString, std::pair<bool TItemRec::*, DateValue TItemRec::*>> dates {
        {"s", {&TItemRec::HasStart, &TItemRec::StartDate}}, {"e", {&TItemRec::HasEnd, &TItemRec::EndDate}},
        {"l", {&TItemRec::HasLast, &TItemRec::LastDate}}};
    auto it = NewItemOfKind(kind);
    for (const QString &word : fields.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = word.section(u'=', 0, 0), value = word.section(u'=', 1);
        const QStringList list = value.split(u',');
        if (key == u"t")
            it->Title = value;
        else if (key == u"m")
            it->MemoText = value;
        else if (key == u"opt")
            it->TitleOpt = quint8(value.toInt());
        else if (numbers.contains(key))
            (*it).*numbers[key] = value.toInt();
        else if (dates.contains(key)) {
            (*it).*dates[key].first = true;
            (*it).*dates[key].second = QDateToDateValue(QDate::fromString(value, QStringLiteral("yyyy/MM/dd")));
        } else if (key == u"d")
            it->Days[1] = list[0].toInt(), it->Days[2] = list[1].toInt();
        else if (key != u"mon" && key != u"wd" && key != u"sh")
            qFatal("unknown field");
        else
            for (const QString &v : list) {
                if (key == u"mon")
                    it->Months[size_t(v.toInt())] = true;
                else if (key == u"wd")
                    it->Weekdays[size_t(v.toInt())] = true;
                else if (v == u"h")
                    it->ShiftHoliday = true;
                else
                    it->ShiftDays[size_t(v.toInt())] = true;
            }
    }
    return it;
}
