#include "ui/controls/Icons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <cmath>
#include <numbers>

namespace {

// Glyphs are drawn on a 16 x 16 grid and scaled.
const QColor Ink(0x33, 0x3b, 0x47);
const QColor Paper(0xfd, 0xfd, 0xfb);
const QColor Folder(0xf2, 0xb8, 0x3c);
const QColor FolderDark(0xc4, 0x8a, 0x17);
const QColor Disk(0x2f, 0x6d, 0xb5);
const QColor Green(0x2e, 0x9d, 0x4a);
const QColor Red(0xd6, 0x3a, 0x34);
const QColor Teal(0x1f, 0x8a, 0x9c);
const QColor Pencil(0xe8, 0x9a, 0x2c);

QPen pen(const QColor &color, qreal width = 1.0)
{
    QPen p(color, width);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

void page(QPainter &p, QRectF r)
{
    QPainterPath path;
    const qreal fold = 3.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(pen(Ink, 0.9));
    p.setBrush(Paper);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xd8, 0xdc, 0xe2));
    p.drawPath(corner);
}

void textLines(QPainter &p, qreal left, qreal right, qreal top, int lines)
{
    p.setPen(pen(QColor(0x9a, 0xa3, 0xae), 0.8));
    for (int i = 0; i < lines; ++i)
        p.drawLine(QPointF(left, top + i * 2.2), QPointF(right, top + i * 2.2));
}

void plus(QPainter &p, QPointF c, qreal r, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, r, r);
    p.setPen(pen(Qt::white, 1.3));
    p.drawLine(QPointF(c.x() - r * 0.55, c.y()), QPointF(c.x() + r * 0.55, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - r * 0.55), QPointF(c.x(), c.y() + r * 0.55));
}

void folder(QPainter &p)
{
    QPainterPath back;
    back.moveTo(1, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(13, 5);
    back.lineTo(13, 13);
    back.lineTo(1, 13);
    back.closeSubpath();
    p.setPen(pen(FolderDark, 0.9));
    p.setBrush(FolderDark.lighter(115));
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(3, 7.5);
    front.lineTo(15, 7.5);
    front.lineTo(13, 13);
    front.lineTo(1, 13);
    front.closeSubpath();
    p.setBrush(Folder);
    p.drawPath(front);
}

void floppy(QPainter &p, QRectF r)
{
    p.setPen(pen(Disk.darker(140), 0.9));
    p.setBrush(Disk);
    QPainterPath body;
    body.moveTo(r.left(), r.top());
    body.lineTo(r.right() - 2, r.top());
    body.lineTo(r.right(), r.top() + 2);
    body.lineTo(r.right(), r.bottom());
    body.lineTo(r.left(), r.bottom());
    body.closeSubpath();
    p.drawPath(body);
    const qreal w = r.width();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe9, 0xee, 0xf4));
    p.drawRect(QRectF(r.left() + w * 0.22, r.top() + 0.6, w * 0.5, r.height() * 0.34));
    p.setBrush(Paper);
    p.drawRect(QRectF(r.left() + w * 0.15, r.top() + r.height() * 0.55, w * 0.7, r.height() * 0.38));
    p.setBrush(Disk.darker(130));
    p.drawRect(QRectF(r.left() + w * 0.52, r.top() + 1.2, w * 0.12, r.height() * 0.22));
}

// The wrist device: a rounded case with a strap above and below.
void watch(QPainter &p, QRectF face)
{
    p.setPen(pen(Ink, 0.9));
    p.setBrush(QColor(0x6b, 0x74, 0x80));
    const qreal strap = face.width() * 0.56;
    const qreal sx = face.center().x() - strap / 2;
    p.drawRect(QRectF(sx, face.top() - 2.5, strap, 2.5));
    p.drawRect(QRectF(sx, face.bottom(), strap, 2.5));
    p.setBrush(QColor(0x4a, 0x52, 0x5e));
    p.drawRoundedRect(face, 1.6, 1.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xbf, 0xe6, 0xc9));
    p.drawRect(face.adjusted(1.3, 1.5, -1.3, -1.5));
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &color)
{
    p.setPen(pen(color, 1.8));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(3.2);
    a.setAngle(line.angle() + 38);
    QLineF b = line;
    b.setLength(3.2);
    b.setAngle(line.angle() - 38);
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(a.p2());
    head.lineTo(b.p2());
    head.closeSubpath();
    p.setPen(pen(color, 0.8));
    p.setBrush(color);
    p.drawPath(head);
}

void pencil(QPainter &p, QPointF tip, qreal length)
{
    p.save();
    p.translate(tip);
    p.rotate(-45);
    p.setPen(pen(Ink, 0.7));
    p.setBrush(Pencil);
    p.drawRect(QRectF(2.2, -1.1, length - 2.2, 2.2));
    QPainterPath point;
    point.moveTo(0, 0);
    point.lineTo(2.2, -1.1);
    point.lineTo(2.2, 1.1);
    point.closeSubpath();
    p.setBrush(QColor(0xf3, 0xd9, 0xb1));
    p.drawPath(point);
    p.setBrush(QColor(0xe0, 0x7a, 0x8c));
    p.drawRect(QRectF(length - 1.2, -1.1, 1.2, 2.2));
    p.restore();
}

void gear(QPainter &p, QPointF c, qreal r, const QColor &color)
{
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal angle = i * std::numbers::pi / teeth;
        const qreal radius = (i % 2 == 0) ? r : r * 0.74;
        const qreal a1 = angle - std::numbers::pi / teeth / 2;
        const qreal a2 = angle + std::numbers::pi / teeth / 2;
        const QPointF p1(c.x() + radius * std::cos(a1), c.y() + radius * std::sin(a1));
        const QPointF p2(c.x() + radius * std::cos(a2), c.y() + radius * std::sin(a2));
        if (i == 0)
            path.moveTo(p1);
        else
            path.lineTo(p1);
        path.lineTo(p2);
    }
    path.closeSubpath();
    path.addEllipse(c, r * 0.32, r * 0.32);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(pen(color.darker(150), 0.7));
    p.setBrush(color);
    p.drawPath(path);
}

void drawGlyph(QPainter &p, const QString &name)
{
    if (name == QLatin1String("New")) {
        page(p, QRectF(2.5, 1.5, 10, 13));
        p.setPen(pen(QColor(0xf0, 0xb0, 0x1c), 1.2));
        const QPointF c(12.3, 3.7);
        for (int i = 0; i < 4; ++i) {
            QLineF ray(c, c + QPointF(2.6, 0));
            ray.setAngle(i * 45.0 + 22.5);
            p.drawLine(QLineF(ray.pointAt(0.35), ray.p2()));
            ray.setAngle(ray.angle() + 180);
            p.drawLine(QLineF(ray.pointAt(0.35), ray.p2()));
        }
    } else if (name == QLatin1String("Open")) {
        folder(p);
        arrow(p, QPointF(11, 6.5), QPointF(11, 1.2), Green);
    } else if (name == QLatin1String("Save")) {
        floppy(p, QRectF(1.5, 1.5, 13, 13));
    } else if (name == QLatin1String("SaveAs")) {
        floppy(p, QRectF(1, 1, 11.5, 11.5));
        pencil(p, QPointF(8, 15), 9);
    } else if (name == QLatin1String("OpenR")) {
        watch(p, QRectF(9, 4, 6, 7.5));
        page(p, QRectF(1, 5, 6.5, 9.5));
        arrow(p, QPointF(10, 8), QPointF(4.5, 2.2), Green);
    } else if (name == QLatin1String("SaveR")) {
        page(p, QRectF(1, 1.5, 6.5, 9.5));
        watch(p, QRectF(9, 4.5, 6, 7.5));
        arrow(p, QPointF(4.5, 8.5), QPointF(10.8, 14.5), Disk);
    } else if (name == QLatin1String("ExitPgm")) {
        p.setPen(pen(Ink, 0.9));
        p.setBrush(QColor(0x9c, 0x6b, 0x3f));
        p.drawRect(QRectF(2, 1.5, 8, 13));
        p.setBrush(QColor(0xc9, 0x93, 0x5e));
        QPainterPath door;
        door.moveTo(2, 1.5);
        door.lineTo(7, 3);
        door.lineTo(7, 15.5);
        door.lineTo(2, 14.5);
        door.closeSubpath();
        p.drawPath(door);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(QPointF(6, 9), 0.6, 0.6);
        arrow(p, QPointF(8.5, 8), QPointF(15, 8), Red);
    } else if (name == QLatin1String("Add")) {
        page(p, QRectF(1.5, 1, 10, 13));
        textLines(p, 3.5, 9, 5, 3);
        plus(p, QPointF(11.5, 11.5), 3.8, Green);
    } else if (name == QLatin1String("Cpy")) {
        page(p, QRectF(1, 1, 8.5, 10.5));
        page(p, QRectF(4.5, 3.5, 8.5, 10.5));
        textLines(p, 6, 11, 7, 2);
        plus(p, QPointF(12, 12), 3.4, Green);
    } else if (name == QLatin1String("Upd")) {
        page(p, QRectF(1.5, 1, 10, 13));
        textLines(p, 3.5, 9, 5, 3);
        pencil(p, QPointF(6.5, 14.5), 10.5);
    } else if (name == QLatin1String("Del")) {
        page(p, QRectF(1.5, 1, 9.5, 12.5));
        textLines(p, 3.5, 8.5, 5, 3);
        p.setPen(pen(Red, 2.4));
        p.drawLine(QPointF(8.5, 8.5), QPointF(14.5, 14.5));
        p.drawLine(QPointF(14.5, 8.5), QPointF(8.5, 14.5));
    } else if (name == QLatin1String("Option")) {
        gear(p, QPointF(8, 8), 6.8, QColor(0x8a, 0x94, 0xa3));
    } else if (name == QLatin1String("SearchforHelpOn")) {
        p.setPen(pen(Disk.darker(130), 0.9));
        p.setBrush(QColor(0x4f, 0x8f, 0xd6));
        p.drawRoundedRect(QRectF(1, 1.5, 9.5, 12), 1, 1);
        p.setPen(pen(Qt::white, 1.3));
        QPainterPath q;
        q.moveTo(4, 5);
        q.cubicTo(4, 2.6, 7.8, 2.6, 7.8, 5);
        q.cubicTo(7.8, 6.6, 5.9, 6.6, 5.9, 8.4);
        p.setBrush(Qt::NoBrush);
        p.drawPath(q);
        p.drawPoint(QPointF(5.9, 10.6));
        p.setPen(pen(Ink, 1.2));
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(QPointF(10.5, 10), 3, 3);
        p.setPen(pen(Ink, 2));
        p.drawLine(QPointF(12.7, 12.2), QPointF(15, 14.6));
    } else if (name == QLatin1String("About")) {
        p.setPen(pen(Disk.darker(130), 0.9));
        p.setBrush(Disk);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.6), 1.1, 1.1);
        p.drawRoundedRect(QRectF(7, 6.6, 2, 6), 0.6, 0.6);
    } else if (name == QLatin1String("RupOption")) {
        watch(p, QRectF(2, 3.5, 7.5, 9));
        gear(p, QPointF(11.6, 11.3), 4.2, QColor(0x8a, 0x94, 0xa3));
    } else if (name == QLatin1String("App")) {
        // A tide wave under a mark: the item file's reminders.
        QLinearGradient bg(0, 0, 0, 16);
        bg.setColorAt(0, Teal.lighter(125));
        bg.setColorAt(1, Teal.darker(135));
        p.setPen(Qt::NoPen);
        p.setBrush(bg);
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.2, 3.2);
        QPainterPath wave;
        wave.moveTo(0.5, 11);
        wave.cubicTo(3, 9, 5, 13, 8, 11);
        wave.cubicTo(11, 9, 13, 13, 15.5, 11);
        wave.lineTo(15.5, 12.3);
        wave.arcTo(QRectF(9.1, 9.1, 6.4, 6.4), 0, -90);
        wave.lineTo(3.7, 15.5);
        wave.arcTo(QRectF(0.5, 9.1, 6.4, 6.4), 270, -90);
        wave.closeSubpath();
        p.setBrush(QColor(255, 255, 255, 215));
        p.drawPath(wave);
        p.setPen(pen(Qt::white, 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 5.6), QPointF(6.8, 8.2));
        p.drawLine(QPointF(6.8, 8.2), QPointF(12, 2.8));
    } else if (name == QLatin1String("More") || name == QLatin1String("MoreDown")) {
        // The "more" chevrons of a bar whose items do not all fit.
        if (name == QLatin1String("MoreDown")) {
            p.translate(16, 0);
            p.rotate(90);
        }
        p.setPen(pen(Ink, 1.4));
        for (qreal x : {4.5, 9.0}) {
            p.drawLine(QPointF(x, 4.5), QPointF(x + 3.2, 8));
            p.drawLine(QPointF(x + 3.2, 8), QPointF(x, 11.5));
        }
    }
}

// Draws a glyph when a size is first asked for, so that creating icons at
// start-up costs nothing.
class GlyphIconEngine : public QIconEngine
{
public:
    GlyphIconEngine(QString name, QList<int> sizes)
        : m_name(std::move(name))
        , m_sizes(std::move(sizes))
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = qMax(1, qMin(size.width(), size.height()));
        const quint64 key = (quint64(side) << 8) | quint64(mode);
        auto it = m_cache.constFind(key);
        if (it != m_cache.constEnd())
            return *it;
        QPixmap pm = QPixmap::fromImage(DrawIcon(m_name, side));
        if (mode == QIcon::Disabled) {
            if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
                QStyleOption option;
                option.palette = QApplication::palette();
                pm = app->style()->generatedIconPixmap(QIcon::Disabled, pm, &option);
            }
        }
        m_cache.insert(key, pm);
        return pm;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(size.width(), size.height());
        return QSize(side, side);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int s : m_sizes)
            sizes << QSize(s, s);
        return sizes;
    }

    QIconEngine *clone() const override { return new GlyphIconEngine(m_name, m_sizes); }
    QString key() const override { return QStringLiteral("tidemark-glyph"); }

private:
    QString m_name;
    QList<int> m_sizes;
    QHash<quint64, QPixmap> m_cache;
};

} // namespace

QStringList ToolIconNames()
{
    return {QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("Save"), QStringLiteral("SaveAs"),
        QStringLiteral("OpenR"), QStringLiteral("SaveR"), QStringLiteral("ExitPgm"), QStringLiteral("Add"),
        QStringLiteral("Cpy"), QStringLiteral("Upd"), QStringLiteral("Del"), QString(), QStringLiteral("Option"),
        QStringLiteral("SearchforHelpOn"), QStringLiteral("About"), QStringLiteral("RupOption")};
}

QImage DrawIcon(const QString &name, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawGlyph(p, name);
    p.end();
    return image;
}

QIcon ToolIcon(const QString &name)
{
    if (name.isEmpty() || !ToolIconNames().contains(name))
        return {};
    return QIcon(new GlyphIconEngine(name, {16, 24, 32}));
}

QIcon ToolIcon(int imageIndex)
{
    return ToolIcon(ToolIconNames().value(imageIndex));
}

QIcon AppIcon()
{
    // The window system is handed every listed size at start; larger ones
    // come from the installed icon theme files.
    return QIcon(new GlyphIconEngine(QStringLiteral("App"), {16, 24, 32, 48, 64}));
}

QIcon ExtensionIcon(Qt::Orientation orientation)
{
    return QIcon(
        new GlyphIconEngine(orientation == Qt::Horizontal ? QStringLiteral("More") : QStringLiteral("MoreDown"), {16}));
}
