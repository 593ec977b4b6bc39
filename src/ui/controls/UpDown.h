#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

// An up-down spinner joined to a number field (its buddy). The field's text and
// the spinner's position are one value: the spinner writes its position into
// the field as decimal text, and reading the position first takes the field's
// text when that is a whole number within the range; otherwise the previous
// position stands.
class TUpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Min READ min WRITE setMin)
    Q_PROPERTY(int Max READ max WRITE setMax)
    Q_PROPERTY(int Position READ position WRITE setPosition)
    Q_PROPERTY(bool Wrap READ wrap WRITE setWrap)

public:
    explicit TUpDown(QWidget *parent = nullptr);

    // Joins the spinner to `buddy`: it sits at the buddy's right edge, the
    // buddy giving up that width, and the buddy's Up/Down keys step it.
    void setAssociate(QLineEdit *buddy);
    QLineEdit *associate() const { return m_buddy; }

    int min() const { return m_min; }
    int max() const { return m_max; }
    void setMin(int value);
    void setMax(int value);
    void setRange(int min, int max);

    int position() const;
    // Clamped to the range; writes the buddy's text.
    void setPosition(int value);

    bool wrap() const { return m_wrap; }
    void setWrap(bool wrap) { m_wrap = wrap; }
    int increment() const { return m_increment; }
    void setIncrement(int step) { m_increment = qMax(1, step); }

    void stepUp();
    void stepDown();

    QSize sizeHint() const override;

Q_SIGNALS:
    // After a step by mouse or key: true for up.
    void clicked(bool up);
    void mousePressed();
    void mouseReleased();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class Half { None, Up, Down };
    Half halfAt(const QPoint &pos) const;
    void step(bool up);
    void placeBesideBuddy();

    QPointer<QLineEdit> m_buddy;
    QObject *m_buddyObject = nullptr;
    int m_min = 0;
    int m_max = 100;
    mutable int m_position = 0;
    int m_increment = 1;
    bool m_wrap = false;
    Half m_pressed = Half::None;
    class QTimer *m_repeat = nullptr;
};
