#pragma once

#include <QLineEdit>

// A single-line edit that can align its text and group it with commas every
// three characters from the right ("1,234,567").
//
// With Thousands on, the field shows the grouped text and Text() returns it
// without commas; setText() groups what it is given. text() (QLineEdit's)
// always returns what is shown. Enter is not taken by the field, so it
// reaches the dialog's default button; no line break can be entered.
// A field that selects its text on entering keeps it selected also when
// entered by a click, as when entered by Tab.
class TEditEx : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool Thousands READ Thousands WRITE setThousands)
    Q_PROPERTY(QString Text READ Text WRITE setText)

public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    explicit TEditEx(QWidget *parent = nullptr);

    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    using QLineEdit::setAlignment;

    bool Thousands() const { return m_thousands; }
    // Turning it on regroups the shown text at once.
    void setThousands(bool on);

    // The shown text, without grouping commas while Thousands is on.
    QString Text() const;
    // Shows `text`, grouped while Thousands is on. Hides QLineEdit::setText.
    void setText(const QString &text);

    // Regroups the shown text; the caret and selection keep their distance
    // from the end of the text.
    void FormatThousands();

    // `text` without commas, with a comma after every three characters
    // counted from the right. Any characters are grouped, not only digits.
    static QString GroupThousands(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Entered by a click while the whole text was selected: the click's
    // caret must not undo that selection.
    bool m_keepEntrySelection = false;
    TAlignment m_alignment = taLeftJustify;
    bool m_thousands = false;
};
