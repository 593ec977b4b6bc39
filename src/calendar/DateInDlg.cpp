#include "calendar/DateInDlg.h"

#include "calendar/HolidaySettings.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"
#include "data/Notifier.h"
#include "ui/controls/Fonts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace {

constexpr int clientWidth = 159;
constexpr int clientHeight = 143;

// A month step button drawn in the caption's own colours: the style's raised
// hover panel would put the caption-text arrow on a pale face and hide it.
class CaptionArrowButton : public QToolButton
{
public:
    CaptionArrowButton(Qt::ArrowType arrow, QWidget *parent)
        : QToolButton(parent)
    {
        setArrowType(arrow);
        setAutoRaise(true);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QColor face = palette().color(QPalette::Window);
        const QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
        const QRect box = rect().adjusted(0, 0, -1, -1);
        if (isDown()) {
            painter.fillRect(rect(), face.darker(125));
            painter.setPen(ink);
            painter.drawRect(box);
        } else if (underMouse() && isEnabled()) {
            painter.fillRect(rect(), face.lighter(125));
            painter.setPen(ink);
            painter.drawRect(box);
        }
        const QPointF c = QRectF(rect()).center();
        const qreal h = height() * 0.28;
        const qreal w = h * 0.9;
        const qreal dir = arrowType() == Qt::LeftArrow ? -1 : 1;
        const QPointF tip(c.x() + dir * w / 2, c.y());
        const QPointF back1(c.x() - dir * w / 2, c.y() - h);
        const QPointF back2(c.x() - dir * w / 2, c.y() + h);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPolygon(QPolygonF {tip, back1, back2});
    }
};

} // namespace

TDateInDlg::TDateInDlg(QWidget *owner)
    : QFrame(owner, Qt::Popup | Qt::FramelessWindowHint)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("DateInDlg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::WinPanel | QFrame::Raised);
    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    const int frame = frameWidth();
    setFixedSize(clientWidth + 2 * frame, clientHeight + 2 * frame);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_panel1 = new QFrame(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFixedHeight(17);
    m_panel1->setAutoFillBackground(true);
    QPalette caption = m_panel1->palette();
    caption.setColor(QPalette::Window, palette().color(QPalette::Active, QPalette::Highlight));
    caption.setColor(QPalette::WindowText, palette().color(QPalette::Active, QPalette::HighlightedText));
    m_panel1->setPalette(caption);

    m_lMonth = new QLabel(m_panel1);
    m_lMonth->setObjectName(QStringLiteral("LMonth"));
    m_lMonth->setGeometry(16, 2, 127, 13);
    m_lMonth->setAlignment(Qt::AlignCenter);
    QFont monthFont = WindowsFont(QStringLiteral("ＭＳ ゴシック"), -13);
    monthFont.setBold(true);
    m_lMonth->setFont(monthFont);

    m_prevBtn = new CaptionArrowButton(Qt::LeftArrow, m_panel1);
    m_prevBtn->setObjectName(QStringLiteral("PrevBtn"));
    m_prevBtn->setGeometry(2, 2, 15, 15);
    connect(m_prevBtn, &QToolButton::clicked, this, &TDateInDlg::PrevBtnClick);

    m_btnNext = new CaptionArrowButton(Qt::RightArrow, m_panel1);
    m_btnNext->setObjectName(QStringLiteral("BtnNext"));
    m_btnNext->setGeometry(143, 2, 15, 15);
    connect(m_btnNext, &QToolButton::clicked, this, &TDateInDlg::BtnNextClick);

    m_calendar = new TMonthlyCalendarEx(this);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->setBorderStyle(TMonthlyCalendarEx::bsNone);
    m_calendar->setFirstDayOfWeek(dowSun);
    m_calendar->setShowNeighbor(true);
    m_calendar->setNeighborJump(true);
    m_calendar->setAutoResize(false);
    m_calendar->setFirstRowFirstDay(false);
    m_calendar->setLastRowLastDay(false);
    m_calendar->Fonts()->setSynchronize(true);
    m_calendar->Fonts()->setFont(TCalExFonts::Weekday, WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -13));
    m_calendar->setColor(palette().color(QPalette::Base));
    FollowHolidaySetting(*m_calendar->Rules());
    connect(m_calendar, &TMonthlyCalendarEx::DayChange, this, &TDateInDlg::CalendarDayChange);
    connect(m_calendar, &TMonthlyCalendarEx::DblClick, this, &TDateInDlg::CloseOk);
    connect(m_calendar, &TMonthlyCalendarEx::KeyDown, this, &TDateInDlg::CalendarKeyDown);

    m_pToday = new QLabel(this);
    m_pToday->setObjectName(QStringLiteral("PToday"));
    m_pToday->setFixedHeight(16);
    m_pToday->setAlignment(Qt::AlignCenter);
    m_pToday->setAutoFillBackground(true);
    QPalette todayPalette = m_pToday->palette();
    todayPalette.setColor(QPalette::Window, palette().color(QPalette::Base));
    m_pToday->setPalette(todayPalette);
    QFont todayFont = WindowsFont(QStringLiteral("ＭＳ ゴシック"), -12);
    todayFont.setBold(true);
    m_pToday->setFont(todayFont);
    m_pToday->installEventFilter(this);

    layout->addWidget(m_panel1);
    layout->addWidget(m_calendar, 1);
    layout->addWidget(m_pToday);

    FormCreate();
}

DateValue TDateInDlg::Date() const
{
    return m_calendar->Date();
}

void TDateInDlg::setDate(DateValue date)
{
    m_calendar->setDate(date);
}

void TDateInDlg::setMinYear(int year)
{
    m_calendar->setMinYear(year);
}

void TDateInDlg::setMaxYear(int year)
{
    m_calendar->setMaxYear(year);
}

void TDateInDlg::FormCreate()
{
    const QDate today = Clock::today();
    m_pToday->setText(QString::asprintf("今日にする:%4d/%2d/%2d", today.year(), today.month(), today.day()));
}

void TDateInDlg::CalendarDayChange(int year, int month, int day)
{
    m_lMonth->setText(QString::asprintf("%4d年%2d月%2d日", year, month, day));
}

void TDateInDlg::PrevBtnClick()
{
    m_calendar->PrevMonth();
}

void TDateInDlg::BtnNextClick()
{
    m_calendar->NextMonth();
}

void TDateInDlg::PTodayClick()
{
    m_calendar->GoToday();
}

void TDateInDlg::PTodayDblClick()
{
    m_calendar->GoToday();
    CloseOk();
}

void TDateInDlg::CalendarKeyDown(int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_Escape:
        CloseCancel();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        CloseOk();
        break;
    case Qt::Key_Home:
        m_calendar->GoToday();
        break;
    default:
        break;
    }
}

void TDateInDlg::finish()
{
    m_finished = true;
    close();
    returnFocus();
}

void TDateInDlg::returnFocus()
{
    if (!m_owner)
        return;
    m_owner->window()->activateWindow();
    m_owner->setFocus(Qt::PopupFocusReason);
}

void TDateInDlg::CloseOk()
{
    if (m_finished)
        return;
    // A neighbour-day jump may leave the owner's year range; the field must
    // not take such a date, so refuse it and let the user choose again.
    const int year = m_calendar->Year();
    if (year < m_calendar->MinYear() || year > m_calendar->MaxYear()) {
        Notifier::instance().sound(Notifier::Sound::Beep);
        return;
    }
    Q_EMIT DateAccepted(m_calendar->Date());
    finish();
}

void TDateInDlg::CloseCancel()
{
    if (m_finished)
        return;
    finish();
}

bool TDateInDlg::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        CloseCancel();
    return QFrame::event(event);
}

bool TDateInDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pToday) {
        // Like a button: a left press released inside the line.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                return true;
            if (event->type() == QEvent::MouseButtonPress) {
                m_todayPressed = true;
            } else if (event->type() == QEvent::MouseButtonDblClick) {
                PTodayDblClick();
            } else if (std::exchange(m_todayPressed, false) && m_pToday->rect().contains(mouse->position().toPoint())) {
                PTodayClick();
            }
            return true;
        }
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TDateInDlg::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    CalendarDayChange(m_calendar->Year(), m_calendar->Month(), m_calendar->Day());
}

void TDateInDlg::closeEvent(QCloseEvent *event)
{
    // A popup also closes when the user clicks outside it: that cancels.
    QFrame::closeEvent(event);
    if (!m_finished) {
        m_finished = true;
        QTimer::singleShot(0, m_owner, [owner = m_owner] {
            if (!owner)
                return;
            owner->window()->activateWindow();
            owner->setFocus(Qt::PopupFocusReason);
        });
    }
}
