#pragma once

#include <QFont>
#include <QString>

class SettingsFile;

// Windows face names that stored settings and dialogs use ("ＭＳ Ｐゴシック",
// "ＭＳ ゴシック", ...) do not exist here. Installed once, at start, as Qt
// substitutes for an installed Japanese family: a Windows face that reaches Qt
// as it stands still shows in it. What the program shows goes through
// DisplayFont, which skips Qt's search for the substitute.
void InstallFontSubstitutes();

// The installed family for the proportional and the fixed Japanese face.
QString JapaneseUiFamily();
QString JapaneseFixedFamily();

// A font for showing text in `face` with a Windows-style height: a negative
// height is the character height in pixels, a positive one the cell height.
// A Windows face comes back as the installed family that stands in for it
// (DisplayFont).
QFont WindowsFont(const QString &face, int height);

// `font` with a Windows face replaced by the installed family that stands in
// for it, for widgets that show text. Qt does not know a Windows face: asked
// for one, it first runs a fallback search per script before it lands on the
// substitute, which costs the main window milliseconds at start. Settings
// keep the Windows face; only what is shown uses the installed family.
QFont DisplayFont(QFont font);

// Reads "FontName", "FontSize" and "FontStyle" of section "Option" into
// `font`; missing keys keep the font's face and size, without bold or italic.
void LoadFontSettings(QFont &font, const SettingsFile &settings);
