#pragma once

#include <QPlainTextEdit>

// A multi-line edit whose text, with every line break counted as CR LF, may
// take at most `maxBytes` in code page 932. Typing, pasting, dropping and
// input-method text that would pass the limit, or that holds a character code
// page 932 cannot store, is refused whole (inputRejected()), never cut.
// Text set from code is taken as it is.
class ByteLimitedMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ByteLimitedMemo(int maxBytes, QWidget *parent = nullptr);

    int maxBytes() const { return m_maxBytes; }
    // True when replacing the current selection by `text` keeps the limit.
    bool accepts(const QString &text) const;
    // Selects the text past the limit and scrolls it into view, so that the
    // user sees what does not fit (text set from code may pass the limit).
    void selectExcess();
    // Height that shows `lines` whole lines of text.
    int heightForLines(int lines) const;

Q_SIGNALS:
    void inputRejected();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    int m_maxBytes;
};
