#include "ui/schedule/ICalendarRangeDialog.h"

#include "calendar/DateEdit.h"
#include "data/Clock.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int FirstYear = 1901;
constexpr int LastYear = 2099;

bool inYears(DateValue day)
{
    int y, m, d;
    DecodeDate(day, y, m, d);
    return y >= FirstYear && y <= LastYear;
}

} // namespace

ICalendarRangeDialog::ICalendarRangeDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ICalendarRangeDialog"));
    setWindowTitle(QStringLiteral("iCalendar形式で書き出し"));
    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    SetHelpContext(this, HelpContext::ICalendarExport);

    auto *note = new QLabel(QStringLiteral("対象日がこの期間にある項目を書き出します。"), this);
    note->setObjectName(QStringLiteral("LNote"));

    auto makeDate = [this](const char *name) {
        auto *edit = new TDateEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMinYear(FirstYear);
        edit->setMaxYear(LastYear);
        connect(edit, &QLineEdit::textChanged, this, &ICalendarRangeDialog::check);
        return edit;
    };
    EFrom = makeDate("EFrom");
    ETo = makeDate("ETo");
    auto *fromLabel = new QLabel(QStringLiteral("開始日(&F):"), this);
    fromLabel->setObjectName(QStringLiteral("LFrom"));
    fromLabel->setBuddy(EFrom);
    auto *toLabel = new QLabel(QStringLiteral("終了日(&T):"), this);
    toLabel->setObjectName(QStringLiteral("LTo"));
    toLabel->setBuddy(ETo);

    LMessage = new QLabel(this);
    LMessage->setObjectName(QStringLiteral("LMessage"));
    LMessage->setStyleSheet(QStringLiteral("color: #c00000"));
    // Room for the reason from the start, so that the dialog does not jump.
    LMessage->setMinimumHeight(LMessage->fontMetrics().height());

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (problem().isEmpty())
            accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->addWidget(fromLabel, 0, 0);
    grid->addWidget(EFrom, 0, 1);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(ETo, 1, 1);
    grid->setColumnStretch(2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(grid);
    layout->addWidget(LMessage);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QDate today = Clock::today();
    setRange(QDateToDateValue(today), QDateToDateValue(std::min(today.addYears(1), QDate(LastYear, 12, 31))));
}

void ICalendarRangeDialog::setRange(DateValue from, DateValue to)
{
    EFrom->setDate(from);
    ETo->setDate(to);
    check();
}

int ICalendarRangeDialog::from() const
{
    return int(EFrom->TryDate().value_or(0));
}

int ICalendarRangeDialog::to() const
{
    return int(ETo->TryDate().value_or(0));
}

QString ICalendarRangeDialog::problem() const
{
    const std::optional<DateValue> from = EFrom->TryDate();
    const std::optional<DateValue> to = ETo->TryDate();
    if (!from || !inYears(*from))
        return QStringLiteral("開始日が正しい日付ではありません");
    if (!to || !inYears(*to))
        return QStringLiteral("終了日が正しい日付ではありません");
    if (*to < *from)
        return QStringLiteral("終了日が開始日より前です");
    return {};
}

void ICalendarRangeDialog::check()
{
    const QString why = problem();
    LMessage->setText(why);
    OKBtn->setEnabled(why.isEmpty());
}
