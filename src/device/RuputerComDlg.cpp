#include "device/RuputerComDlg.h"

#include "device/RuputerCom.h"
#include "ui/controls/Fonts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int ClientWidth = 244;
constexpr int ClientHeight = 131;
constexpr int ButtonTop = 100;

} // namespace

TRuputerComDlgForm::TRuputerComDlgForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("RuputerComDlgForm"));
    setWindowTitle(QStringLiteral("エラーが発生しました"));
    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));

    Memo = new QLabel(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->move(4, 4);

    auto button = [this](const char *name, const QString &caption, int left, RupDlgResult result) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, ButtonTop, 75, 25);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, result] { done(int(result)); });
        return b;
    };
    RetryBtn = button("RetryBtn", QStringLiteral("再試行(&R)"), 4, RupDlgResult::Retry);
    YesBtn = button("YesBtn", QStringLiteral("切り替え(&C)"), 84, RupDlgResult::Yes);
    CancelBtn = button("CancelBtn", QStringLiteral("ｷｬﾝｾﾙ"), 163, RupDlgResult::Cancel);
    RetryBtn->setDefault(true);
    YesBtn->setToolTip(QStringLiteral("転送するポートを切り替えて再試行"));
    setTabOrder(RetryBtn, YesBtn);
    setTabOrder(YesBtn, CancelBtn);
    RetryBtn->setFocus();

    if (!PortSwitchAllowed) {
        YesBtn->hide();
        RetryBtn->move(24, ButtonTop);
        CancelBtn->move(143, ButtonTop);
    }
    // Esc and the window manager's close both end in reject(), which is Cancel.
    static_assert(int(RupDlgResult::Cancel) == QDialog::Rejected);

    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TRuputerComDlgForm::setMemoText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Memo->setText(shown);
    fitToMemo();
}

void TRuputerComDlgForm::fitToMemo()
{
    Memo->adjustSize();
    // A report longer than the usual four lines grows the dialog rather than
    // hiding under the buttons.
    const int top = qMax(ButtonTop, Memo->geometry().bottom() + 8);
    const int width = qMax(ClientWidth, Memo->width() + 8);
    // A wider report widens the dialog; the buttons stay centred under it.
    const int shift = (width - ClientWidth) / 2 - m_buttonShift;
    m_buttonShift += shift;
    for (QPushButton *b : {RetryBtn, YesBtn, CancelBtn})
        b->move(b->x() + shift, top);
    setFixedSize(width, top + 31);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
