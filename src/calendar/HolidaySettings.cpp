#include "calendar/HolidaySettings.h"

#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"

HolidaySet HolidaySetFromSettings(const SettingsFile &settings)
{
    return ReadSetting(settings, SettingKeys::HolidayLaw) ? HolidaySet::Law : HolidaySet::Classic;
}

void ApplyHolidaySet(HolidayRules &rules, HolidaySet set)
{
    rules.setHolidaySet(set);
    if (set == HolidaySet::Law) {
        rules.setHolidayList({});
        return;
    }
    rules.setHolidayList(DefaultHolidayLines());
    rules.setAutoEquinox(true);
    rules.setAutoFurikae(true);
}

std::optional<HolidaySet> ParseHolidaySetName(QStringView text)
{
    if (text.compare(u"law", Qt::CaseInsensitive) == 0)
        return HolidaySet::Law;
    if (text.compare(u"classic", Qt::CaseInsensitive) == 0)
        return HolidaySet::Classic;
    return std::nullopt;
}

HolidaySetting &HolidaySetting::instance()
{
    static HolidaySetting setting;
    return setting;
}

HolidaySet HolidaySetting::current()
{
    return HolidaySetFromSettings(Settings());
}

void HolidaySetting::announce(HolidaySet set)
{
    Q_EMIT changed(set);
}

void FollowHolidaySetting(HolidayRules &rules)
{
    ApplyHolidaySet(rules, HolidaySetting::current());
    QObject::connect(&HolidaySetting::instance(), &HolidaySetting::changed, &rules,
        [&rules](HolidaySet set) { ApplyHolidaySet(rules, set); });
}
