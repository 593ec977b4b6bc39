#include "calendar/HolidaySettings.h"
#include "calendar/Julius.h"
#include "settings/SettingsFile.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "MM-DD name; ..." -> name by (month, day).
QHash<QPair<int, int>, QString> parseDays(const QString &text)
{
    QHash<QPair<int, int>, QString> days;
    for (const QString &entry : text.split(u';', Qt::SkipEmptyParts)) {
        const QString e = entry.trimmed();
        days.insert({e.mid(0, 2).toInt(), e.mid(3, 2).toInt()}, e.mid(6));
    }
    return days;
}

struct LawRules : HolidayRules
{
    LawRules() { setHolidaySet(HolidaySet::Law); }
};

} // namespace

// The holidays of today's law, year by year as the law gave them, and how the
// program chooses between the law and the classic holiday lines.
class TestHolidayLaw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every holiday of the year; every other day has none.
    void wholeYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("days");
        const auto row = [](int year, const char *days) {
            QTest::newRow(QByteArray::number(year).constData()) << year << QString::fromUtf8(days);
        };
        row(1947, "");
        row(1948, "09-23 秋分の日; 11-03 文化の日; 11-23 勤労感謝の日");
        row(1959,
            "01-01 元日; 01-15 成人の日; 03-21 春分の日; 04-10 皇太子明仁親王の結婚の儀; 04-29 天皇誕生日; "
            "05-03 憲法記念日; 05-05 こどもの日; 09-24 秋分の日; 11-03 文化の日; 11-23 勤労感謝の日");
        row(1973,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 天皇誕生日; 04-30 振替休日; "
            "05-03 憲法記念日; 05-05 こどもの日; 09-15 敬老の日; 09-23 秋分の日; 09-24 振替休日; 10-10 体育の日; "
            "11-03 文化の日; 11-23 勤労感謝の日");
        row(1985,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 天皇誕生日; 05-03 憲法記念日; "
            "05-05 こどもの日; 05-06 振替休日; 09-15 敬老の日; 09-16 振替休日; 09-23 秋分の日; 10-10 体育の日; "
            "11-03 文化の日; 11-04 振替休日; 11-23 勤労感謝の日");
        row(1986,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 天皇誕生日; 05-03 憲法記念日; "
            "05-05 こどもの日; 09-15 敬老の日; 09-23 秋分の日; 10-10 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; "
            "11-24 振替休日");
        row(1988,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 03-20 春分の日; 03-21 振替休日; 04-29 天皇誕生日; "
            "05-03 憲法記念日; 05-04 国民の休日; 05-05 こどもの日; 09-15 敬老の日; 09-23 秋分の日; 10-10 体育の日; "
            "11-03 文化の日; 11-23 勤労感謝の日");
        row(1989,
            "01-01 元日; 01-02 振替休日; 01-15 成人の日; 01-16 振替休日; 02-11 建国記念の日; 02-24 昭和天皇の大喪の礼; "
            "03-21 春分の日; 04-29 みどりの日; 05-03 憲法記念日; 05-04 国民の休日; 05-05 こどもの日; 09-15 敬老の日; "
            "09-23 秋分の日; 10-10 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(1990,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 02-12 振替休日; 03-21 春分の日; 04-29 みどりの日; "
            "04-30 振替休日; 05-03 憲法記念日; 05-04 国民の休日; 05-05 こどもの日; 09-15 敬老の日; 09-23 秋分の日; "
            "09-24 振替休日; 10-10 体育の日; 11-03 文化の日; 11-12 即位礼正殿の儀; 11-23 勤労感謝の日; "
            "12-23 天皇誕生日; 12-24 振替休日");
        row(1993,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 03-20 春分の日; 04-29 みどりの日; 05-03 憲法記念日; "
            "05-04 国民の休日; 05-05 こどもの日; 06-09 皇太子徳仁親王の結婚の儀; 09-15 敬老の日; 09-23 秋分の日; "
            "10-10 体育の日; 10-11 振替休日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(1996,
            "01-01 元日; 01-15 成人の日; 02-11 建国記念の日; 02-12 振替休日; 03-20 春分の日; 04-29 みどりの日; "
            "05-03 憲法記念日; 05-04 国民の休日; 05-05 こどもの日; 05-06 振替休日; 07-20 海の日; 09-15 敬老の日; "
            "09-16 振替休日; 09-23 秋分の日; 10-10 体育の日; 11-03 文化の日; 11-04 振替休日; 11-23 勤労感謝の日; "
            "12-23 天皇誕生日");
        row(2000,
            "01-01 元日; 01-10 成人の日; 02-11 建国記念の日; 03-20 春分の日; 04-29 みどりの日; 05-03 憲法記念日; "
            "05-04 国民の休日; 05-05 こどもの日; 07-20 海の日; 09-15 敬老の日; 09-23 秋分の日; 10-09 体育の日; "
            "11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(2003,
            "01-01 元日; 01-13 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 みどりの日; 05-03 憲法記念日; "
            "05-05 こどもの日; 07-21 海の日; 09-15 敬老の日; 09-23 秋分の日; 10-13 体育の日; 11-03 文化の日; "
            "11-23 勤労感謝の日; 11-24 振替休日; 12-23 天皇誕生日");
        row(2006,
            "01-01 元日; 01-02 振替休日; 01-09 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 みどりの日; "
            "05-03 憲法記念日; 05-04 国民の休日; 05-05 こどもの日; 07-17 海の日; 09-18 敬老の日; 09-23 秋分の日; "
            "10-09 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(2007,
            "01-01 元日; 01-08 成人の日; 02-11 建国記念の日; 02-12 振替休日; 03-21 春分の日; 04-29 昭和の日; "
            "04-30 振替休日; 05-03 憲法記念日; 05-04 みどりの日; 05-05 こどもの日; 07-16 海の日; 09-17 敬老の日; "
            "09-23 秋分の日; 09-24 振替休日; 10-08 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日; "
            "12-24 振替休日");
        row(2008,
            "01-01 元日; 01-14 成人の日; 02-11 建国記念の日; 03-20 春分の日; 04-29 昭和の日; 05-03 憲法記念日; "
            "05-04 みどりの日; 05-05 こどもの日; 05-06 振替休日; 07-21 海の日; 09-15 敬老の日; 09-23 秋分の日; "
            "10-13 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 11-24 振替休日; 12-23 天皇誕生日");
        row(2009,
            "01-01 元日; 01-12 成人の日; 02-11 建国記念の日; 03-20 春分の日; 04-29 昭和の日; 05-03 憲法記念日; "
            "05-04 みどりの日; 05-05 こどもの日; 05-06 振替休日; 07-20 海の日; 09-21 敬老の日; 09-22 国民の休日; "
            "09-23 秋分の日; 10-12 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(2015,
            "01-01 元日; 01-12 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 昭和の日; 05-03 憲法記念日; "
            "05-04 みどりの日; 05-05 こどもの日; 05-06 振替休日; 07-20 海の日; 09-21 敬老の日; 09-22 国民の休日; "
            "09-23 秋分の日; 10-12 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(2016,
            "01-01 元日; 01-11 成人の日; 02-11 建国記念の日; 03-20 春分の日; 03-21 振替休日; 04-29 昭和の日; "
            "05-03 憲法記念日; 05-04 みどりの日; 05-05 こどもの日; 07-18 海の日; 08-11 山の日; 09-19 敬老の日; "
            "09-22 秋分の日; 10-10 体育の日; 11-03 文化の日; 11-23 勤労感謝の日; 12-23 天皇誕生日");
        row(2019,
            "01-01 元日; 01-14 成人の日; 02-11 建国記念の日; 03-21 春分の日; 04-29 昭和の日; 04-30 国民の休日; "
            "05-01 天皇の即位の日; 05-02 国民の休日; 05-03 憲法記念日; 05-04 みどりの日; 05-05 こどもの日; "
            "05-06 振替休日; 07-15 海の日; 08-11 山の日; 08-12 振替休日; 09-16 敬老の日; 09-23 秋分の日; "
            "10-14 体育の日; 10-22 即位礼正殿の儀; 11-03 文化の日; 11-04 振替休日; 11-23 勤労感謝の日");
        row(2020,
            "01-01 元日; 01-13 成人の日; 02-11 建国記念の日; 02-23 天皇誕生日; 02-24 振替休日; 03-20 春分の日; "
            "04-29 昭和の日; 05-03 憲法記念日; 05-04 みどりの日; 05-05 こどもの日; 05-06 振替休日; 07-23 海の日; "
            "07-24 スポーツの日; 08-10 山の日; 09-21 敬老の日; 09-22 秋分の日; 11-03 文化の日; 11-23 勤労感謝の日");
        row(2021,
            "01-01 元日; 01-11 成人の日; 02-11 建国記念の日; 02-23 天皇誕生日; 03-20 春分の日; 04-29 昭和の日; "
            "05-03 憲法記念日; 05-04 みどりの日; 05-05 こどもの日; 07-22 海の日; 07-23 スポーツの日; 08-08 山の日; "
            "08-09 振替休日; 09-20 敬老の日; 09-23 秋分の日; 11-03 文化の日; 11-23 勤労感謝の日");
        row(2026,
            "01-01 元日; 01-12 成人の日; 02-11 建国記念の日; 02-23 天皇誕生日; 03-20 春分の日; 04-29 昭和の日; "
            "05-03 憲法記念日; 05-04 みどりの日; 05-05 こどもの日; 05-06 振替休日; 07-20 海の日; 08-11 山の日; "
            "09-21 敬老の日; 09-22 国民の休日; 09-23 秋分の日; 10-12 スポーツの日; 11-03 文化の日; "
            "11-23 勤労感謝の日");
    }
    void wholeYear()
    {
        QFETCH(int, year);
        QFETCH(QString, days);
        const QHash<QPair<int, int>, QString> expected = parseDays(days);
        const LawRules rules;
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= JuliusMonthDays(year, month); ++day) {
                const QString name = expected.value({month, day});
                const QString where = QStringLiteral("%1-%2-%3").arg(year).arg(month).arg(day);
                const TDayFlags flags = rules.GetDayFlags(year, month, day);
                const bool substitute = name == u"振替休日";
                QVERIFY2(flags.testFlag(dfHoliday) == (!name.isEmpty() && !substitute), qPrintable(where));
                QVERIFY2(flags.testFlag(dfSubstitute) == substitute, qPrintable(where));
                QVERIFY2(rules.GetDayNames(year, month, day) == name, qPrintable(where + u' ' + name));
            }
        }
    }

    void weekendFlagsStay()
    {
        const LawRules rules;
        // A Sunday holiday and a Saturday holiday keep their weekday.
        QCOMPARE(rules.GetDayFlags(2026, 5, 3), TDayFlags(dfHoliday | dfSunday));
        QCOMPARE(rules.GetDayFlags(2019, 5, 4), TDayFlags(dfHoliday | dfSaturday));
        QCOMPARE(rules.GetDayFlags(2026, 12, 13), TDayFlags(dfSunday));
        QCOMPARE(rules.GetDayFlags(2026, 12, 14), TDayFlags());
    }

    // The switches belong to the classic lines only.
    void switchesPlayNoPart()
    {
        LawRules rules;
        rules.setAutoEquinox(false);
        rules.setAutoFurikae(false);
        QCOMPARE(rules.GetDayFlags(2026, 3, 20), TDayFlags(dfHoliday));
        QCOMPARE(rules.GetDayFlags(2026, 5, 6), TDayFlags(dfSubstitute));
        QCOMPARE(rules.GetDayNames(2026, 9, 23), QStringLiteral("秋分の日"));
    }

    // A user's own lines add days to the law's; they make no substitute day.
    void linesOnTop()
    {
        LawRules rules;
        rules.setHolidayList({QStringLiteral("12,29,会社の休日"), QStringLiteral("2026,0,9,22,創立記念日")});
        rules.setSpecialDayList({QStringLiteral("12,24,イブ"), QStringLiteral("5,5,子どもの日の祭り")});
        QCOMPARE(rules.GetDayFlags(2026, 12, 29), TDayFlags(dfHoliday));
        QCOMPARE(rules.GetDayNames(2026, 12, 29), QStringLiteral("会社の休日"));
        QCOMPARE(rules.GetDayFlags(2030, 12, 29), TDayFlags(dfHoliday | dfSunday));
        QCOMPARE(rules.GetDayFlags(2030, 12, 30), TDayFlags());
        QCOMPARE(rules.GetDayFlags(2026, 12, 24), TDayFlags(dfSpecialDay));
        QCOMPARE(rules.GetDayFlags(2026, 9, 22), TDayFlags(dfHoliday));
        QCOMPARE(rules.GetDayNames(2026, 9, 22), QStringLiteral("創立記念日,国民の休日"));
        QCOMPARE(rules.GetDayFlags(2026, 5, 5), TDayFlags(dfHoliday | dfSpecialDay));
        QCOMPARE(rules.GetDayNames(2026, 5, 5), QStringLiteral("子どもの日の祭り,こどもの日"));
    }

    // Years are kept apart however many a walk visits, also after the
    // remembered ones are let go.
    void manyYears()
    {
        const LawRules rules;
        for (int round = 0; round < 2; ++round) {
            for (int year = 1800; year <= 2300; ++year) {
                const bool law = year >= 1949;
                QCOMPARE(rules.GetDayFlags(year, 5, 3).testFlag(dfHoliday), law);
                QCOMPARE(rules.GetDayNames(year, 11, 23).isEmpty(), year < 1948);
            }
        }
        QCOMPARE(rules.GetDayNames(999999, 1, 1), QStringLiteral("元日"));
        QVERIFY_THROWS_EXCEPTION(EJuliusError, rules.GetDayFlags(1582, 10, 10));
    }

    void setSignalsOnlyChanges()
    {
        HolidayRules rules;
        QCOMPARE(rules.holidaySet(), HolidaySet::Classic);
        QSignalSpy spy(&rules, &HolidayRules::changed);
        rules.setHolidaySet(HolidaySet::Classic);
        QCOMPARE(spy.count(), 0);
        rules.setHolidaySet(HolidaySet::Law);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(rules.holidaySet(), HolidaySet::Law);
        rules.setHolidaySet(HolidaySet::Law);
        QCOMPARE(spy.count(), 1);
    }

    void applySet()
    {
        HolidayRules rules;
        rules.setAutoEquinox(false);
        rules.setHolidayList({QStringLiteral("1,2,x")});
        ApplyHolidaySet(rules, HolidaySet::Law);
        QCOMPARE(rules.holidaySet(), HolidaySet::Law);
        QVERIFY(rules.HolidayList().isEmpty());
        QCOMPARE(rules.GetDayNames(2026, 12, 23), QString());
        QCOMPARE(rules.GetDayNames(2026, 2, 23), QStringLiteral("天皇誕生日"));

        ApplyHolidaySet(rules, HolidaySet::Classic);
        QCOMPARE(rules.holidaySet(), HolidaySet::Classic);
        QCOMPARE(rules.HolidayList(), DefaultHolidayLines());
        QVERIFY(rules.AutoEquinox());
        QVERIFY(rules.AutoFurikae());
        QCOMPARE(rules.GetDayNames(2026, 12, 23), QStringLiteral("天皇誕生日"));
        QCOMPARE(rules.GetDayNames(2026, 2, 23), QString());
        QCOMPARE(rules.GetDayNames(2000, 3, 20), QStringLiteral("春分の日"));
    }

    void setNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("set"); // -1: none
        QTest::newRow("law") << "law" << int(HolidaySet::Law);
        QTest::newRow("classic") << "classic" << int(HolidaySet::Classic);
        QTest::newRow("upper case") << "LAW" << int(HolidaySet::Law);
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("other") << "modern" << -1;
        QTest::newRow("blank") << "law " << -1;
    }
    void setNames()
    {
        QFETCH(QString, text);
        QFETCH(int, set);
        const std::optional<HolidaySet> parsed = ParseHolidaySetName(text);
        QCOMPARE(parsed.has_value(), set >= 0);
        if (parsed)
            QCOMPARE(int(*parsed), set);
    }

    void fromSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("set");
        QTest::newRow("no file") << QByteArray() << int(HolidaySet::Law);
        QTest::newRow("no key") << QByteArray("[Option]\nDock=1\n") << int(HolidaySet::Law);
        QTest::newRow("on") << QByteArray("[Option]\nHolidayLaw=1\n") << int(HolidaySet::Law);
        QTest::newRow("off") << QByteArray("[Option]\nHolidayLaw=0\n") << int(HolidaySet::Classic);
        QTest::newRow("other section") << QByteArray("[Default]\nHolidayLaw=0\n") << int(HolidaySet::Law);
        QTest::newRow("garbage") << QByteArray("[Option]\nHolidayLaw=nein\n") << int(HolidaySet::Law);
    }
    void fromSettings()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tidemark.ini"));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QTEST(int(HolidaySetFromSettings(SettingsFile(path))), "set");
    }
};

QTEST_GUILESS_MAIN(TestHolidayLaw)
#include "tst_holidaylaw.moc"
