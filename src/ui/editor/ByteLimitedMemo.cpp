#include "ui/editor/ByteLimitedMemo.h"

#include "data/TextCodec.h"
#include "ui/editor/DetailRules.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QtMath>

namespace {

QString normalizeBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

ByteLimitedMemo::ByteLimitedMemo(int maxBytes, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_maxBytes(maxBytes)
{
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool ByteLimitedMemo::accepts(const QString &text) const
{
    const QString inserted = normalizeBreaks(text);
    if (!Cp932::canEncode(inserted))
        return false;
    const QTextCursor cursor = textCursor();
    const qsizetype total = DetailRules::MemoBytes(toPlainText())
        - DetailRules::MemoBytes(cursor.selection().toPlainText()) + DetailRules::MemoBytes(inserted);
    return total <= m_maxBytes;
}

void ByteLimitedMemo::selectExcess()
{
    const QString text = toPlainText();
    qsizetype fit = text.size();
    while (fit > 0 && DetailRules::MemoBytes(text.left(fit)) > m_maxBytes)
        --fit;
    if (fit > 0 && text.at(fit - 1).isHighSurrogate())
        --fit;
    QTextCursor cursor = textCursor();
    cursor.setPosition(int(fit));
    cursor.setPosition(int(text.size()), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

int ByteLimitedMemo::heightForLines(int lines) const
{
    const int margins = contentsMargins().top() + contentsMargins().bottom();
    const int documentMargin = qCeil(document()->documentMargin());
    return lines * fontMetrics().lineSpacing() + 2 * documentMargin + margins;
}

void ByteLimitedMemo::keyPressEvent(QKeyEvent *event)
{
    QString inserted;
    const bool ctrl = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !ctrl)
        inserted = QStringLiteral("\n");
    else if (!ctrl && !event->text().isEmpty() && QChar::isPrint(event->text().toUcs4().constFirst()))
        inserted = event->text();
    if (!inserted.isEmpty() && !accepts(inserted)) {
        event->accept();
        Q_EMIT inputRejected();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ByteLimitedMemo::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && !accepts(event->commitString())) {
        // Drop the composition without committing anything.
        QInputMethodEvent cleared;
        QPlainTextEdit::inputMethodEvent(&cleared);
        Q_EMIT inputRejected();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

bool ByteLimitedMemo::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void ByteLimitedMemo::insertFromMimeData(const QMimeData *source)
{
    if (!source->hasText())
        return;
    const QString text = normalizeBreaks(source->text());
    if (!accepts(text)) {
        Q_EMIT inputRejected();
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}
