#include "ui/controls/RadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>
#include <algorithm>

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

int TRadioGroup::neededHeight() const
{
    if (m_buttons.isEmpty())
        return height();
    const int perColumn = int((m_buttons.size() + m_columns - 1) / m_columns);
    const int frame = height() - contentsRect().height();
    return frame + perColumn * m_buttons.first()->sizeHint().height() + 2;
}

// Columns of equal width inside the frame, the rows sharing its height. When
// a caption would not fit its column, each column takes what its captions
// need and the room left is shared out between them.
void TRadioGroup::arrangeButtons()
{
    if (m_buttons.isEmpty())
        return;
    const int perColumn = int((m_buttons.size() + m_columns - 1) / m_columns);
    const int columns = int((m_buttons.size() + perColumn - 1) / perColumn);
    const QRect inside = contentsRect().adjusted(6, 0, -2, 0);
    const int rowHeight = qMax(1, inside.height() / perColumn);
    const int top = inside.top() + (inside.height() - rowHeight * perColumn) / 2;

    QList<int> widths(columns, 0);
    for (int i = 0; i < m_buttons.size(); ++i)
        widths[i / perColumn] = qMax(widths[i / perColumn], m_buttons[i]->sizeHint().width());
    const int even = inside.width() / m_columns;
    int needed = 0;
    for (int w : std::as_const(widths))
        needed += w;
    const bool evenFits = std::all_of(widths.cbegin(), widths.cend(), [even](int w) { return w <= even; });
    const int gap = columns > 1 ? qMax(0, (inside.width() - needed) / (columns - 1)) : 0;

    int x = inside.left();
    for (int column = 0; column < columns; ++column) {
        const int width = evenFits ? even : widths[column];
        for (int row = 0; row < perColumn; ++row) {
            const int i = column * perColumn + row;
            if (i < m_buttons.size())
                m_buttons[i]->setGeometry(x, top + row * rowHeight, width, rowHeight);
        }
        x += evenFits ? even : width + gap;
    }
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
