#include "ui/controls/AppStyle.h"

#include "ui/controls/Icons.h"

QIcon TAppStyle::standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const
{
    switch (icon) {
    case SP_ToolBarHorizontalExtensionButton:
        return ExtensionIcon(Qt::Horizontal);
    case SP_ToolBarVerticalExtensionButton:
        return ExtensionIcon(Qt::Vertical);
    default:
        return QProxyStyle::standardIcon(icon, option, widget);
    }
}
