#include "ui/schedule/ScheduleWindow.h"

#include "calendar/HolidayRules.h"
#include "calendar/HolidaySettings.h"
#include "data/Clock.h"
#include "data/Data.h"
#include "data/DateValue.h"
#include "schedule/ScheduleText.h"
#include "settings/SaveWindowPos.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/schedule/ScheduleMonthGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int FirstYear = 1901;
constexpr int LastYear = 2099;

enum Column { ColTarget, ColTitle, ColMoved, ColFrom, ColTo };

QString monthCaption(int year, int month)
{
    return QStringLiteral("%1年%2月").arg(year).arg(month);
}

} // namespace

ScheduleWindow::ScheduleWindow(const TData &data, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_data(data)
    , m_holidays(std::make_unique<HolidayRules>())
{
    setObjectName(QStringLiteral("ScheduleWindow"));
    setWindowTitle(QStringLiteral("予定表"));
    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    SetHelpContext(this, HelpContext::Schedule);
    FollowHolidaySetting(*m_holidays);
    m_evaluator = std::make_unique<ScheduleEvaluator>(*m_holidays);

    m_prev = new QToolButton(this);
    m_prev->setObjectName(QStringLiteral("PrevMonth"));
    m_prev->setText(QStringLiteral("◀"));
    m_prev->setToolTip(QStringLiteral("前の月"));
    m_next = new QToolButton(this);
    m_next->setObjectName(QStringLiteral("NextMonth"));
    m_next->setText(QStringLiteral("▶"));
    m_next->setToolTip(QStringLiteral("次の月"));
    m_monthLabel = new QLabel(this);
    m_monthLabel->setObjectName(QStringLiteral("MonthLabel"));
    m_monthLabel->setAlignment(Qt::AlignCenter);
    m_monthLabel->setMinimumWidth(100);
    QFont big = m_monthLabel->font();
    big.setPixelSize(16);
    big.setBold(true);
    m_monthLabel->setFont(big);
    m_today = new QPushButton(QStringLiteral("今日"), this);
    m_today->setObjectName(QStringLiteral("TodayBtn"));

    m_grid = new ScheduleMonthGrid(this);

    m_listLabel = new QLabel(this);
    m_listLabel->setObjectName(QStringLiteral("ListLabel"));
    m_wholeMonth = new QPushButton(QStringLiteral("月の一覧"), this);
    m_wholeMonth->setObjectName(QStringLiteral("WholeMonthBtn"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("OccurrenceList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("対象日"), QStringLiteral("タイトル"), QStringLiteral("ずらし"),
        QStringLiteral("表示開始"), QStringLiteral("表示終了")});
    m_list->header()->setStretchLastSection(false);
    const int widths[] = {150, 120, 100, 78, 78};
    for (int c = 0; c < 5; ++c)
        m_list->setColumnWidth(c, widths[c]);

    auto *nav = new QHBoxLayout;
    nav->addWidget(m_prev);
    nav->addWidget(m_monthLabel);
    nav->addWidget(m_next);
    nav->addSpacing(12);
    nav->addWidget(m_today);
    nav->addStretch();
    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addLayout(nav);
    leftLayout->addWidget(m_grid, 1);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto *listHead = new QHBoxLayout;
    listHead->addWidget(m_listLabel, 1);
    listHead->addWidget(m_wholeMonth);
    rightLayout->addLayout(listHead);
    rightLayout->addWidget(m_list, 1);

    auto *splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("Splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    // The list's columns fit side by side without scrolling.
    splitter->setSizes({570, 560});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(splitter);
    resize(1150, 560);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(0);
    connect(m_refreshTimer, &QTimer::timeout, this, &ScheduleWindow::refresh);
    connect(m_holidays.get(), &HolidayRules::changed, this, &ScheduleWindow::documentChanged);
    connect(m_prev, &QToolButton::clicked, this, &ScheduleWindow::PrevMonthClick);
    connect(m_next, &QToolButton::clicked, this, &ScheduleWindow::NextMonthClick);
    connect(m_today, &QPushButton::clicked, this, &ScheduleWindow::TodayClick);
    connect(m_wholeMonth, &QPushButton::clicked, this, &ScheduleWindow::showWholeMonth);
    connect(m_grid, &ScheduleMonthGrid::dayClicked, this, &ScheduleWindow::selectDay);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &ScheduleWindow::listSelectionChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *row) {
        if (row)
            Q_EMIT editRequested(row->data(ColTarget, Qt::UserRole).toInt());
    });

    SaveWindowPos1 = new TSaveWindowPos(this);
    SaveWindowPos1->setObjectName(QStringLiteral("SaveWindowPos1"));
    SaveWindowPos1->setDefaultPosition(TSaveWindowPos::dpScreenCenter);
    SaveWindowPos1->setResumeIconic(false);
    SaveWindowPos1->setKeepsDesignedSize(false);

    const QDate today = Clock::today();
    showMonth(std::clamp(today.year(), FirstYear, LastYear), today.month());
}

ScheduleWindow::~ScheduleWindow() = default;

int ScheduleWindow::year() const
{
    return m_grid->year();
}

int ScheduleWindow::month() const
{
    return m_grid->month();
}

void ScheduleWindow::showMonth(int year, int month)
{
    if (year < FirstYear || year > LastYear || month < 1 || month > 12)
        return;
    m_grid->setMonth(year, month);
    m_monthLabel->setText(monthCaption(year, month));
    m_prev->setEnabled(year > FirstYear || month > 1);
    m_next->setEnabled(year < LastYear || month < 12);
    if (m_day && (*m_day < m_grid->firstDay() || *m_day > m_grid->lastDay()))
        m_day.reset();
    refresh();
}

void ScheduleWindow::PrevMonthClick()
{
    m_day.reset();
    month() == 1 ? showMonth(year() - 1, 12) : showMonth(year(), month() - 1);
}

void ScheduleWindow::NextMonthClick()
{
    m_day.reset();
    month() == 12 ? showMonth(year() + 1, 1) : showMonth(year(), month() + 1);
}

void ScheduleWindow::TodayClick()
{
    const int today = int(Clock::todayValue());
    const QDate date = Clock::today();
    if (date.year() < FirstYear || date.year() > LastYear)
        return;
    m_day = today;
    showMonth(date.year(), date.month());
}

void ScheduleWindow::selectDay(int day)
{
    int y, m, d;
    DecodeDate(day, y, m, d);
    if (y < FirstYear || y > LastYear)
        return;
    m_day = day;
    if (y != year() || m != month())
        showMonth(y, m);
    else
        refresh();
}

void ScheduleWindow::showWholeMonth()
{
    m_day.reset();
    refresh();
}

void ScheduleWindow::focusItem(int itemIndex)
{
    if (itemIndex < 0 || itemIndex >= m_data.count())
        return;
    const TItemRec &item = *m_data.at(itemIndex);
    const int today = int(Clock::todayValue());
    QList<Occurrence> next = m_evaluator->nextOccurrences(item, today, 1);
    if (next.isEmpty()) {
        const QList<Occurrence> all
            = m_evaluator->itemOccurrences(item, itemIndex, ScheduleEvaluator::firstNominalDay(), today);
        if (!all.isEmpty())
            next = {all.last()};
    }
    m_day.reset();
    m_focusItem = itemIndex;
    if (!next.isEmpty()) {
        int y, m, d;
        DecodeDate(next[0].target, y, m, d);
        showMonth(y, m);
    } else {
        refresh();
    }
}

void ScheduleWindow::documentChanged()
{
    m_refreshTimer->start();
}

void ScheduleWindow::refresh()
{
    m_refreshTimer->stop();
    m_shown = m_evaluator->documentOccurrences(m_data, m_grid->firstDay(), m_grid->lastDay());
    m_grid->setContent(m_data, m_shown, *m_holidays);
    m_grid->setSelectedDay(m_day);
    fillList();
}

QTreeWidgetItem *ScheduleWindow::addRow(const Occurrence &o)
{
    const TItemRec &item = *m_data.at(o.itemIndex);
    auto *row = new QTreeWidgetItem(m_list);
    int ty, tm, td;
    DecodeDate(o.target, ty, tm, td);
    auto shortDate = [ty](int day) {
        int y, m, d;
        DecodeDate(day, y, m, d);
        return y == ty ? QStringLiteral("%1/%2").arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'))
                       : FormatDateSlash(day);
    };
    row->setText(ColTarget, ScheduleText::DayWithWeekday(o.target));
    row->setText(ColTitle, item.Title);
    if (o.moved())
        row->setText(ColMoved,
            QStringLiteral("←") + ScheduleText::ShortDayWithWeekday(o.nominal) + u' '
                + ScheduleText::ReasonText(o.reason));
    if (o.lastDay != o.target)
        row->setText(ColTarget, ScheduleText::DayWithWeekday(o.target) + u'〜' + shortDate(o.lastDay));
    row->setText(ColFrom, shortDate(o.shownFrom));
    row->setText(ColTo, o.openEnd ? QStringLiteral("済まで") : shortDate(o.shownTo));
    row->setData(ColTarget, Qt::UserRole, o.itemIndex);
    row->setData(ColTitle, Qt::UserRole, o.shownFrom);
    row->setData(ColMoved, Qt::UserRole, o.openEnd ? m_grid->lastDay() : o.shownTo);
    if (IsProcessed(item, o)) {
        for (int c = 0; c < m_list->columnCount(); ++c) {
            row->setForeground(c, QColor(0x80, 0x80, 0x80));
            row->setToolTip(c, QStringLiteral("処理済み（最終処理日 %1）").arg(FormatDateSlash(item.LastDate)));
        }
    }
    return row;
}

void ScheduleWindow::fillList()
{
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    QTreeWidgetItem *focus = nullptr;
    int count = 0;
    if (m_day) {
        for (const Occurrence &o : m_shown) {
            if (o.shownFrom <= *m_day && (o.openEnd || o.shownTo >= *m_day)) {
                addRow(o);
                ++count;
            }
        }
        m_listLabel->setText(
            QStringLiteral("%1 に表示される項目: %2件").arg(ScheduleText::DayWithWeekday(*m_day)).arg(count));
    } else {
        const int first = int(EncodeDate(year(), month(), 1));
        const int last = int(EncodeDate(year(), month(), DaysInMonth(year(), month())));
        for (const Occurrence &o : m_shown) {
            if (o.target < first || o.target > last)
                continue;
            QTreeWidgetItem *row = addRow(o);
            if (m_focusItem && *m_focusItem == o.itemIndex && !focus)
                focus = row;
            ++count;
        }
        // Items without a target day belong to no month; they are listed apart.
        for (int i = 0; i < m_data.count(); ++i) {
            const TItemRec &item = *m_data.at(i);
            if (!HasNoTargetDay(item))
                continue;
            auto *row = new QTreeWidgetItem(m_list);
            row->setText(ColTarget, QStringLiteral("不定期"));
            row->setText(ColTitle, item.Title);
            row->setData(ColTarget, Qt::UserRole, i);
            row->setData(ColTitle, Qt::UserRole, 1);
            row->setData(ColMoved, Qt::UserRole, 0);
            if (m_focusItem && *m_focusItem == i && !focus)
                focus = row;
        }
        m_listLabel->setText(QStringLiteral("%1の対象日: %2件").arg(monthCaption(year(), month())).arg(count));
    }
    m_wholeMonth->setEnabled(m_day.has_value());
    m_focusItem.reset();
    if (focus) {
        m_list->setCurrentItem(focus);
        m_list->scrollToItem(focus);
    }
    listSelectionChanged();
}

void ScheduleWindow::listSelectionChanged()
{
    const QList<QTreeWidgetItem *> rows = m_list->selectedItems();
    if (rows.isEmpty()) {
        m_grid->setHighlight(1, 0);
        return;
    }
    m_grid->setHighlight(rows[0]->data(ColTitle, Qt::UserRole).toInt(), rows[0]->data(ColMoved, Qt::UserRole).toInt());
}
