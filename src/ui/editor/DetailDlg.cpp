#include "ui/editor/DetailDlg.h"

#include "calendar/DateEdit.h"
#include "calendar/HolidayRules.h"
#include "calendar/HolidaySettings.h"
#include "data/Clock.h"
#include "data/Data.h"
#include "data/Notifier.h"
#include "schedule/Schedule.h"
#include "schedule/ScheduleText.h"
#include "settings/SaveWindowPos.h"
#include "ui/controls/CheckBoxEx.h"
#include "ui/controls/DialogForm.h"
#include "ui/controls/EditEx.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/UpDown.h"
#include "ui/editor/ByteLimitValidator.h"
#include "ui/editor/ByteLimitedMemo.h"
#include "ui/editor/DetailRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <tuple>

namespace {

// The date of a date field; no value while its text names no real date
// (2001/02/29 after stepping the year from 2000), which the field itself
// does not correct.
std::optional<DateValue> dateOf(const TDateEdit *edit)
{
    return edit->TryDate();
}

QLabel *addLabel(QWidget *parent, const QString &text, const QRect &geometry, const QString &name = QString())
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

template <class Box> Box *addButton(QWidget *parent, const QString &name, const QString &text, const QRect &geometry)
{
    auto *box = new Box(text, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

// A right-aligned number field joined to a wrapping spinner.
TEditEx *addNumberField(QWidget *parent, const QString &name, const QString &spinnerName, const QRect &geometry,
    int min, int max, int maxLength, TUpDown *&spinner)
{
    auto *field = new TEditEx(parent);
    field->setObjectName(name);
    field->setGeometry(geometry);
    field->setAlignment(TEditEx::taRightJustify);
    field->setMaxLength(maxLength);
    // Input-method text would pass round the key filters.
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    spinner = new TUpDown(parent);
    spinner->setObjectName(spinnerName);
    spinner->setRange(min, max);
    spinner->setWrap(true);
    spinner->setAssociate(field);
    spinner->setPosition(0);
    return field;
}

QGroupBox *addGroup(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *group = new QGroupBox(parent);
    group->setObjectName(name);
    group->setGeometry(geometry);
    return group;
}

QWidget *addPanel(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setGeometry(geometry);
    return panel;
}

const char *const DayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// Layout of the client area: 513 x 337, and below it the schedule line.
constexpr int RowH = 21;
constexpr int GroupTop = 98;
constexpr int GroupH = 106;
constexpr int GroupW = 497;
constexpr int BoxCol = 40; // first control of a row inside a group
constexpr int Row1 = 12, Row2 = 44, Row3 = 76;
constexpr int DayStep = 35; // one weekday check box
// Two rows: three moved target days do not fit the width in one.
constexpr int ScheduleLineH = 40;

// The "前"/"後" choice of where a date on a holiday moves, at `x` of the
// group's third row, and the "にずらす" after it; "前" is chosen.
QWidget *addShiftChoice(QWidget *group, const QString &panelName, const QString &beforeName, const QString &afterName,
    int x, QRadioButton *&before, QRadioButton *&after)
{
    QWidget *panel = addPanel(group, panelName, QRect(x, Row3, 70, RowH));
    before = addButton<QRadioButton>(panel, beforeName, QStringLiteral("前"), QRect(0, 0, 34, RowH));
    after = addButton<QRadioButton>(panel, afterName, QStringLiteral("後"), QRect(36, 0, 34, RowH));
    before->setChecked(true);
    addLabel(group, QStringLiteral("にずらす"), QRect(x + 78, Row3 + 3, 50, 15));
    return panel;
}

} // namespace

TDetailDlg::TDetailDlg(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DetailDlg"));
    setWindowTitle(QStringLiteral("自動ToDoの"));
    setFont(WindowsFont(QStringLiteral("ＭＳ ゴシック"), -12));
    setFixedSize(513, 337 + ScheduleLineH);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    SetHelpContext(this, HelpContext::ItemEditor);
    createControls();
    fitMemoLines();
    connectHandlers();
    setTabOrderByPosition();
    SaveWindowPos1 = new TSaveWindowPos(this);
    SaveWindowPos1->setObjectName(QStringLiteral("SaveWindowPos1"));
    SaveWindowPos1->setDefaultPosition(TSaveWindowPos::dpScreenCenter);
    SaveWindowPos1->setResumeIconic(false);
    FormCreate();
}

TDetailDlg::~TDetailDlg() = default;

void TDetailDlg::createControls()
{
    // Title row: title, issue-number option and its number.
    addLabel(this, QStringLiteral("タイトル"), QRect(8, 11, 50, 15), QStringLiteral("LText"));
    Text = new QLineEdit(this);
    Text->setObjectName(QStringLiteral("Text"));
    Text->setGeometry(60, 8, 202, RowH);
    Text->setValidator(new ByteLimitValidator(TitleMaxBytes, Text));
    addLabel(this, QStringLiteral("号数オプション"), QRect(270, 11, 86, 15), QStringLiteral("LTitleOpt"));
    CBTitleOpt = new QComboBox(this);
    CBTitleOpt->setObjectName(QStringLiteral("CBTitleOpt"));
    for (const TitleOption &option : TitleOptions)
        CBTitleOpt->addItem(option.caption);
    CBTitleOpt->setGeometry(356, 8, 88, RowH);
    ETitleDiff = addNumberField(this, QStringLiteral("ETitleDiff"), QStringLiteral("UDTitleDiff"),
        QRect(447, 8, 46, RowH), -99, 99, 3, UDTitleDiff);
    LTitleDiff = addLabel(this, QString(), QRect(495, 11, 14, 15), QStringLiteral("LTitleDiff"));

    // Memo: two lines of 32 bytes.
    addLabel(this, QStringLiteral("メ モ"), QRect(8, 37, 50, 15), QStringLiteral("LMemo"));
    Memo = new ByteLimitedMemo(MemoMaxBytes, this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setGeometry(60, 34, 445, 40);

    // Kind buttons.
    PType = addPanel(this, QStringLiteral("PType"), QRect(8, 76, GroupW, 20));
    ROnce = addButton<QRadioButton>(
        PType, QStringLiteral("ROnce"), QStringLiteral("一度のみ・期間"), QRect(52, 0, 118, 20));
    RDate = addButton<QRadioButton>(PType, QStringLiteral("RDate"), QStringLiteral("月日指定"), QRect(180, 0, 82, 20));
    RDay = addButton<QRadioButton>(PType, QStringLiteral("RDay"), QStringLiteral("曜日指定"), QRect(272, 0, 82, 20));
    RIrregular
        = addButton<QRadioButton>(PType, QStringLiteral("RIrregular"), QStringLiteral("不定期"), QRect(364, 0, 70, 20));
    RDate->setChecked(true);

    const QRect groupRect(8, GroupTop, GroupW, GroupH);

    // Once or period, and irregular (without the end date).
    GOnce = addGroup(this, QStringLiteral("GOnce"), groupRect);
    LOSDate = addLabel(GOnce, QStringLiteral("対象日"), QRect(28, Row1 + 3, 60, 15), QStringLiteral("LOSDate"));
    CbOSDate = addButton<TCheckBoxEx>(
        GOnce, QStringLiteral("CbOSDate"), QStringLiteral("開始日"), QRect(10, Row1, 78, RowH));
    OSDate = new TDateEdit(GOnce);
    OSDate->setObjectName(QStringLiteral("OSDate"));
    OSDate->move(92, Row1);
    POEDate = addPanel(GOnce, QStringLiteral("POEDate"), QRect(0, Row2, 300, 24));
    CbOEDate
        = addButton<TCheckBoxEx>(POEDate, QStringLiteral("CbOEDate"), QStringLiteral("終了日"), QRect(10, 0, 78, RowH));
    OEDate = new TDateEdit(POEDate);
    OEDate->setObjectName(QStringLiteral("OEDate"));
    OEDate->move(92, 0);
    for (TDateEdit *date : {OSDate, OEDate}) {
        date->setMinYear(1980);
        date->setMaxYear(2099);
    }
    CbOSDate->setChecked(false);
    CbOSDate->setEnableControl(OSDate);
    CbOEDate->setChecked(false);
    CbOEDate->setEnableControl(OEDate);

    // Days of chosen months.
    GDate = addGroup(this, QStringLiteral("GDate"), groupRect);
    addLabel(GDate, QStringLiteral("月"), QRect(12, Row1 + 3, 24, 15));
    CbDEveryMonth = addButton<QCheckBox>(
        GDate, QStringLiteral("CbDEveryMonth"), QStringLiteral("毎月"), QRect(BoxCol, Row1, 52, RowH));
    for (int m = 1; m <= 12; ++m)
        CbDMonth[m] = addButton<QCheckBox>(
            GDate, QStringLiteral("CbDMonth%1").arg(m), QString::number(m), QRect(96 + (m - 1) * 33, Row1, 33, RowH));
    spreadMonthBoxes();
    addLabel(GDate, QStringLiteral("日"), QRect(12, Row2 + 3, 24, 15));
    EDDate1 = addNumberField(GDate, QStringLiteral("EDDate1"), QStringLiteral("UDDDate1"),
        QRect(BoxCol, Row2, 46, RowH), 0, 31, 2, UDDDate1);
    EDDate2 = addNumberField(GDate, QStringLiteral("EDDate2"), QStringLiteral("UDDDate2"),
        QRect(BoxCol + 54, Row2, 46, RowH), 0, 31, 2, UDDDate2);
    for (int d = 0; d < 7; ++d)
        CbDS[d] = addButton<QCheckBox>(GDate, QStringLiteral("CbDS") + QLatin1String(DayNames[d]), WeekdayNames[d],
            QRect(BoxCol + d * DayStep, Row3, DayStep, RowH));
    constexpr int ShiftCol = BoxCol + 7 * DayStep;
    CbDSHoli = addButton<QCheckBox>(
        GDate, QStringLiteral("CbDSHoli"), QStringLiteral("祝日"), QRect(ShiftCol, Row3, 50, RowH));
    addLabel(GDate, QStringLiteral("なら"), QRect(ShiftCol + 52, Row3 + 3, 26, 15));
    GDShift = addShiftChoice(GDate, QStringLiteral("GDShift"), QStringLiteral("RDSBefore"), QStringLiteral("RDSAfter"),
        ShiftCol + 80, RDSBefore, RDSAfter);

    // Weekdays of every, odd or even week.
    GDay = addGroup(this, QStringLiteral("GDay"), groupRect);
    addLabel(GDay, QStringLiteral("週"), QRect(12, Row1 + 3, 24, 15));
    RYWeekly = addButton<QRadioButton>(
        GDay, QStringLiteral("RYWeekly"), QStringLiteral("毎週"), QRect(BoxCol, Row1, 60, RowH));
    RYOddWeek = addButton<QRadioButton>(
        GDay, QStringLiteral("RYOddWeek"), QStringLiteral("奇数週"), QRect(BoxCol + 64, Row1, 72, RowH));
    RYEvenWeek = addButton<QRadioButton>(
        GDay, QStringLiteral("RYEvenWeek"), QStringLiteral("偶数週"), QRect(BoxCol + 140, Row1, 72, RowH));
    RYWeekly->setChecked(true);
    LYBiweekly = addLabel(GDay, QString(), QRect(BoxCol + 220, Row1 + 3, 40, 15), QStringLiteral("LYBiweekly"));
    addLabel(GDay, QStringLiteral("曜日"), QRect(12, Row2 + 3, 26, 15));
    for (int d = 0; d < 7; ++d)
        CbY[d] = addButton<QCheckBox>(GDay, QStringLiteral("CbY") + QLatin1String(DayNames[d]), WeekdayNames[d],
            QRect(BoxCol + d * DayStep, Row2, DayStep, RowH));
    CbYSHoli = addButton<QCheckBox>(
        GDay, QStringLiteral("CbYSHoli"), QStringLiteral("祝日なら  "), QRect(BoxCol, Row3, 84, RowH));
    GYShift = addShiftChoice(GDay, QStringLiteral("GYShift"), QStringLiteral("RYSBefore"), QStringLiteral("RYSAfter"),
        BoxCol + 86, RYSBefore, RYSAfter);

    // Display period, for every kind. Its title is a label over the frame.
    GDisplay = addGroup(this, QStringLiteral("GDisplay"), QRect(8, 216, GroupW, 72));
    PDisplay = addPanel(GDisplay, QStringLiteral("PDisplay"), QRect(8, 12, 480, 24));
    EBefore = addNumberField(
        PDisplay, QStringLiteral("EBefore"), QStringLiteral("UDBefore"), QRect(2, 1, 46, RowH), 0, 99, 2, UDBefore);
    addLabel(PDisplay, QStringLiteral("日前から表示"), QRect(52, 4, 76, 15), QStringLiteral("LBefore"));
    RAfterDay = addButton<QRadioButton>(PDisplay, QStringLiteral("RAfterDay"), QString(), QRect(140, 1, 18, RowH));
    EAfter = addNumberField(
        PDisplay, QStringLiteral("EAfter"), QStringLiteral("UDAfter"), QRect(160, 1, 46, RowH), 0, 99, 2, UDAfter);
    LAfter = addLabel(PDisplay, QStringLiteral("日後まで表示"), QRect(210, 4, 76, 15), QStringLiteral("LAfter"));
    RAfterCheck = addButton<QRadioButton>(
        PDisplay, QStringLiteral("RAfterCheck"), QStringLiteral("済にするまで表示"), QRect(300, 1, 130, RowH));
    RAfterDay->setChecked(true);
    CbLDate = addButton<TCheckBoxEx>(
        GDisplay, QStringLiteral("CbLDate"), QStringLiteral("最終処理日"), QRect(10, 42, 96, RowH));
    LDate = new TDateEdit(GDisplay);
    LDate->setObjectName(QStringLiteral("LDate"));
    LDate->move(110, 42);
    LDate->setMinYear(1980);
    LDate->setMaxYear(2099);
    LDate->setDate(DefaultLastDate);
    CbLDate->setChecked(false);
    CbLDate->setEnableControl(LDate);
    LDisplay = addLabel(this, QStringLiteral("表示期間"), QRect(16, 208, 54, 15), QStringLiteral("LDisplay"));
    LDisplay->setAlignment(Qt::AlignCenter);
    LDisplay->setAutoFillBackground(true);
    LDisplay->raise();

    OKBtn = DialogForm::makeButton("OKBtn", QStringLiteral("OK"), QRect(265, 302, 76, 25), this);
    OKBtn->setDefault(true);
    CancelBtn = DialogForm::makeButton("CancelBtn", QStringLiteral("ｷｬﾝｾﾙ"), QRect(347, 302, 76, 25), this);
    HelpBtn = DialogForm::makeButton("HelpBtn", QStringLiteral("ヘルプ(&H)"), QRect(429, 302, 76, 25), this);

    LNextTargets = addLabel(this, QString(), QRect(8, 334, GroupW, ScheduleLineH - 2), QStringLiteral("LNextTargets"));
    LNextTargets->setTextFormat(Qt::PlainText);
    LNextTargets->setWordWrap(true);
    LNextTargets->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TDetailDlg::connectHandlers()
{
    for (QRadioButton *kind : {ROnce, RDate, RDay, RIrregular})
        connect(kind, &QRadioButton::toggled, this, &TDetailDlg::RTypeClick);
    connect(Text, &QLineEdit::textChanged, this, &TDetailDlg::TextChange);
    connect(CBTitleOpt, &QComboBox::currentIndexChanged, this, &TDetailDlg::CBTitleOptChange);
    connect(CbOSDate, &TCheckBoxEx::Click, this, &TDetailDlg::CbOSDateClick);
    connect(CbOEDate, &TCheckBoxEx::Click, this, &TDetailDlg::CbOEDateClick);
    connect(CbDEveryMonth, &QCheckBox::toggled, this, &TDetailDlg::CbDEveryMonthClick);
    for (int m = 1; m <= 12; ++m)
        connect(CbDMonth[m], &QCheckBox::toggled, this, &TDetailDlg::CbDMonthClick);
    for (TEditEx *day : {EDDate1, EDDate2})
        connect(day, &QLineEdit::textChanged, this, &TDetailDlg::EDDateChange);
    for (TUpDown *spinner : {UDDDate1, UDDDate2})
        connect(spinner, &TUpDown::mouseReleased, this, &TDetailDlg::UDDDateMouseUp);
    const std::pair<TUpDown *, TEditEx *> spinners[]
        = {{UDDDate1, EDDate1}, {UDDDate2, EDDate2}, {UDBefore, EBefore}, {UDAfter, EAfter}, {UDTitleDiff, ETitleDiff}};
    for (const auto &[spinner, field] : spinners) {
        connect(spinner, &TUpDown::mousePressed, this, [this, field] { UDMouseDown(field); });
        // A step rewrites the text; keep it selected while the field has the
        // focus, so that typing replaces it.
        connect(spinner, &TUpDown::clicked, this, [this, field] {
            if (focusWidget() == field)
                field->selectAll();
        });
    }
    for (QCheckBox *box : CbDS)
        connect(box, &QCheckBox::toggled, this, [this, box] { CbDSDayClick(box); });
    for (QRadioButton *week : {RYWeekly, RYOddWeek, RYEvenWeek})
        connect(week, &QRadioButton::toggled, this, &TDetailDlg::RYWeekClick);
    for (QCheckBox *box : CbY)
        connect(box, &QCheckBox::toggled, this, &TDetailDlg::CbYDayClick);
    connect(CbYSHoli, &QCheckBox::toggled, this, &TDetailDlg::CbYSHoliClick);
    for (QRadioButton *after : {RAfterDay, RAfterCheck})
        connect(after, &QRadioButton::toggled, this, &TDetailDlg::RDisplayClick);
    for (TEditEx *field : {EDDate1, EDDate2, EBefore, EAfter, ETitleDiff})
        field->installEventFilter(this);
    LAfter->installEventFilter(this);

    connect(OKBtn, &QPushButton::clicked, this, &TDetailDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TDetailDlg::HelpBtnClick);

    // Only refused typing beeps; a loaded text that passes the limit (QLineEdit
    // reports that too) waits for the check at OK.
    auto beep = [this] {
        if (!m_loading)
            Notifier::instance().sound(Notifier::Sound::Beep);
    };
    connect(Text, &QLineEdit::inputRejected, this, beep);
    connect(Memo, &ByteLimitedMemo::inputRejected, this, beep);

    // Any change may move the target days or settle a refusal; the line is
    // written once after a burst of changes (loading an item sets dozens).
    m_holidays = std::make_unique<HolidayRules>();
    FollowHolidaySetting(*m_holidays);
    m_schedule = std::make_unique<ScheduleEvaluator>(*m_holidays);
    m_scheduleTimer = new QTimer(this);
    m_scheduleTimer->setSingleShot(true);
    m_scheduleTimer->setInterval(0);
    connect(m_scheduleTimer, &QTimer::timeout, this, &TDetailDlg::updateScheduleLine);
    for (QAbstractButton *button : findChildren<QAbstractButton *>())
        connect(button, &QAbstractButton::toggled, this, &TDetailDlg::controlsChanged);
    for (QLineEdit *edit : findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, this, &TDetailDlg::controlsChanged);
    connect(CBTitleOpt, &QComboBox::currentIndexChanged, this, &TDetailDlg::controlsChanged);
    connect(Memo, &QPlainTextEdit::textChanged, this, &TDetailDlg::controlsChanged);
}

void TDetailDlg::controlsChanged()
{
    if (!m_refusing)
        m_refusal.clear();
    m_scheduleTimer->start();
}

void TDetailDlg::updateScheduleLine()
{
    const QString text = ScheduleLineText();
    LNextTargets->setText(text);
    // A reason is the user's next step; the dates are information.
    LNextTargets->setStyleSheet(
        m_refusal.isEmpty() && incompleteReason().isEmpty() ? QString() : QStringLiteral("color: #c00000;"));
}

QString TDetailDlg::ScheduleLineText()
{
    if (!m_refusal.isEmpty())
        return m_refusal;
    const QString incomplete = incompleteReason();
    if (!incomplete.isEmpty())
        return incomplete;
    if (ROnce->isChecked() && !dateOf(OSDate))
        return LOSDate->text() + QStringLiteral("が正しい日付ではありません");
    if (RIrregular->isChecked() && CbOSDate->isChecked() && !dateOf(OSDate))
        return QStringLiteral("開始日が正しい日付ではありません");
    const std::unique_ptr<TItemRec> item = previewItem();
    return ScheduleText::NextTargetsLine(*m_schedule, *item, int(Clock::todayValue()));
}

std::unique_ptr<TItemRec> TDetailDlg::previewItem() const
{
    const ItemKind kind = ROnce->isChecked() ? KindOnce
        : RDay->isChecked()                  ? KindDay
        : RIrregular->isChecked()            ? KindIrregular
                                             : KindDate;
    std::unique_ptr<TItemRec> item = NewItemOfKind(kind);
    item->Assign(*m_workItem);
    if (kind == KindOnce || kind == KindIrregular) {
        item->HasStart = kind == KindOnce || CbOSDate->isChecked();
        if (const auto start = dateOf(OSDate))
            item->StartDate = *start;
        const auto end = dateOf(OEDate);
        item->HasEnd = kind == KindOnce && CbOEDate->isChecked() && end;
        if (end)
            item->EndDate = *end;
    } else if (kind == KindDate) {
        for (int m = 1; m <= 12; ++m)
            item->SetMonth(m, CbDMonth[m]->isChecked());
        item->SetDay(1, DayValue(1));
        item->SetDay(2, DayValue(2));
        for (int d = 0; d < 7; ++d)
            item->SetShiftDay(d, CbDS[d]->isChecked());
        item->ShiftHoliday = CbDSHoli->isChecked();
        item->ShiftDir = RDSAfter->isChecked() ? 1 : 0;
    } else {
        item->WeekParity = RYOddWeek->isChecked() ? 1 : RYEvenWeek->isChecked() ? 2 : 0;
        for (int d = 0; d < 7; ++d)
            item->SetWeekday(d, CbY[d]->isChecked());
        item->ShiftHoliday = CbYSHoli->isChecked();
        item->ShiftDir = RYSAfter->isChecked() ? 1 : 0;
    }
    return item;
}

QString TDetailDlg::incompleteReason() const
{
    if (Text->text().isEmpty())
        return QStringLiteral("タイトルを入力してください");
    if (RDate->isChecked()) {
        if (std::none_of(CbDMonth.begin() + 1, CbDMonth.end(), [](QCheckBox *b) { return b->isChecked(); }))
            return QStringLiteral("月を選んでください");
        if (DayValue(1) <= 0 && DayValue(2) <= 0)
            return QStringLiteral("日を入力してください");
    }
    if (RDay->isChecked() && std::none_of(CbY.begin(), CbY.end(), [](QCheckBox *b) { return b->isChecked(); }))
        return QStringLiteral("曜日を選んでください");
    return QString();
}

// Each month box as wide as its number needs, the room left spread evenly
// between them: "10" and "11" are wider than one cell of an even split.
void TDetailDlg::spreadMonthBoxes()
{
    const int left = CbDMonth[1]->x();
    const int right = CbDMonth[12]->geometry().right();
    int needed = 0;
    for (int m = 1; m <= 12; ++m)
        needed += CbDMonth[m]->sizeHint().width();
    const int gap = (right + 1 - left - needed) / 11;
    if (gap < 0)
        return;
    int x = left;
    for (int m = 1; m <= 12; ++m) {
        const int width = CbDMonth[m]->sizeHint().width();
        CbDMonth[m]->setGeometry(x, Row1, width, RowH);
        x += width + gap;
    }
}

// The memo shows two whole lines in the font actually used; whatever lies
// below it moves down by what it grows.
void TDetailDlg::fitMemoLines()
{
    const QRect memo = Memo->geometry();
    const int grow = Memo->heightForLines(2) - memo.height();
    if (grow <= 0)
        return;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child != Memo && child->y() > memo.top())
            child->move(child->x(), child->y() + grow);
    }
    Memo->resize(memo.width(), memo.height() + grow);
    setFixedSize(width(), height() + grow);
}

void TDetailDlg::setTabOrderByPosition()
{
    QList<QWidget *> order = {Text, CBTitleOpt, ETitleDiff, Memo, ROnce, RDate, RDay, RIrregular, CbOSDate, OSDate,
        CbOEDate, OEDate, CbDEveryMonth};
    for (int m = 1; m <= 12; ++m)
        order << CbDMonth[m];
    order << EDDate1 << EDDate2;
    for (QCheckBox *box : CbDS)
        order << box;
    order << CbDSHoli << RDSBefore << RDSAfter << RYWeekly << RYOddWeek << RYEvenWeek;
    for (QCheckBox *box : CbY)
        order << box;
    order << CbYSHoli << RYSBefore << RYSAfter << EBefore << RAfterDay << EAfter << RAfterCheck << CbLDate << LDate
          << OKBtn << CancelBtn << HelpBtn;
    DialogForm::setTabChain(order);
}

void TDetailDlg::FormCreate()
{
    m_workItem = std::make_unique<TItemRec>();
    CBTitleOpt->setCurrentIndex(0);
    SettingMonths = false;
    SyncingEveryMonth = false;
    Text->clear();
    OSDate->setDate(Clock::todayValue());
    OEDate->setDate(Clock::todayValue());
}

void TDetailDlg::SetDisplayDefaults(const THeadRec &head)
{
    UDBefore->setPosition(head.DefBefore());
    const bool untilDone = head.DefAfter() < 0;
    RAfterCheck->setChecked(untilDone);
    RAfterDay->setChecked(!untilDone);
    if (RAfterDay->isChecked())
        UDAfter->setPosition(head.DefAfter());
}

void TDetailDlg::LoadItem(const TItemRec &item)
{
    if (!SameKindClass(*m_workItem, item)) {
        std::unique_ptr<TItemRec> fresh = DupObject(item);
        m_workItem = fresh ? std::move(fresh) : std::make_unique<TItemRec>();
    }
    m_workItem->Assign(item);
    const TItemRec &w = *m_workItem;

    m_loading = true;
    Text->setText(w.Title);
    m_loading = false;
    CBTitleOpt->setCurrentIndex(w.TitleOpt <= 4 ? w.TitleOpt : 0);
    UDTitleDiff->setPosition(w.TitleDiff);
    Memo->setPlainText(DetailRules::MemoToEditor(w.MemoText));

    switch (w.Kind) {
    case KindOnce:
        ROnce->setChecked(true);
        break;
    case KindDate:
        RDate->setChecked(true);
        break;
    case KindDay:
        RDay->setChecked(true);
        break;
    case KindIrregular:
        RIrregular->setChecked(true);
        break;
    }

    CbOSDate->setChecked(w.HasStart);
    OSDate->setDate(w.StartOrToday());
    CbOEDate->setChecked(w.HasEnd);
    OEDate->setDate(w.EndOrStart());

    for (int m = 1; m <= 12; ++m)
        CbDMonth[m]->setChecked(w.Month(m));
    UDDDate1->setPosition(w.Day(1));
    UDDDate2->setPosition(w.Day(2));

    for (int d = 0; d < 7; ++d)
        CbDS[d]->setChecked(w.ShiftDay(d));
    CbDSHoli->setChecked(w.ShiftHoliday);
    (w.ShiftDir == 1 ? RDSAfter : RDSBefore)->setChecked(true);

    RYWeekly->setChecked(w.WeekParity == 0);
    RYOddWeek->setChecked(w.WeekParity == 1);
    RYEvenWeek->setChecked(w.WeekParity == 2);
    RYWeekClick();

    for (int d = 0; d < 7; ++d)
        CbY[d]->setChecked(w.Weekday(d));
    CbYSHoli->setChecked(w.ShiftHoliday);
    (w.ShiftDir == 1 ? RYSAfter : RYSBefore)->setChecked(true);

    UDBefore->setPosition(w.BeforeDays);
    RAfterCheck->setChecked(w.AfterDays < 0);
    if (!RAfterCheck->isChecked()) {
        RAfterDay->setChecked(true);
        UDAfter->setPosition(w.AfterDays);
    }

    CbLDate->setChecked(w.HasLast);
    LDate->setDate(w.LastDate);
}

void TDetailDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TDetailDlg::FormShow()
{
    for (TEditEx *day : {EDDate1, EDDate2})
        if (day->text() == QLatin1String("0"))
            day->clear();
    CBTitleOptChange();
    RTypeClick();
    CbOEDateClick();
    CbDMonthClick();
    RYWeekClick();
    CbYSHoliClick();
}

void TDetailDlg::StoreItem()
{
    ItemKind kind = KindDate;
    if (ROnce->isChecked())
        kind = KindOnce;
    else if (RDay->isChecked())
        kind = KindDay;
    else if (RIrregular->isChecked())
        kind = KindIrregular;
    if (!m_workItem->HasKindClass() || m_workItem->Kind != kind) {
        std::unique_ptr<TItemRec> ofKind = NewItemOfKind(kind);
        ofKind->Assign(*m_workItem);
        m_workItem = std::move(ofKind);
    }
    TItemRec &w = *m_workItem;

    w.Title = Text->text();
    w.TitleOpt = quint8(CBTitleOpt->currentIndex());
    w.TitleDiff = qint16(UDTitleDiff->position());
    w.MemoText = DetailRules::EditorToMemo(Memo->toPlainText());

    // A date field that names no real date is only left unread when it is
    // not in use; OKBtnClick refuses it otherwise.
    switch (w.Kind) {
    case KindOnce:
        w.HasStart = true;
        if (const auto start = dateOf(OSDate))
            w.StartDate = *start;
        w.HasEnd = CbOEDate->isChecked();
        if (w.HasEnd) {
            if (const auto end = dateOf(OEDate))
                w.EndDate = *end;
        }
        if (w.HasEnd && w.EndDate == w.StartDate)
            w.HasEnd = false;
        if (!w.HasEnd)
            w.EndDate = w.StartDate;
        break;
    case KindDate:
        for (int m = 1; m <= 12; ++m)
            w.SetMonth(m, CbDMonth[m]->isChecked());
        w.SetDay(1, DayValue(1));
        w.SetDay(2, DayValue(2));
        for (int d = 0; d < 7; ++d)
            w.SetShiftDay(d, CbDS[d]->isChecked());
        w.ShiftHoliday = CbDSHoli->isChecked();
        w.ShiftDir = RDSAfter->isChecked() ? 1 : 0;
        break;
    case KindDay:
        w.WeekParity = RYOddWeek->isChecked() ? 1 : RYEvenWeek->isChecked() ? 2 : 0;
        for (int d = 0; d < 7; ++d)
            w.SetWeekday(d, CbY[d]->isChecked());
        w.ShiftHoliday = CbYSHoli->isChecked();
        w.ShiftDir = RYSAfter->isChecked() ? 1 : 0;
        break;
    case KindIrregular:
        w.HasStart = CbOSDate->isChecked();
        if (const auto start = dateOf(OSDate))
            w.StartDate = *start;
        break;
    }

    w.BeforeDays = UDBefore->position();
    w.AfterDays = RAfterCheck->isChecked() ? -1 : UDAfter->position();
    w.HasLast = CbLDate->isChecked();
    if (const auto last = dateOf(LDate))
        w.LastDate = *last;
}

void TDetailDlg::HelpBtnClick()
{
    Notifier::instance().showHelp(HelpContext::ItemEditor);
}

void TDetailDlg::RTypeClick()
{
    GOnce->setVisible(ROnce->isChecked() || RIrregular->isChecked());
    LOSDate->setVisible(ROnce->isChecked());
    CbOSDate->setVisible(!ROnce->isChecked());
    OSDate->setEnabled(CbOSDate->isChecked() || ROnce->isChecked());
    POEDate->setVisible(!RIrregular->isChecked());
    GDate->setVisible(RDate->isChecked());
    GDay->setVisible(RDay->isChecked());
    PDisplay->setVisible(!RIrregular->isChecked() || CbOSDate->isChecked());
    RDisplayClick();
    UpdateOKButton();
}

void TDetailDlg::TextChange()
{
    UpdateOKButton();
}

void TDetailDlg::CBTitleOptChange()
{
    const int index = CBTitleOpt->currentIndex();
    ETitleDiff->setEnabled(DetailRules::TitleDiffEnabled(index));
    UDTitleDiff->setEnabled(DetailRules::TitleDiffEnabled(index));
    LTitleDiff->setText(DetailRules::TitleDiffUnit(index));
}

void TDetailDlg::CbOSDateClick()
{
    // The check box is only shown for irregular items; any other kind shows
    // its display period whatever the box holds.
    PDisplay->setVisible(!RIrregular->isChecked() || CbOSDate->isChecked());
}

void TDetailDlg::CbOEDateClick()
{
    LOSDate->setText(CbOEDate->isChecked() ? QStringLiteral("開始日") : QStringLiteral("対象日"));
    OEDate->setEnabled(CbOEDate->isChecked());
}

void TDetailDlg::CbDEveryMonthClick()
{
    if (SyncingEveryMonth)
        return;
    SettingMonths = true;
    for (int m = 1; m <= 12; ++m)
        CbDMonth[m]->setChecked(CbDEveryMonth->isChecked());
    SettingMonths = false;
    CbDMonthClick();
}

void TDetailDlg::CbDMonthClick()
{
    if (SettingMonths)
        return;
    SyncingEveryMonth = true;
    const bool all = std::all_of(CbDMonth.begin() + 1, CbDMonth.end(), [](QCheckBox *box) { return box->isChecked(); });
    CbDEveryMonth->setChecked(all);
    UpdateOKButton();
    SyncingEveryMonth = false;
}

void TDetailDlg::EDDateChange()
{
    UpdateOKButton();
}

void TDetailDlg::UDDDateMouseUp()
{
    UpdateOKButton();
}

void TDetailDlg::UDMouseDown(QLineEdit *field)
{
    field->setFocus();
    SelAll(field);
}

void TDetailDlg::DDateExit(QLineEdit *field)
{
    if (field->text() == QLatin1String("0"))
        field->clear();
}

void TDetailDlg::CbDSDayClick(QCheckBox *box)
{
    const bool all = std::all_of(CbDS.begin(), CbDS.end(), [](QCheckBox *b) { return b->isChecked(); });
    if (all)
        box->setChecked(false);
}

void TDetailDlg::RYWeekClick()
{
    const int parity = RYOddWeek->isChecked() ? 1 : RYEvenWeek->isChecked() ? 2 : 0;
    LYBiweekly->setText(DetailRules::BiweeklyCaption(parity, Clock::todayValue()));
}

void TDetailDlg::CbYDayClick()
{
    UpdateOKButton();
}

void TDetailDlg::CbYSHoliClick()
{
    RYSBefore->setEnabled(CbYSHoli->isChecked());
    RYSAfter->setEnabled(CbYSHoli->isChecked());
}

void TDetailDlg::RDisplayClick()
{
    EAfter->setEnabled(RAfterDay->isChecked());
    UDAfter->setEnabled(RAfterDay->isChecked());
}

void TDetailDlg::LAfterClick()
{
    RAfterDay->setChecked(true);
    RDisplayClick();
}

void TDetailDlg::SelAll(QLineEdit *field)
{
    field->selectAll();
}

int TDetailDlg::DayValue(int index) const
{
    const TEditEx *field = index == 1 ? EDDate1 : EDDate2;
    if (field->text().isEmpty())
        return 0;
    return (index == 1 ? UDDDate1 : UDDDate2)->position();
}

void TDetailDlg::UpdateOKButton()
{
    bool valid = true;
    if (!GDate->isHidden()) {
        const bool month
            = std::any_of(CbDMonth.begin() + 1, CbDMonth.end(), [](QCheckBox *b) { return b->isChecked(); });
        valid = month && (DayValue(1) > 0 || DayValue(2) > 0);
    }
    if (!GDay->isHidden())
        valid = std::any_of(CbY.begin(), CbY.end(), [](QCheckBox *b) { return b->isChecked(); });
    OKBtn->setEnabled(valid && !Text->text().isEmpty());
}

void TDetailDlg::refuse(QWidget *field)
{
    if (!field)
        return;
    field->setFocus();
    // Loaded text past the limit: show the part that does not fit.
    if (field == Memo) {
        Memo->selectExcess();
    } else if (field == Text) {
        const QString title = Text->text();
        qsizetype fit = title.size();
        while (fit > 0 && !DetailRules::FitsTitle(title.left(fit)))
            --fit;
        if (fit > 0 && title.at(fit - 1).isHighSurrogate())
            --fit;
        Text->setSelection(int(fit), int(title.size() - fit));
    }
}

void TDetailDlg::OKBtnClick()
{
    UpdateOKButton();
    bool ok = OKBtn->isEnabled();
    QWidget *fault = nullptr;
    QString reason = ok ? QString() : incompleteReason();
    auto fail = [&](QWidget *field, const QString &why) {
        ok = false;
        fault = field;
        reason = why;
    };

    // Text loaded from elsewhere may pass the byte limits the fields keep
    // while typing; it is never cut to fit.
    if (ok && !DetailRules::FitsTitle(Text->text()))
        fail(Text, QStringLiteral("タイトルが長すぎます（32バイトまで）"));
    if (ok && !DetailRules::FitsMemo(Memo->toPlainText()))
        fail(Memo, QStringLiteral("メモが長すぎます（64バイトまで、改行は2バイト）"));

    if (ok && (ROnce->isChecked() || (RIrregular->isChecked() && CbOSDate->isChecked())) && !dateOf(OSDate))
        fail(OSDate,
            (ROnce->isChecked() ? LOSDate->text() : QStringLiteral("開始日"))
                + QStringLiteral("が正しい日付ではありません"));
    if (ok && ROnce->isChecked() && CbOEDate->isChecked()) {
        const auto end = dateOf(OEDate);
        if (!end)
            fail(OEDate, QStringLiteral("終了日が正しい日付ではありません"));
        else if (*end < *dateOf(OSDate))
            fail(OSDate, QStringLiteral("終了日が開始日より前です"));
    }

    if (RDate->isChecked()) {
        if (ok && EDDate1->text().isEmpty() && EDDate2->text().isEmpty())
            fail(EDDate1, QStringLiteral("日を入力してください"));
        if (ok && !EDDate1->text().isEmpty() && DetailRules::FieldNumber(EDDate1->text()) != UDDDate1->position())
            fail(EDDate1, QStringLiteral("日は1から31で入力してください（31は末日）"));
        if (ok && !EDDate2->text().isEmpty() && DetailRules::FieldNumber(EDDate2->text()) != UDDDate2->position())
            fail(EDDate2, QStringLiteral("2つめの日は1から31で入力してください（31は末日）"));
    }

    // A number field in use whose text is not its spinner's value (emptied,
    // or pasted text) would silently store the spinner's previous value.
    const std::tuple<TEditEx *, TUpDown *, QString> numbers[]
        = {{ETitleDiff, UDTitleDiff, QStringLiteral("号数の差は-99から99で入力してください")},
            {EBefore, UDBefore, QStringLiteral("表示する前の日数は0から99で入力してください")},
            {EAfter, UDAfter, QStringLiteral("表示する後の日数は0から99で入力してください")}};
    for (const auto &[field, spinner, why] : numbers) {
        if (ok && field->isVisibleTo(this) && field->isEnabled()
            && DetailRules::FieldNumber(field->text()) != spinner->position())
            fail(field, why);
    }

    if (ok && CbLDate->isChecked() && !dateOf(LDate))
        fail(LDate, QStringLiteral("最終処理日が正しい日付ではありません"));

    if (RIrregular->isChecked() && CBTitleOpt->currentIndex() > 0) {
        const QSignalBlocker quiet(CBTitleOpt);
        CBTitleOpt->setCurrentIndex(4);
    }

    if (ok) {
        StoreItem();
        accept();
        return;
    }
    // Moving the focus may tidy a field; that is no new edit.
    m_refusing = true;
    m_refusal = reason;
    refuse(fault);
    m_refusing = false;
    updateScheduleLine();
    Notifier::instance().sound(Notifier::Sound::Beep);
}

bool TDetailDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LAfter) {
        if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            && LAfter->isEnabled())
            LAfterClick();
        return QDialog::eventFilter(watched, event);
    }
    auto *field = qobject_cast<TEditEx *>(watched);
    if (!field)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // NumCheck / NumCheck2: typed characters other than digits (and the
        // minus sign of the issue number) are discarded; editing and
        // shortcut keys pass.
        auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        if (typed.isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            break;
        const char32_t c = typed.toUcs4().constFirst();
        if (!QChar::isPrint(c))
            break;
        const bool digit = c >= U'0' && c <= U'9';
        const bool minus = field == ETitleDiff && c == U'-';
        if (!digit && !minus)
            return true;
        break;
    }
    case QEvent::FocusIn:
        SelAll(field);
        break;
    case QEvent::FocusOut:
        if (field == EDDate1 || field == EDDate2)
            DDateExit(field);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
