#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned group of radio buttons laid out in columns, chosen by index.
// An index beyond the last choice selects the last one; -1 (or anything
// below) selects none.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex NOTIFY clicked)

public:
    TRadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent = nullptr);

    int ItemIndex() const;
    void setItemIndex(int index);

    int count() const { return int(m_buttons.size()); }
    QRadioButton *button(int index) const { return m_buttons.value(index); }

    // Height that holds the caption, the frame and every row of buttons
    // whole in the current font.
    int neededHeight() const;

Q_SIGNALS:
    // The user chose a button.
    void clicked(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void arrangeButtons();

    QList<QRadioButton *> m_buttons;
    QButtonGroup *m_group;
    int m_columns;
};
