#pragma once

#include <QFont>
#include <QString>

class SettingsFile;

// Windows face names that stored settings and dialogs use ("ＭＳ Ｐゴシック",
// "ＭＳ ゴシック", ...) do not exist here. They are mapped once, at start, to an
// installed Japanese family, so Qt never scans every font for a missing one.
void InstallFontSubstitutes();

// The installed family for the proportional and the fixed Japanese face.
QString JapaneseUiFamily();
QString JapaneseFixedFamily();

// A font of `face` with a Windows-style height: a negative height is the
// character height in pixels, a positive one the cell height.
QFont WindowsFont(const QString &face, int height);

// Reads "FontName", "FontSize" and "FontStyle" of section "Option" into
// `font`; missing keys keep the font's face and size, without bold or italic.
void LoadFontSettings(QFont &font, const SettingsFile &settings);
