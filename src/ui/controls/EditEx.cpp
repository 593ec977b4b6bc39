#include "ui/controls/EditEx.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TEditEx::TEditEx(QWidget *parent)
    : QLineEdit(parent)
{
    // Grouping follows every change the user makes: typing, deleting,
    // pasting and cutting.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (m_thousands)
            FormatThousands();
    });
}

void TEditEx::setAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (alignment == taRightJustify)
        horizontal = Qt::AlignRight;
    else if (alignment == taCenter)
        horizontal = Qt::AlignHCenter;
    QLineEdit::setAlignment(horizontal | Qt::AlignVCenter);
}

void TEditEx::setThousands(bool on)
{
    m_thousands = on;
    if (on)
        FormatThousands();
}

QString TEditEx::Text() const
{
    QString shown = text();
    if (m_thousands)
        shown.remove(u',');
    return shown;
}

void TEditEx::setText(const QString &text)
{
    QLineEdit::setText(m_thousands ? GroupThousands(text) : text);
}

QString TEditEx::GroupThousands(const QString &text)
{
    QString result = text;
    result.remove(u',');
    qsizetype length = result.size();
    while (length > 3) {
        length -= 3;
        result.insert(length, u',');
    }
    return result;
}

void TEditEx::FormatThousands()
{
    const QString shown = text();
    const qsizetype n = shown.size();
    qsizetype start = cursorPosition();
    qsizetype end = start;
    if (hasSelectedText()) {
        start = selectionStart();
        end = selectionEnd();
    }
    const qsizetype fromEndStart = n - start;
    const qsizetype fromEndEnd = n - end;

    const QString grouped = GroupThousands(shown);
    if (grouped == shown)
        return;
    QLineEdit::setText(grouped);
    const qsizetype m = grouped.size();
    const int newStart = int(qBound<qsizetype>(0, m - fromEndStart, m));
    const int newEnd = int(qBound<qsizetype>(0, m - fromEndEnd, m));
    if (newStart == newEnd)
        setCursorPosition(newStart);
    else
        setSelection(newStart, newEnd - newStart);
}

void TEditEx::keyPressEvent(QKeyEvent *event)
{
    // Enter belongs to the dialog (its default button), never to the field.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TEditEx::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    m_keepEntrySelection = event->reason() == Qt::MouseFocusReason && !text().isEmpty() && selectedText() == text();
}

void TEditEx::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    // A drag that selected part of the text is the user's own choice.
    if (m_keepEntrySelection && !hasSelectedText())
        selectAll();
    m_keepEntrySelection = false;
}
