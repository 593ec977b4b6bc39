#include "calendar/CalExFonts.h"

#include "ui/controls/Fonts.h"

TCalExFonts::TCalExFonts(QObject *parent)
    : QObject(parent)
{
    const QFont base = WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12);
    const QColor colors[Count] = {Qt::black, Qt::blue, Qt::red, Qt::white, Qt::red, QColor(0x00, 0x80, 0x00)};
    for (int i = 0; i < Count; ++i)
        m_entries[i] = {base, colors[i]};
}

void TCalExFonts::setFont(int index, const QFont &font)
{
    if (m_synchronize) {
        for (TCalExFont &e : m_entries)
            e.font = font;
    } else {
        m_entries[index].font = font;
    }
    Q_EMIT changed();
}

void TCalExFonts::setColor(int index, const QColor &color)
{
    m_entries[index].color = color;
    Q_EMIT changed();
}
