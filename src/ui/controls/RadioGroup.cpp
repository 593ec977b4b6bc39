#include "ui/controls/RadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent)
    : QGroupBox(caption, parent)
    , m_group(new QButtonGroup(this))
    , m_columns(qMax(1, columns))
{
    for (const QString &text : items) {
        auto *button = new QRadioButton(text, this);
        m_group->addButton(button, int(m_buttons.size()));
        m_buttons.append(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &TRadioGroup::clicked);
    arrangeButtons();
}

int TRadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::setItemIndex(int index)
{
    if (m_buttons.isEmpty())
        return;
    index = qMin(index, count() - 1);
    if (index < 0) {
        // An exclusive group never lets the last checked button go.
        m_group->setExclusive(false);
        for (QRadioButton *button : std::as_const(m_buttons))
            button->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    m_buttons[index]->setChecked(true);
}

// Columns of equal width; the rows share the height below the caption.
void TRadioGroup::arrangeButtons()
{
    if (m_buttons.isEmpty())
        return;
    const int perColumn = int((m_buttons.size() + m_columns - 1) / m_columns);
    const int textHeight = fontMetrics().height();
    const int columnWidth = (width() - 10) / m_columns;
    const int space = qMax(0, height() - textHeight - 5);
    const int rowHeight = space / perColumn;
    const int top = textHeight + 1 + (space % perColumn) / 2;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setGeometry(
            (i / perColumn) * columnWidth + 8, (i % perColumn) * rowHeight + top, columnWidth, rowHeight);
}

void TRadioGroup::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    arrangeButtons();
}

void TRadioGroup::changeEvent(QEvent *event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        arrangeButtons();
}
