#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>

// The program's own glyphs, drawn with QPainter at any size.
//
// Tool glyph names are the action names, in image-index order:
// "New", "Open", "Save", "SaveAs", "OpenR", "SaveR", "ExitPgm", "Add", "Cpy",
// "Upd", "Del", (11: none), "Option", "SearchforHelpOn", "About",
// "RupOption".
QStringList ToolIconNames();

// The glyph of an action (16, 24 and 32 pixels); a null icon for an unknown
// name or for image index 11.
QIcon ToolIcon(const QString &name);
QIcon ToolIcon(int imageIndex);

// The application icon (also the icon of item files), drawn at any size;
// it lists 16 to 64 pixels, the sizes handed to the window system.
QIcon AppIcon();

// The chevrons of a menu or tool bar's extension button.
QIcon ExtensionIcon(Qt::Orientation orientation);

// One glyph ("App" for the application icon) drawn at size x size pixels.
QImage DrawIcon(const QString &name, int size);
