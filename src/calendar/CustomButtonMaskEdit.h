#pragma once

#include <QAbstractButton>
#include <QLineEdit>

// The small flat button inside a button edit, drawn with an ellipsis mark.
class TEdButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TEdButton(QWidget *parent = nullptr);

    // True between a left-button press and release on the button.
    bool Pressed() const { return m_pressed; }
    void setPressed(bool pressed);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// A masked line edit with a button at its right edge; text never runs under
// the button. Alt+Down clicks the button.
class TCustomButtonMaskEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TCustomButtonMaskEdit(QWidget *parent = nullptr);

    TEdButton *Button() const { return m_button; }
    QString PendingText() const { return m_pendingText; }

    // Runs when the button is clicked.
    virtual void ButtonClick();
    // Places the button and keeps the text clear of it.
    virtual void UpdateButtonLayout();

Q_SIGNALS:
    void EditButtonClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TEdButton *m_button;
    QString m_pendingText;
};
