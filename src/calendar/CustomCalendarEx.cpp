#include "calendar/CustomCalendarEx.h"

#include "calendar/Julius.h"
#include "data/Clock.h"

#include <QEvent>
#include <QPainter>
#include <optional>

namespace {

int todayJulius()
{
    const QDate today = Clock::today();
    return YmdToJulius(today.year(), today.month(), today.day());
}

} // namespace

TCustomCalendarEx::TCustomCalendarEx(QWidget *parent)
    : QFrame(parent)
    , m_juliusDay(todayJulius())
    , m_fonts(new TCalExFonts(this))
    , m_rules(new HolidayRules(this))
    , m_color(palette().color(QPalette::Base))
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_fonts, &TCalExFonts::changed, this, &TCustomCalendarEx::redrawAndRepaint);
    connect(m_rules, &HolidayRules::changed, this, &TCustomCalendarEx::redrawAndRepaint);
}

void TCustomCalendarEx::setJuliusDay(int julius)
{
    if (julius == m_juliusDay)
        return;
    m_juliusDay = julius;
    redrawAndRepaint();
    int y, m, d;
    JuliusToYmd(julius, y, m, d);
    DoDayChange(y, m, d);
}

int TCustomCalendarEx::Year() const
{
    int y, m, d;
    JuliusToYmd(m_juliusDay, y, m, d);
    return y;
}

int TCustomCalendarEx::Month() const
{
    int y, m, d;
    JuliusToYmd(m_juliusDay, y, m, d);
    return m;
}

int TCustomCalendarEx::Day() const
{
    int y, m, d;
    JuliusToYmd(m_juliusDay, y, m, d);
    return d;
}

namespace {

// The Julius day of a date, or no value for a date that does not exist
// (including the ten missing days of 1582).
std::optional<int> existingDay(int y, int m, int d)
{
    try {
        if (IsValidYmd(y, m, d))
            return YmdToJulius(y, m, d);
    } catch (const EJuliusError &) { }
    return std::nullopt;
}

} // namespace

void TCustomCalendarEx::setYear(int year)
{
    if (const auto j = existingDay(year, Month(), Day()))
        setJuliusDay(*j);
}

void TCustomCalendarEx::setMonth(int month)
{
    if (const auto j = existingDay(Year(), month, Day()))
        setJuliusDay(*j);
}

void TCustomCalendarEx::setDay(int day)
{
    if (const auto j = existingDay(Year(), Month(), day))
        setJuliusDay(*j);
}

void TCustomCalendarEx::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    redrawAndRepaint();
}

void TCustomCalendarEx::DecodeHolidayLine(const QString &line, int year, QString &name, int &day, int &month) const
{
    m_rules->DecodeHolidayLine(line, year, name, day, month);
}

TDayFlags TCustomCalendarEx::GetDayFlags(int year, int month, int day) const
{
    return m_rules->GetDayFlags(year, month, day);
}

TCalExFont TCustomCalendarEx::GetDayFont(int year, int month, int day) const
{
    const TDayFlags flags = GetDayFlags(year, month, day);
    int index = TCalExFonts::Weekday;
    if (flags.testFlag(dfSaturday))
        index = TCalExFonts::Saturday;
    else if (flags.testFlag(dfSunday))
        index = TCalExFonts::Sunday;
    if (flags.testAnyFlags(dfHoliday | dfSubstitute))
        index = TCalExFonts::Holiday;
    if (flags.testFlag(dfSpecialDay))
        index = TCalExFonts::SpecialDay;
    return m_fonts->entry(index);
}

QString TCustomCalendarEx::GetDayNames(int year, int month, int day) const
{
    return m_rules->GetDayNames(year, month, day);
}

void TCustomCalendarEx::SelectDate(int year, int month, int day)
{
    setJuliusDay(YmdToJulius(year, month, day));
}

void TCustomCalendarEx::GoToday()
{
    setJuliusDay(todayJulius());
}

void TCustomCalendarEx::NextDay()
{
    setJuliusDay(m_juliusDay + 1);
}

void TCustomCalendarEx::PrevDay()
{
    setJuliusDay(m_juliusDay - 1);
}

void TCustomCalendarEx::PrevWeek()
{
    setJuliusDay(m_juliusDay - 7);
}

void TCustomCalendarEx::NextWeek()
{
    setJuliusDay(m_juliusDay + 7);
}

void TCustomCalendarEx::moveToDate(int year, int month, int day, bool forward)
{
    day = qMin(day, JuliusMonthDays(year, month));
    if (year == 1582 && month == 10 && day >= 5 && day <= 14)
        day = forward ? 15 : 4;
    setJuliusDay(YmdToJulius(year, month, day));
}

void TCustomCalendarEx::NextMonth()
{
    const int y = Year(), m = Month();
    if (m == 12)
        moveToDate(y + 1, 1, Day(), true);
    else
        moveToDate(y, m + 1, Day(), true);
}

void TCustomCalendarEx::PrevMonth()
{
    const int y = Year(), m = Month();
    if (m == 1)
        moveToDate(y - 1, 12, Day(), false);
    else
        moveToDate(y, m - 1, Day(), false);
}

void TCustomCalendarEx::NextYear()
{
    moveToDate(Year() + 1, Month(), Day(), true);
}

void TCustomCalendarEx::PrevYear()
{
    moveToDate(Year() - 1, Month(), Day(), false);
}

void TCustomCalendarEx::DoDayChange(int year, int month, int day)
{
    Q_EMIT DayChange(year, month, day);
}

void TCustomCalendarEx::Redraw()
{
    const QSize size = contentsRect().size();
    if (size.isEmpty()) {
        m_picture = QPixmap();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (m_picture.size() != size * ratio || m_picture.devicePixelRatio() != ratio) {
        m_picture = QPixmap(size * ratio);
        m_picture.setDevicePixelRatio(ratio);
    }
    m_picture.fill(m_color);
    QPainter painter(&m_picture);
    DrawPicture(painter);
}

void TCustomCalendarEx::DrawPicture(QPainter &)
{ }

void TCustomCalendarEx::redrawAndRepaint()
{
    Redraw();
    update();
}

void TCustomCalendarEx::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect client = contentsRect();
    if (m_picture.isNull())
        painter.fillRect(client, m_color);
    else
        painter.drawPixmap(client.topLeft(), m_picture);
    drawFrame(&painter);
}

void TCustomCalendarEx::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    Redraw();
}

void TCustomCalendarEx::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::ContentsRectChange || event->type() == QEvent::EnabledChange)
        redrawAndRepaint();
}
