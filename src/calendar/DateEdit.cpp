#include "calendar/DateEdit.h"

#include "calendar/DateInDlg.h"
#include "calendar/Julius.h"
#include "calendar/MonthlyCalendarEx.h"
#include "data/Clock.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

struct PartPos
{
    int start;
    int length;
};

constexpr PartPos partPos[3] = {{0, 4}, {5, 2}, {8, 2}};

QString padded(int value, int length)
{
    const QString digits = (length == 4 ? QStringLiteral("000") : QStringLiteral("0")) + QString::number(value);
    return digits.right(length);
}

// A step wraps at the ends of the range. A typed value outside the range
// steps into it as if it lay just past the end on its side: Up gives the
// first value, Down the last (month 35 Down -> 12, year 9999 Down -> MaxYear).
int stepUp(int value, int first, int last)
{
    const int next = value + 1;
    return next < first || next > last ? first : next;
}

int stepDown(int value, int first, int last)
{
    const int next = value - 1;
    return next < first || next > last ? last : next;
}

} // namespace

EDateConvertError::EDateConvertError(const QString &text)
    : AppError(QStringLiteral("'%1'は正しい日付ではありません。").arg(text))
{ }

TDateEdit::TDateEdit(QWidget *parent)
    : TCustomButtonMaskEdit(parent)
{
    setInputMask(QStringLiteral("9999/99/99"));
    setDate(Clock::todayValue());
    resize(sizeHint());
    // Every change goes through the part logic: no input method, drops or
    // context-menu edits that could break the form of the text.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    UpdateButtonLayout();
}

QSize TDateEdit::sizeHint() const
{
    // 89 pixels, or wider when the font's digits need more room beside the button.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const int needed
        = fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 2 * frame + 4 + Button()->width() + 2 + 2;
    return QSize(qMax(89, needed), TCustomButtonMaskEdit::sizeHint().height());
}

void TDateEdit::changeEvent(QEvent *event)
{
    TCustomButtonMaskEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        UpdateButtonLayout();
        if (width() < sizeHint().width())
            resize(sizeHint().width(), height());
    }
}

std::optional<DateValue> TDateEdit::TryDate() const
{
    const QString t = text();
    if (t.size() != 10 || t[4] != u'/' || t[7] != u'/')
        return std::nullopt;
    bool okY = false, okM = false, okD = false;
    const int y = t.mid(0, 4).toInt(&okY);
    const int m = t.mid(5, 2).toInt(&okM);
    const int d = t.mid(8, 2).toInt(&okD);
    if (!okY || !okM || !okD)
        return std::nullopt;
    return TryEncodeDate(y, m, d);
}

DateValue TDateEdit::Date() const
{
    if (const auto value = TryDate())
        return *value;
    throw EDateConvertError(text());
}

void TDateEdit::setDate(DateValue date)
{
    setText(FormatDateSlash(date));
    if (hasFocus())
        selectPart();
}

int TDateEdit::partValue(TInFld part) const
{
    bool ok = false;
    const int value = text().mid(partPos[part].start, partPos[part].length).toInt(&ok);
    return ok ? value : 0;
}

int TDateEdit::Year() const
{
    return partValue(ifYear);
}

int TDateEdit::Month() const
{
    return partValue(ifMonth);
}

int TDateEdit::Day() const
{
    return partValue(ifDay);
}

void TDateEdit::writePart(TInFld part, int value)
{
    QString t = text();
    t.replace(partPos[part].start, partPos[part].length, padded(value, partPos[part].length));
    setText(t);
    if (hasFocus())
        selectPart();
}

void TDateEdit::setYear(int year)
{
    if (ValidYear(year))
        writePart(ifYear, year);
}

void TDateEdit::setMonth(int month)
{
    if (ValidMonth(month))
        writePart(ifMonth, month);
}

void TDateEdit::setDay(int day)
{
    if (ValidDay(day, Year(), Month()))
        writePart(ifDay, day);
}

bool TDateEdit::ValidYear(int value) const
{
    return value >= m_minYear && value <= m_maxYear;
}

bool TDateEdit::ValidMonth(int value) const
{
    return value >= 1 && value <= 12;
}

bool TDateEdit::ValidDay(int value, int year, int month) const
{
    return value >= 1 && value <= DaysInMonth(year, month);
}

bool TDateEdit::partValid(TInFld part, int value) const
{
    switch (part) {
    case ifYear:
        return ValidYear(value);
    case ifMonth:
        return ValidMonth(value);
    case ifDay:
        return ValidDay(value, Year(), Month());
    }
    return false;
}

void TDateEdit::CheckField()
{
    if (m_savedValue == 0)
        return;
    if (!partValid(m_inFld, partValue(m_inFld)))
        writePart(m_inFld, m_savedValue);
    m_savedValue = 0;
}

void TDateEdit::SetInFld(TInFld part)
{
    if (part != m_inFld) {
        CheckField();
        m_inFld = part;
        m_digitCount = 0;
    }
    selectPart();
    UpdateButtonLayout();
}

void TDateEdit::selectPart()
{
    setSelection(partPos[m_inFld].start, partPos[m_inFld].length);
}

void TDateEdit::YearUp()
{
    writePart(ifYear, stepUp(Year(), m_minYear, m_maxYear));
}

void TDateEdit::YearDown()
{
    writePart(ifYear, stepDown(Year(), m_minYear, m_maxYear));
}

void TDateEdit::MonthUp()
{
    writePart(ifMonth, stepUp(Month(), 1, 12));
}

void TDateEdit::MonthDown()
{
    writePart(ifMonth, stepDown(Month(), 1, 12));
}

void TDateEdit::DayUp()
{
    writePart(ifDay, stepUp(Day(), 1, DaysInMonth(Year(), Month())));
}

void TDateEdit::DayDown()
{
    writePart(ifDay, stepDown(Day(), 1, DaysInMonth(Year(), Month())));
}

void TDateEdit::typeDigit(int digit)
{
    int value = 0;
    if (m_digitCount > 0)
        value = partValue(m_inFld);
    else if (m_savedValue == 0)
        m_savedValue = partValue(m_inFld);
    // Overflowing digits drop off the left, as the shown text does.
    value = (value * 10 + digit) % (m_inFld == ifYear ? 10000 : 100);
    writePart(m_inFld, value);

    if (++m_digitCount == partPos[m_inFld].length) {
        m_digitCount = 0;
        if (partValid(m_inFld, value)) {
            m_savedValue = 0;
            if (m_inFld == ifYear)
                SetInFld(ifMonth);
            else if (m_inFld == ifMonth)
                SetInFld(ifDay);
        }
    }
    SetInFld(m_inFld);
}

void TDateEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    const int key = event->key();

    if (mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Left:
            SetInFld(m_inFld == ifYear ? ifDay : TInFld(m_inFld - 1));
            event->accept();
            return;
        case Qt::Key_Right:
            SetInFld(m_inFld == ifDay ? ifYear : TInFld(m_inFld + 1));
            event->accept();
            return;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const bool up = key == Qt::Key_Up;
            switch (m_inFld) {
            case ifYear:
                up ? YearUp() : YearDown();
                break;
            case ifMonth:
                up ? MonthUp() : MonthDown();
                break;
            case ifDay:
                up ? DayUp() : DayDown();
                break;
            }
            m_digitCount = 0;
            m_savedValue = 0;
            selectPart();
            event->accept();
            return;
        }
        case Qt::Key_Home:
            SetInFld(ifYear);
            event->accept();
            return;
        case Qt::Key_End:
            SetInFld(ifDay);
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            // For the dialog's default and cancel buttons.
            selectPart();
            event->ignore();
            return;
        default:
            break;
        }
    }

    if (key == Qt::Key_Down && mods == Qt::AltModifier) {
        CheckField();
        TCustomButtonMaskEdit::keyPressEvent(event);
        selectPart();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->ignore();
        return;
    }

    // Every other key and character is consumed; only digits do anything.
    const QString typed = event->text();
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier)) && typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9')
        typeDigit(typed[0].unicode() - u'0');
    selectPart();
    event->accept();
}

void TDateEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
    // The character under the click, not the caret: the mask moves the caret
    // off the separators.
    const int pos = cursorPositionAt(event->position().toPoint());
    SetInFld(pos <= 4 ? ifYear : pos <= 7 ? ifMonth : ifDay);
}

void TDateEdit::mouseMoveEvent(QMouseEvent *event)
{
    // No drag selection: a part is always selected whole.
    event->accept();
}

void TDateEdit::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void TDateEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void TDateEdit::focusInEvent(QFocusEvent *event)
{
    TCustomButtonMaskEdit::focusInEvent(event);
    m_digitCount = 0;
    selectPart();
}

void TDateEdit::focusOutEvent(QFocusEvent *event)
{
    TCustomButtonMaskEdit::focusOutEvent(event);
    CheckField();
}

void TDateEdit::ButtonClick()
{
    // A typed value the field would refuse must not reach the picker
    // (a year below MinYear would open it in the Julian calendar).
    CheckField();
    TCustomButtonMaskEdit::ButtonClick();

    auto *dlg = new TDateInDlg(this);
    dlg->setMinYear(m_minYear);
    dlg->setMaxYear(m_maxYear);
    // Text that names no real date (2001/02/29 after stepping the year)
    // opens the picker on the nearest real date.
    const int year = qBound(qMax(1, m_minYear), Year(), qMax(qMax(1, m_minYear), m_maxYear));
    const int month = qBound(1, Month(), 12);
    const int day = qBound(1, Day(), DaysInMonth(year, month));
    try {
        dlg->setDate(TryDate().value_or(EncodeDate(year, month, day)));
    } catch (const EJuliusError &) {
        dlg->setDate(EncodeDate(1582, 10, 15)); // a day the calendar reform skipped
    }
    connect(dlg, &TDateInDlg::DateAccepted, this, [this](DateValue date) { setDate(date); });

    const QPoint origin = mapToGlobal(QPoint(width() - dlg->width(), 0));
    const QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = scr->geometry();
    int top = origin.y() + height();
    if (top + dlg->height() > area.bottom() + 1)
        top = origin.y() - dlg->height();
    int left = qMax(origin.x(), area.left());
    if (left + dlg->width() > area.right() + 1)
        left = area.right() + 1 - dlg->width();
    dlg->move(left, top);
    dlg->show();
    dlg->activateWindow();
    dlg->Calendar()->setFocus(Qt::PopupFocusReason);
}
