#include "device/RupOptionDlg.h"

#include "data/Notifier.h"
#include "settings/AppSettings.h"
#include "ui/controls/DialogForm.h"
#include "ui/controls/EditEx.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/RadioGroup.h"
#include "ui/controls/UpDown.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

using namespace DialogForm;

TRupOptionDlg::TRupOptionDlg(QWidget *parent)
    : QDialog(parent)
{
    setUpFixedDialog(this, QStringLiteral("RupOptionDlg"), QStringLiteral("Ruputerでの動作設定"),
        HelpContext::DeviceSettings, 484, 409);

    CBDateDsp = makeCheck("CBDateDsp", QStringLiteral("日付を表示する"), QRect(20, 12, 121, 17), this);
    makeLabel(QStringLiteral("定型文を"), 148, 16, this);
    CBInputSbjct = makeCheck("CBInputSbjct", QStringLiteral("入力時に使う"), QRect(204, 12, 97, 17), this);
    CBUpdateSbjct = makeCheck("CBUpdateSbjct", QStringLiteral("変更時に使う"), QRect(304, 12, 97, 17), this);

    RGTableLines = new TRadioGroup(QStringLiteral("一覧表示の行数"),
        {QStringLiteral("4行"), QStringLiteral("5行"), QStringLiteral("7行")}, 3, this);
    RGTableLines->setObjectName(QStringLiteral("RGTableLines"));
    RGTableLines->setGeometry(16, 40, 221, 37);
    RGDetailLines = new TRadioGroup(QStringLiteral("詳細表示の行数"),
        {QStringLiteral("5行"), QStringLiteral("6行"), QStringLiteral("8行")}, 3, this);
    RGDetailLines->setObjectName(QStringLiteral("RGDetailLines"));
    RGDetailLines->setGeometry(244, 40, 221, 37);
    RGFirstMode = new TRadioGroup(QStringLiteral("起動時の画面"),
        {QStringLiteral("通常画面(日付順)"), QStringLiteral("通常画面(タイトル順)"), QStringLiteral("不定期画面")}, 3,
        this);
    RGFirstMode->setObjectName(QStringLiteral("RGFirstMode"));
    RGFirstMode->setGeometry(16, 88, 449, 37);
    RGTableMode = new TRadioGroup(QStringLiteral("通常画面の形式"),
        {QStringLiteral("3画面(昨今明)"), QStringLiteral("4画面(昨今明不)")}, 2, this);
    RGTableMode->setObjectName(QStringLiteral("RGTableMode"));
    RGTableMode->setGeometry(16, 136, 289, 37);
    CBNoSpace = makeCheck("CBNoSpace", QStringLiteral("号数の前に空白をあける"), QRect(320, 152, 157, 17), this);

    GCursorMode
        = makeGroup("GCursorMode", QStringLiteral("処理済にした後のカーソル位置"), QRect(16, 184, 449, 37), this);
    RBCursor0 = makeRadio(
        "RBCursor0", QStringLiteral("済みにしたデータの位置に合わせて移動する"), QRect(8, 16, 281, 17), GCursorMode);
    RBCursor1 = makeRadio("RBCursor1", QStringLiteral("移動しない"), QRect(296, 16, 145, 17), GCursorMode);

    GDetailTitle
        = makeGroup("GDetailTitle", QStringLiteral("詳細表示のタイトル表示形式"), QRect(16, 232, 449, 37), this);
    RBDetailTitle0
        = makeRadio("RBDetailTitle0", QStringLiteral("入力したタイトルのみ"), QRect(8, 16, 169, 17), GDetailTitle);
    RBDetailTitle1 = makeRadio("RBDetailTitle1", QStringLiteral("両方"), QRect(184, 16, 81, 17), GDetailTitle);
    RBDetailTitle2
        = makeRadio("RBDetailTitle2", QStringLiteral("一覧表示のタイトルのみ"), QRect(272, 16, 169, 17), GDetailTitle);

    CBIrregCount = makeCheck("CBIrregCount", QStringLiteral("不定期データ表示時に最終処理日からの経過日数を表示する"),
        QRect(20, 288, 441, 17), this);

    buildDisplayRow();

    BtnIniSave = makeButton("BtnIniSave", QStringLiteral("初期値として保存"), QRect(16, 380, 101, 23), this);
    BtnIniLoad = makeButton("BtnIniLoad", QStringLiteral("初期値に戻す"), QRect(124, 380, 101, 23), this);
    OKBtn = makeButton("OKBtn", QStringLiteral("OK"), QRect(244, 380, 73, 23), this);
    OKBtn->setDefault(true);
    CancelBtn = makeButton("CancelBtn", QStringLiteral("ｷｬﾝｾﾙ"), QRect(324, 380, 73, 23), this);
    HelpBtn = makeButton("HelpBtn", QStringLiteral("ヘルプ(&H)"), QRect(404, 380, 73, 23), this);

    setTabChain({CBDateDsp, CBInputSbjct, CBUpdateSbjct, RGTableLines->button(0), RGDetailLines->button(0),
        RGFirstMode->button(0), RGTableMode->button(0), CBNoSpace, RBCursor0, RBCursor1, RBDetailTitle0, RBDetailTitle1,
        RBDetailTitle2, CBIrregCount, EBefore, RAfterDay, EAfter, RAfterCheck, BtnIniSave, BtnIniLoad, OKBtn, CancelBtn,
        HelpBtn});

    connect(BtnIniSave, &QPushButton::clicked, this, &TRupOptionDlg::BtnIniSaveClick);
    connect(BtnIniLoad, &QPushButton::clicked, this, &TRupOptionDlg::BtnIniLoadClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TRupOptionDlg::HelpBtnClick);

    fitToFont();

    HeldHead.SetCurrentSignature();
    // Position (and the active page) remembered between runs.
    rememberPosition(this);
}

// The designed positions suit a smaller system font than the installed
// Japanese one: the rows are stacked again, in the same order and with the
// designed gaps, each group as tall as its caption and buttons need.
void TRupOptionDlg::fitToFont()
{
    ensurePolished();
    const auto fitted = [](QGroupBox *group, int contentHeight) {
        group->ensurePolished();
        const int frame = group->height() - group->contentsRect().height();
        return qMax(group->height(), frame + contentHeight + 2);
    };
    const auto placeInside = [](QGroupBox *group, QWidget *content) {
        const QRect inside = group->contentsRect();
        content->move(content->x(), inside.top() + (inside.height() - content->height()) / 2);
    };
    const int radioHeight = qMax(17, RBCursor0->sizeHint().height());
    const auto setTop = [](QWidget *w, int top, int height) { w->setGeometry(w->x(), top, w->width(), height); };

    int y = RGTableLines->y();
    for (TRadioGroup *group : {RGTableLines, RGDetailLines})
        setTop(group, y, group->height());
    const int linesHeight = qMax(RGTableLines->neededHeight(), RGDetailLines->neededHeight());
    for (TRadioGroup *group : {RGTableLines, RGDetailLines})
        setTop(group, y, qMax(group->height(), linesHeight));
    y += RGTableLines->height() + 11;

    setTop(RGFirstMode, y, qMax(RGFirstMode->height(), RGFirstMode->neededHeight()));
    y += RGFirstMode->height() + 11;

    setTop(RGTableMode, y, qMax(RGTableMode->height(), RGTableMode->neededHeight()));
    // The check box stands on the row of the buttons beside it.
    const int rowCentre = RGTableMode->y() + RGTableMode->contentsRect().center().y();
    setTop(CBNoSpace, rowCentre - CBNoSpace->height() / 2, CBNoSpace->height());
    y += RGTableMode->height() + 11;

    for (QGroupBox *group : {GCursorMode, GDetailTitle}) {
        setTop(group, y, fitted(group, radioHeight));
        for (QRadioButton *radio : group->findChildren<QRadioButton *>()) {
            radio->resize(radio->width(), radioHeight);
            placeInside(group, radio);
        }
        y += group->height() + 11;
    }
    y += 19 - 11;

    setTop(CBIrregCount, y, CBIrregCount->height());
    y += CBIrregCount->height() + 12;

    setTop(GDisplay, y, fitted(GDisplay, PDisplay->height()));
    placeInside(GDisplay, PDisplay);
    y += GDisplay->height() + 11;

    for (QPushButton *button : {BtnIniSave, BtnIniLoad, OKBtn, CancelBtn, HelpBtn})
        setTop(button, y, button->height());
    // The two defaults buttons take the width their captions need, where the
    // row has room before OK.
    int x = BtnIniSave->x();
    for (QPushButton *button : {BtnIniSave, BtnIniLoad}) {
        const int text = button->fontMetrics().horizontalAdvance(button->text()) + 12;
        button->setGeometry(x, y, qMax(button->width(), text), button->height());
        x = button->geometry().right() + 8;
    }
    if (BtnIniLoad->geometry().right() >= OKBtn->x() - 8) {
        BtnIniSave->setGeometry(16, y, 101, BtnIniSave->height());
        BtnIniLoad->setGeometry(124, y, 101, BtnIniLoad->height());
    }
    setFixedSize(width(), qMax(height(), y + OKBtn->height() + 6));
}

void TRupOptionDlg::buildDisplayRow()
{
    GDisplay = makeGroup("GDisplay", QStringLiteral("表示期間の初期値"), QRect(16, 317, 449, 52), this);
    // The caption is a label of its own so that it can be shown disabled;
    // it covers the box's painted title exactly.
    QStyleOptionGroupBox option;
    option.initFrom(GDisplay);
    option.text = GDisplay->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.textAlignment = GDisplay->alignment();
    const QRect titleRect
        = GDisplay->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, GDisplay);
    LDisplay = new QLabel(GDisplay->title(), GDisplay);
    LDisplay->setObjectName(QStringLiteral("LDisplay"));
    LDisplay->setAutoFillBackground(true);
    LDisplay->setAlignment(Qt::AlignCenter);
    LDisplay->setGeometry(titleRect);

    PDisplay = new QWidget(GDisplay);
    PDisplay->setObjectName(QStringLiteral("PDisplay"));
    PDisplay->setGeometry(8, 22, 433, 24);

    EBefore = makeDayEdit("EBefore", QRect(4, 1, 41, 21), PDisplay);
    UDBefore = new TUpDown(PDisplay);
    UDBefore->setObjectName(QStringLiteral("UDBefore"));
    UDBefore->setAssociate(EBefore);
    makeLabel(QStringLiteral("日前から表示"), 50, 4, PDisplay);

    RAfterDay = makeRadio("RAfterDay", QString(), QRect(136, 3, 17, 17), PDisplay);
    RAfterDay->setChecked(true);
    EAfter = makeDayEdit("EAfter", QRect(156, 1, 41, 21), PDisplay);
    UDAfter = new TUpDown(PDisplay);
    UDAfter->setObjectName(QStringLiteral("UDAfter"));
    UDAfter->setAssociate(EAfter);
    LAfter = makeLabel(QStringLiteral("日後まで表示"), 202, 4, PDisplay);
    LAfter->setObjectName(QStringLiteral("LAfter"));
    LAfter->installEventFilter(this);
    RAfterCheck = makeRadio("RAfterCheck", QStringLiteral("済にするまで表示"), QRect(290, 3, 137, 17), PDisplay);

    for (TUpDown *ud : {UDBefore, UDAfter}) {
        ud->setRange(0, 99);
        ud->setWrap(true);
        ud->setPosition(0);
        // A click on an arrow puts the keyboard in the number's field.
        connect(ud, &TUpDown::mousePressed, this, [ud] {
            if (QLineEdit *edit = ud->associate())
                edit->setFocus(Qt::MouseFocusReason);
        });
        // The step rewrites the text; keep it selected so that typing
        // replaces it.
        connect(ud, &TUpDown::clicked, this, [this, ud] {
            if (QLineEdit *edit = ud->associate(); edit && focusWidget() == edit)
                edit->selectAll();
        });
    }
    connect(RAfterDay, &QRadioButton::toggled, this, &TRupOptionDlg::RDisplayClick);
    connect(RAfterCheck, &QRadioButton::toggled, this, &TRupOptionDlg::RDisplayClick);
    RDisplayClick();
}

TEditEx *TRupOptionDlg::makeDayEdit(const char *name, const QRect &geometry, QWidget *parent)
{
    auto *edit = new TEditEx(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAlignment(TEditEx::taRightJustify);
    edit->setMaxLength(2);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setText(QStringLiteral("0"));
    edit->setGeometry(geometry);
    edit->installEventFilter(this);
    return edit;
}

bool TRupOptionDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EBefore || watched == EAfter) {
        auto *edit = static_cast<TEditEx *>(watched);
        if (event->type() == QEvent::FocusIn) {
            // SelAll: a new number replaces the old one.
            edit->selectAll();
        } else if (event->type() == QEvent::KeyPress) {
            // NumCheck: of the typed characters only digits pass; editing
            // keys (backspace, delete) and shortcuts do.
            const auto *key = static_cast<QKeyEvent *>(event);
            const QString text = key->text();
            if (!text.isEmpty() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                && QChar::isPrint(text.toUcs4().constFirst())
                && !(text.size() == 1 && text.front() >= u'0' && text.front() <= u'9'))
                return true;
        }
    } else if (watched == LAfter && event->type() == QEvent::MouseButtonRelease) {
        LAfterClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TRupOptionDlg::RDisplayClick()
{
    const bool on = LDisplay->isEnabled() && RAfterDay->isChecked();
    EAfter->setEnabled(on);
    UDAfter->setEnabled(on);
}

void TRupOptionDlg::LAfterClick()
{
    RAfterDay->setChecked(true);
    RDisplayClick();
}

void TRupOptionDlg::HeadToControls(const THeadRec &head)
{
    HeldHead = head;
    CBDateDsp->setChecked(head.DateDsp() == 0);
    CBInputSbjct->setChecked(head.InputSbjct() == 0);
    CBUpdateSbjct->setChecked(head.UpdateSbjct() == 0);
    RGTableLines->setItemIndex(head.TableLines());
    RGDetailLines->setItemIndex(head.DetailLines());
    RGTableMode->setItemIndex(head.TableMode());
    RGFirstMode->setItemIndex(head.FirstMode());
    CBNoSpace->setChecked(head.NoSpace() != 0);
    setRadio(RBCursor0, head.CursorMode() == 0);
    setRadio(RBCursor1, head.CursorMode() == 1);
    setRadio(RBDetailTitle0, head.DetailTitle() == 0);
    setRadio(RBDetailTitle1, head.DetailTitle() == 1);
    setRadio(RBDetailTitle2, head.DetailTitle() == 2);
    CBIrregCount->setChecked(head.IrregCount() != 0);
    UDBefore->setPosition(head.DefBefore());
    const bool untilDone = head.DefAfter() < 0;
    RAfterCheck->setChecked(untilDone);
    RAfterDay->setChecked(!untilDone);
    if (!untilDone)
        UDAfter->setPosition(head.DefAfter());
    RDisplayClick();
}

void TRupOptionDlg::ControlsToHead(THeadRec &head) const
{
    head = HeldHead;
    head.SetDateDsp(CBDateDsp->isChecked() ? 0 : 1);
    head.SetInputSbjct(CBInputSbjct->isChecked() ? 0 : 1);
    head.SetUpdateSbjct(CBUpdateSbjct->isChecked() ? 0 : 1);
    // No choice (-1) is stored as 255.
    head.SetTableLines(quint8(RGTableLines->ItemIndex()));
    head.SetDetailLines(quint8(RGDetailLines->ItemIndex()));
    head.SetTableMode(quint8(RGTableMode->ItemIndex()));
    head.SetFirstMode(quint8(RGFirstMode->ItemIndex()));
    head.SetNoSpace(CBNoSpace->isChecked() ? 1 : 0);
    head.SetCursorMode(RBCursor1->isChecked() ? 1 : 0);
    if (RBDetailTitle0->isChecked())
        head.SetDetailTitle(0);
    else if (RBDetailTitle1->isChecked())
        head.SetDetailTitle(1);
    else if (RBDetailTitle2->isChecked())
        head.SetDetailTitle(2);
    head.SetIrregCount(CBIrregCount->isChecked() ? 1 : 0);
    head.SetDefBefore(UDBefore->position());
    head.SetDefAfter(RAfterCheck->isChecked() ? 255 : UDAfter->position());
}

void TRupOptionDlg::BtnIniSaveClick()
{
    if (!daysValid())
        return;
    if (Notifier::instance().confirm(
            QStringLiteral("初期値として保存します。よろしいですか？"), Notifier::Ok | Notifier::Cancel, Notifier::Ok)
        != Notifier::Ok)
        return;
    THeadRec head;
    ControlsToHead(head);
    TData::SaveHeadDefaults(Settings(), head);
}

void TRupOptionDlg::BtnIniLoadClick()
{
    if (Notifier::instance().confirm(
            QStringLiteral("初期値に戻します。よろしいですか？"), Notifier::Ok | Notifier::Cancel, Notifier::Ok)
        != Notifier::Ok)
        return;
    THeadRec head;
    TData::LoadHeadDefaults(Settings(), head);
    HeadToControls(head);
}

void TRupOptionDlg::HelpBtnClick()
{
    Notifier::instance().showHelp(HelpContext::DeviceSettings);
}

void TRupOptionDlg::keyPressEvent(QKeyEvent *event)
{
    if (isHelpKey(event)) {
        HelpBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TRupOptionDlg::accept()
{
    if (daysValid())
        QDialog::accept();
}

// A field emptied or filled by pasting holds no number; its spinner would
// quietly keep the old one.
bool TRupOptionDlg::daysValid()
{
    for (TEditEx *edit : {EBefore, EAfter}) {
        bool ok = false;
        const int days = edit->text().toInt(&ok);
        if (edit->isEnabled() && (!ok || days < 0 || days > 99)) {
            Notifier::instance().sound(Notifier::Sound::Beep);
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return false;
        }
    }
    return true;
}

bool EditHead(TData &data, QWidget *parent)
{
    TRupOptionDlg dlg(parent);
    dlg.HeadToControls(data.Head);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    THeadRec head;
    dlg.ControlsToHead(head);
    data.Head = head;
    return true;
}
