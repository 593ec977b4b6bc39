#include "ui/controls/AboutBox.h"

#include "ui/controls/Fonts.h"
#include "ui/controls/Icons.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    setFixedSize(298, 213);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 161);
    // Lowered outside, raised inside: an etched border.
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setFrameShadow(QFrame::Sunken);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);

    ProductName = new QLabel(Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setGeometry(88, 16, 185, 20);
    QFont bold = font();
    bold.setBold(true);
    ProductName->setFont(bold);

    Version = new QLabel(Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(88, 40, 185, 18);

    AuthorLine = new QLabel(Panel1);
    AuthorLine->setObjectName(QStringLiteral("AuthorLine"));
    AuthorLine->setGeometry(8, 80, 265, 18);

    Comments = new QLabel(Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setGeometry(8, 104, 265, 49);
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
}

TAboutBoxDlg::TAboutBoxDlg(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("AboutBoxDlg"));
}

bool TAboutBoxDlg::Execute()
{
    if (m_productName.isEmpty()) {
        m_productName = QApplication::applicationDisplayName();
        if (m_productName.isEmpty())
            m_productName = QApplication::applicationName();
    }
    TAboutBox box(QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow());
    box.ProductName->setText(m_productName);
    box.Version->setText(m_version);
    box.AuthorLine->setText(m_authorLine);
    box.Comments->setText(m_comments);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull() || icon.availableSizes().isEmpty())
        icon = AppIcon();
    box.ProgramIcon->setPixmap(icon.pixmap(64, 64));
    Q_EMIT shown(&box);
    return box.exec() == QDialog::Accepted;
}

QString TidemarkAuthorLine()
{
    return QStringLiteral("Copyright (C) 2026 Tidemark 開発チーム");
}
