#include "ui/schedule/ScheduleMonthGrid.h"

#include "calendar/HolidayRules.h"
#include "data/Clock.h"
#include "data/Data.h"
#include "data/DateValue.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// The calendar's own colours (weekdays, Saturday, Sunday, holiday, special
// day, weekday-name row).
const QColor WeekdayColor(Qt::black);
const QColor SaturdayColor(Qt::blue);
const QColor SundayColor(Qt::red);
const QColor HolidayColor(Qt::red);
const QColor SpecialDayColor(0, 0x80, 0);
const QColor HeaderBack(0, 0, 0x80);
const QColor NeighborText(0xA0, 0xA0, 0xA0);
const QColor HighlightBack(0xFF, 0xF4, 0xC0);
const QColor SelectedFrame(0x20, 0x60, 0xD0);

const char16_t *const HeaderNames[7] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

QColor markColor(int itemIndex)
{
    return QColor::fromHsv((itemIndex * 47) % 360, 160, 200);
}

} // namespace

ScheduleMonthGrid::ScheduleMonthGrid(QWidget *parent)
    : QWidget(parent)
    , m_cells(Weeks * 7)
{
    setObjectName(QStringLiteral("MonthGrid"));
    setMinimumSize(7 * 64, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMouseTracking(false);
}

void ScheduleMonthGrid::setMonth(int year, int month)
{
    m_year = year;
    m_month = month;
    const int first = int(EncodeDate(year, month, 1));
    // Sunday on or before the first: ItemWeekday counts 0 Monday ... 6 Sunday.
    m_firstDay = first - (ItemWeekday(first) + 1) % 7;
    update();
}

void ScheduleMonthGrid::setContent(const TData &data, const QList<Occurrence> &shown, HolidayRules &holidays)
{
    for (Cell &c : m_cells)
        c = Cell();
    for (int i = 0; i < Weeks * 7; ++i) {
        int y, m, d;
        DecodeDate(m_firstDay + i, y, m, d);
        m_cells[size_t(i)].flags = holidays.GetDayFlags(y, m, d);
        m_cells[size_t(i)].holidayNames = holidays.GetDayNames(y, m, d);
    }
    for (const Occurrence &o : shown) {
        if (o.target >= m_firstDay && o.target <= lastDay())
            m_cells[size_t(o.target - m_firstDay)].titles << data.at(o.itemIndex)->Title;
        const int from = std::max(o.shownFrom, m_firstDay);
        const int to = o.openEnd ? lastDay() : std::min(o.shownTo, lastDay());
        for (int day = from; day <= to; ++day)
            m_cells[size_t(day - m_firstDay)].marks << o.itemIndex;
    }
    update();
}

void ScheduleMonthGrid::setSelectedDay(std::optional<int> day)
{
    m_selected = day;
    update();
}

void ScheduleMonthGrid::setHighlight(int from, int to)
{
    m_highlightFrom = from;
    m_highlightTo = to;
    update();
}

const ScheduleMonthGrid::Cell *ScheduleMonthGrid::cell(int day) const
{
    if (day < m_firstDay || day > lastDay())
        return nullptr;
    return &m_cells[size_t(day - m_firstDay)];
}

QStringList ScheduleMonthGrid::titlesOn(int day) const
{
    const Cell *c = cell(day);
    return c ? c->titles : QStringList();
}

int ScheduleMonthGrid::shownCount(int day) const
{
    const Cell *c = cell(day);
    return c ? int(c->marks.size()) : 0;
}

QString ScheduleMonthGrid::holidayNamesOn(int day) const
{
    const Cell *c = cell(day);
    return c ? c->holidayNames : QString();
}

int ScheduleMonthGrid::headerHeight() const
{
    return fontMetrics().height() + 6;
}

QRect ScheduleMonthGrid::cellRect(int day) const
{
    const int index = day - m_firstDay;
    const int col = index % 7, row = index / 7;
    const int top = headerHeight();
    const int h = height() - top;
    return QRect(QPoint(width() * col / 7, top + h * row / Weeks),
        QPoint(width() * (col + 1) / 7 - 1, top + h * (row + 1) / Weeks - 1));
}

std::optional<int> ScheduleMonthGrid::dayAt(const QPoint &pos) const
{
    const int top = headerHeight();
    if (pos.y() < top || pos.y() >= height() || pos.x() < 0 || pos.x() >= width())
        return std::nullopt;
    const int col = pos.x() * 7 / width();
    const int row = (pos.y() - top) * Weeks / (height() - top);
    return m_firstDay + row * 7 + col;
}

void ScheduleMonthGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (const std::optional<int> day = dayAt(event->position().toPoint()))
            Q_EMIT dayClicked(*day);
    }
    QWidget::mousePressEvent(event);
}

void ScheduleMonthGrid::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));

    const int top = headerHeight();
    for (int c = 0; c < 7; ++c) {
        const QRect r(QPoint(width() * c / 7, 0), QPoint(width() * (c + 1) / 7 - 1, top - 1));
        p.fillRect(r, HeaderBack);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QString::fromUtf16(HeaderNames[c]));
    }

    const QFont base = font();
    QFont small = base;
    small.setPixelSize(std::max(9, base.pixelSize() > 0 ? base.pixelSize() - 2 : 10));
    const QFontMetrics fm(base), sfm(small);
    const int today = int(Clock::todayValue());

    for (int i = 0; i < Weeks * 7; ++i) {
        const int day = m_firstDay + i;
        const Cell &c = m_cells[size_t(i)];
        const QRect r = cellRect(day);
        int y, m, d;
        DecodeDate(day, y, m, d);
        const bool inMonth = m == m_month;

        if (day >= m_highlightFrom && day <= m_highlightTo)
            p.fillRect(r, HighlightBack);
        p.setPen(QColor(0xC8, 0xC8, 0xC8));
        p.drawRect(r.adjusted(0, 0, 0, 0));

        QColor color = WeekdayColor;
        if (c.flags & dfSaturday)
            color = SaturdayColor;
        else if (c.flags & dfSunday)
            color = SundayColor;
        if (c.flags & (dfHoliday | dfSubstitute))
            color = HolidayColor;
        if (c.flags & dfSpecialDay)
            color = SpecialDayColor;
        if (!inMonth)
            color = QColor(color.red() | NeighborText.red(), color.green() | NeighborText.green(),
                color.blue() | NeighborText.blue());

        const QRect inner = r.adjusted(3, 1, -2, -2);
        QFont dayFont = base;
        dayFont.setBold(day == today);
        p.setFont(dayFont);
        p.setPen(color);
        const QString number = QString::number(d);
        p.drawText(inner.topLeft() + QPoint(0, fm.ascent()), number);

        p.setFont(small);
        int textTop = inner.top() + fm.height();
        if (!c.holidayNames.isEmpty()) {
            const int x = inner.left() + fm.horizontalAdvance(number) + 4;
            const QString names = sfm.elidedText(c.holidayNames, Qt::ElideRight, inner.right() - x);
            p.drawText(QPoint(x, inner.top() + fm.ascent()), names);
        }

        // Titles due that day, as many as fit above the marks.
        const int markRow = inner.bottom() - 4;
        p.setPen(inMonth ? palette().color(QPalette::Text) : NeighborText);
        const int lines = std::max(0, (markRow - 2 - textTop) / sfm.height());
        for (int t = 0; t < c.titles.size() && t < lines; ++t) {
            QString title = c.titles[t];
            if (t == lines - 1 && c.titles.size() > lines)
                title = QStringLiteral("他%1件").arg(c.titles.size() - t);
            p.drawText(
                QPoint(inner.left(), textTop + sfm.ascent()), sfm.elidedText(title, Qt::ElideRight, inner.width()));
            textTop += sfm.height();
        }

        // One mark per item shown that day.
        int x = inner.left();
        for (int item : c.marks) {
            if (x + 4 > inner.right())
                break;
            p.fillRect(QRect(x, markRow, 4, 4), markColor(item));
            x += 6;
        }

        if (m_selected && *m_selected == day) {
            p.setPen(QPen(SelectedFrame, 2));
            p.drawRect(r.adjusted(1, 1, -1, -1));
        }
    }
}
