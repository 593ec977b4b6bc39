#pragma once

#include <QString>

class SettingsFile;

// Where the settings file and the program directory are, and the one shared
// settings object.
//
// The settings file is "tidemark.ini" in the program's directory while that
// directory is writable and not a system one (IsSystemDir), otherwise in the
// user's configuration directory
// ("Tidemark" folder). TIDEMARK_SETTINGS names another path (tests,
// portable use). The program directory, where the local copy of the device
// file lies, follows the same rule with the user's data directory;
// TIDEMARK_PROGRAM_DIR names another one.
QString DefaultSettingsPath();
// Whether `dir` is one of the system's command directories (/usr/bin,
// /usr/local/bin and the like): a program installed there keeps nothing
// beside itself, not even when root runs it.
bool IsSystemDir(const QString &dir);
QString DefaultProgramDir();

// Opens the shared settings object on the default path, sets the program
// directory and gives date parsing its two-digit-year window of 50 years.
void InitSettings();
// Opens the shared settings object on `path` instead (command-line option).
void InitSettings(const QString &path);

// The shared settings object; opens it on the default path on first use.
SettingsFile &Settings();
// The program directory, with a trailing "/".
QString ProgramDir();
