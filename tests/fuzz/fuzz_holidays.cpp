// The holiday-line parser: any line, any year and month.
#include "FuzzSupport.h"
#include "calendar/HolidayRules.h"
#include "calendar/Julius.h"
#include "data/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const int year = int(qint16(data[0] | data[1] << 8));
    const int askedMonth = data[2] % 14;
    const QByteArrayView rest(reinterpret_cast<const char *>(data) + 3, qsizetype(size) - 3);
    const QStringList lines = Cp932::decode(rest).split(u'\n');

    static HolidayRules rules;
    for (const QString &line : lines) {
        QString name;
        int day = 0;
        int month = askedMonth;
        rules.DecodeHolidayLine(line, year, name, day, month);
    }
    rules.setHolidayList(lines.mid(0, 8));
    rules.setSpecialDayList(lines.mid(8, 8));
    rules.setAutoEquinox(data[2] & 0x40);
    rules.setAutoFurikae(data[2] & 0x80);
    const int month = askedMonth % 12 + 1;
    for (int day = 1; day <= 31; ++day) {
        // 1582-10-05..14 do not exist: the rules say so by raising.
        try {
            rules.GetDayFlags(year, month, day);
            rules.GetDayNames(year, month, day);
        } catch (const EJuliusError &) {
            if (year != 1582 || month != 10 || day < 5 || day > 14)
                fuzz::fail("a date that exists was refused");
        }
    }
    return 0;
}
