#pragma once

#include <QString>

class SettingsFile;

// Every setting the program keeps: its section, its key and the default a
// missing or unreadable value gives. Readers and writers name settings only
// through this table.
struct IntSetting
{
    const char *section;
    const char *key;
    int defaultValue;
};

struct BoolSetting
{
    const char *section;
    const char *key;
    bool defaultValue;
};

struct StringSetting
{
    const char *section;
    const char *key;
    const char *defaultValue;
};

namespace SettingKeys {

inline constexpr char OptionSection[] = "Option";
inline constexpr char CsvSection[] = "CSVOption";
inline constexpr char DefaultSection[] = "Default";
// Keys named after each window and its parts.
inline constexpr char WindowPosSection[] = "WindowPos";
// "COMn" keys name the serial device of port n.
inline constexpr char PortsSection[] = "Ports";

inline constexpr IntSetting Dock {OptionSection, "Dock", 1};
inline constexpr IntSetting IrDA {OptionSection, "IrDA", 2};
// The settings dialog offers "none" for an infrared port never chosen.
inline constexpr IntSetting IrDAInDialog {OptionSection, "IrDA", 0};
inline constexpr BoolSetting DefaultPort {OptionSection, "DefaultPort", true};
inline constexpr IntSetting Speed {OptionSection, "Speed", 4};
inline constexpr BoolSetting RupFileMode {OptionSection, "RupFileMode", true};
inline constexpr StringSetting RupFile {OptionSection, "RupFile", ""};
inline constexpr BoolSetting RupAutoOpen {OptionSection, "RupAutoOpen", false};
// Without a stored face the font keeps the one it has.
inline constexpr StringSetting FontName {OptionSection, "FontName", ""};
inline constexpr IntSetting FontSize {OptionSection, "FontSize", 0};
inline constexpr StringSetting FontStyle {OptionSection, "FontStyle", ""};
inline constexpr IntSetting ToolBtn {OptionSection, "ToolBtn", 1};
// On: today's holiday law; off: the classic holiday lines.
inline constexpr BoolSetting HolidayLaw {OptionSection, "HolidayLaw", true};

inline constexpr IntSetting CommaChar {CsvSection, "CommaChar", ','};
inline constexpr IntSetting QuoteChar {CsvSection, "QuoteChar", '"'};
inline constexpr StringSetting CRChar {CsvSection, "CRChar", "LF"};
inline constexpr BoolSetting SpaceQuote {CsvSection, "SpaceQuote", true};

inline constexpr StringSetting Head {DefaultSection, "Head", ""};

inline constexpr StringSetting Library {PortsSection, "Library", ""};

} // namespace SettingKeys

int ReadSetting(const SettingsFile &file, const IntSetting &setting);
bool ReadSetting(const SettingsFile &file, const BoolSetting &setting);
QString ReadSetting(const SettingsFile &file, const StringSetting &setting);
// With a default that only the caller knows.
QString ReadSetting(const SettingsFile &file, const StringSetting &setting, const QString &fallback);

// False when the file could not be written.
bool WriteSetting(SettingsFile &file, const IntSetting &setting, int value);
bool WriteSetting(SettingsFile &file, const BoolSetting &setting, bool value);
bool WriteSetting(SettingsFile &file, const StringSetting &setting, const QString &value);
