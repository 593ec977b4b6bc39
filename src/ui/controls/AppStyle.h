#pragma once

#include <QProxyStyle>

// The platform's style with the program's own glyphs for the extension
// buttons of the menu and tool bars. Qt's come from an image file whose
// reading loads every image format plug-in while the main window is built.
class TAppStyle : public QProxyStyle
{
public:
    QIcon standardIcon(
        StandardPixmap icon, const QStyleOption *option = nullptr, const QWidget *widget = nullptr) const override;
};
