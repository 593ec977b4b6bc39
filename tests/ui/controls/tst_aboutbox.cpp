#include "ui/controls/AboutBox.h"
#include "ui/controls/Icons.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestAboutBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formLayout();
    void textsFromProperties();
    void emptyProductNameShowsApplicationTitle();
    void okGivesTrue();
    void escapeGivesFalse();
};

void TestAboutBox::formLayout()
{
    TAboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(box.size(), QSize(298, 213));
    QCOMPARE(box.Panel1->geometry(), QRect(8, 8, 281, 161));
    QCOMPARE(box.ProgramIcon->geometry(), QRect(8, 8, 65, 57));
    QCOMPARE(box.ProductName->pos(), QPoint(88, 16));
    QCOMPARE(box.Version->pos(), QPoint(88, 40));
    QCOMPARE(box.AuthorLine->pos(), QPoint(8, 80));
    QCOMPARE(box.Comments->pos(), QPoint(8, 104));
    QVERIFY(box.Comments->wordWrap());
    QCOMPARE(box.OKButton->geometry(), QRect(111, 180, 75, 25));
    QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
    QVERIFY(box.OKButton->isDefault());
    for (const char *name : {"Panel1", "ProgramIcon", "ProductName", "Version", "Comments", "OKButton"})
        QVERIFY2(box.findChild<QWidget *>(QLatin1String(name)), name);
}

void TestAboutBox::textsFromProperties()
{
    TAboutBoxDlg dlg;
    dlg.setProductName(QStringLiteral("Tidemark"));
    dlg.setVersion(QStringLiteral("Version 2.10"));
    dlg.setAuthorLine(TidemarkAuthorLine());
    dlg.setComments(QString());
    QStringList texts;
    bool hasIcon = false;
    connect(&dlg, &TAboutBoxDlg::shown, this, [&](TAboutBox *box) {
        texts << box->ProductName->text() << box->Version->text() << box->AuthorLine->text() << box->Comments->text();
        hasIcon = !box->ProgramIcon->pixmap().isNull();
        QTimer::singleShot(0, box, &QDialog::accept);
    });
    QVERIFY(dlg.Execute());
    QCOMPARE(texts,
        (QStringList {QStringLiteral("Tidemark"), QStringLiteral("Version 2.10"), TidemarkAuthorLine(), QString()}));
    QVERIFY(!TidemarkAuthorLine().isEmpty());
    QVERIFY(hasIcon);
}

void TestAboutBox::emptyProductNameShowsApplicationTitle()
{
    QApplication::setApplicationDisplayName(QStringLiteral("Tidemark"));
    TAboutBoxDlg dlg;
    QString shown;
    connect(&dlg, &TAboutBoxDlg::shown, this, [&](TAboutBox *box) {
        shown = box->ProductName->text();
        QTimer::singleShot(0, box, &QDialog::accept);
    });
    dlg.Execute();
    QCOMPARE(shown, QStringLiteral("Tidemark"));
}

void TestAboutBox::okGivesTrue()
{
    TAboutBoxDlg dlg;
    connect(&dlg, &TAboutBoxDlg::shown, this,
        [](TAboutBox *box) { QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Return); }); });
    QVERIFY(dlg.Execute());
}

void TestAboutBox::escapeGivesFalse()
{
    TAboutBoxDlg dlg;
    connect(&dlg, &TAboutBoxDlg::shown, this,
        [](TAboutBox *box) { QTimer::singleShot(0, box, [box] { QTest::keyClick(box, Qt::Key_Escape); }); });
    QVERIFY(!dlg.Execute());
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
