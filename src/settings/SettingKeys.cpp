#include "settings/SettingKeys.h"

#include "settings/SettingsFile.h"

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

} // namespace

int ReadSetting(const SettingsFile &file, const IntSetting &setting)
{
    return file.readInteger(text(setting.section), text(setting.key), setting.defaultValue);
}

bool ReadSetting(const SettingsFile &file, const BoolSetting &setting)
{
    return file.readBool(text(setting.section), text(setting.key), setting.defaultValue);
}

QString ReadSetting(const SettingsFile &file, const StringSetting &setting)
{
    return ReadSetting(file, setting, text(setting.defaultValue));
}

QString ReadSetting(const SettingsFile &file, const StringSetting &setting, const QString &fallback)
{
    return file.readString(text(setting.section), text(setting.key), fallback);
}

bool WriteSetting(SettingsFile &file, const IntSetting &setting, int value)
{
    return file.writeInteger(text(setting.section), text(setting.key), value);
}

bool WriteSetting(SettingsFile &file, const BoolSetting &setting, bool value)
{
    return file.writeBool(text(setting.section), text(setting.key), value);
}

bool WriteSetting(SettingsFile &file, const StringSetting &setting, const QString &value)
{
    return file.writeString(text(setting.section), text(setting.key), value);
}
