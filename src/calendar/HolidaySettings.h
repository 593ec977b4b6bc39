#pragma once

#include "calendar/HolidayRules.h"

#include <QObject>
#include <QStringView>
#include <optional>

class SettingsFile;

// "HolidayLaw" of section "Option": on (the default) for today's law, off
// for the classic holiday lines.
HolidaySet HolidaySetFromSettings(const SettingsFile &settings);
// Law: no holiday lines of its own. Classic: the fifteen default lines with
// both switches on.
void ApplyHolidaySet(HolidayRules &rules, HolidaySet set);
// "law" or "classic", in any case.
std::optional<HolidaySet> ParseHolidaySetName(QStringView text);

// The program's choice of holiday set. Calendars that follow it change with
// it at once when the settings dialog stores a new choice.
class HolidaySetting : public QObject
{
    Q_OBJECT

public:
    static HolidaySetting &instance();

    // As the shared settings file holds it now.
    static HolidaySet current();
    // Tells every following calendar that the stored choice is now `set`.
    void announce(HolidaySet set);

Q_SIGNALS:
    void changed(HolidaySet set);

private:
    HolidaySetting() = default;
};

// Applies the program's choice to `rules` now and whenever it changes.
void FollowHolidaySetting(HolidayRules &rules);
