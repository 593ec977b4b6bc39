#include "data/Notifier.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/MessageBoxNotifier.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

class TestHelpWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void pages_data();
    void pages();
    void linksOfContentsResolve();
    void showHelpOpensContext_data();
    void showHelpOpensContext();
    void contentsButton();
    void contextOfNestedWidget();
    void f1InDialogOpensItsContext();
    void f1WithoutContextOpensContents();
    void f1InOpenMenu();
    void usableWhileModalDialogIsOpen();

private:
    QTextBrowser *browser() const;
    MessageBoxNotifier m_notifier;
};

void TestHelpWindow::initTestCase()
{
    Notifier::install(&m_notifier);
    InstallHelp(m_notifier);
}

void TestHelpWindow::cleanupTestCase()
{
    Notifier::install(nullptr);
}

void TestHelpWindow::cleanup()
{
    delete THelpWindow::instance();
}

QTextBrowser *TestHelpWindow::browser() const
{
    return THelpWindow::instance() ? THelpWindow::instance()->browser() : nullptr;
}

void TestHelpWindow::pages_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading");
    QTest::newRow("contents") << 0 << "index.html"
                              << "目次";
    QTest::newRow("3010") << 3010 << "mainwindow.html"
                          << "メイン画面";
    QTest::newRow("3020") << 3020 << "file.html"
                          << "ファイル";
    QTest::newRow("3030") << 3030 << "edit.html"
                          << "編集";
    QTest::newRow("3040") << 3040 << "options.html"
                          << "設定";
    QTest::newRow("3050") << 3050 << "editor.html"
                          << "項目";
    QTest::newRow("3070") << 3070 << "csv.html"
                          << "CSV";
    QTest::newRow("3080") << 3080 << "device.html"
                          << "Ruputer";
    QTest::newRow("unknown") << 1234 << "index.html"
                             << "目次";
}

void TestHelpWindow::pages()
{
    QFETCH(int, context);
    QFETCH(QString, page);
    QFETCH(QString, heading);
    const QUrl url = HelpUrl(context);
    QCOMPARE(url, QUrl(QStringLiteral("qrc:/help/") + page));
    QFile file(QStringLiteral(":/help/") + page);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY(html.size() > 400);
    const qsizetype h1 = html.indexOf(QStringLiteral("<h1>"));
    QVERIFY(h1 >= 0);
    QVERIFY2(html.mid(h1, html.indexOf(QStringLiteral("</h1>")) - h1).contains(heading), qPrintable(page));
}

void TestHelpWindow::linksOfContentsResolve()
{
    QFile file(QStringLiteral(":/help/index.html"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (int context : {3010, 3020, 3030, 3040, 3050, 3070, 3080}) {
        const QString name = HelpUrl(context).fileName();
        QVERIFY2(html.contains(QStringLiteral("href=\"%1\"").arg(name)), qPrintable(name));
    }
}

void TestHelpWindow::showHelpOpensContext_data()
{
    QTest::addColumn<int>("context");
    for (int context : {0, 3010, 3020, 3030, 3040, 3050, 3070, 3080})
        QTest::addRow("%d", context) << context;
}

void TestHelpWindow::showHelpOpensContext()
{
    QFETCH(int, context);
    Notifier::instance().showHelp(context);
    QVERIFY(THelpWindow::instance());
    QVERIFY(THelpWindow::instance()->isVisible());
    QCOMPARE(THelpWindow::instance()->objectName(), QStringLiteral("HelpWindow"));
    QCOMPARE(browser()->source(), HelpUrl(context));
    QVERIFY(!browser()->toPlainText().isEmpty());
    // A second request reuses the one window.
    THelpWindow *first = THelpWindow::instance();
    Notifier::instance().showHelp(3010);
    QCOMPARE(THelpWindow::instance(), first);
    QCOMPARE(browser()->source(), HelpUrl(3010));
}

void TestHelpWindow::contentsButton()
{
    Notifier::instance().showHelp(3050);
    auto *contents = THelpWindow::instance()->findChild<QPushButton *>(QStringLiteral("ContentsBtn"));
    QVERIFY(contents);
    QTest::mouseClick(contents, Qt::LeftButton);
    QCOMPARE(browser()->source(), HelpUrl(0));
    auto *back = THelpWindow::instance()->findChild<QPushButton *>(QStringLiteral("BackBtn"));
    QVERIFY(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(browser()->source(), HelpUrl(3050));
}

void TestHelpWindow::contextOfNestedWidget()
{
    QWidget window;
    auto *group = new QWidget(&window);
    auto *edit = new QLineEdit(group);
    QCOMPARE(HelpContextOf(edit), 0);
    SetHelpContext(&window, 3040);
    QCOMPARE(HelpContextOf(edit), 3040);
    SetHelpContext(group, 3070);
    QCOMPARE(HelpContextOf(edit), 3070);
}

void TestHelpWindow::f1InDialogOpensItsContext()
{
    QDialog dialog;
    SetHelpContext(&dialog, 3050);
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new QLineEdit(&dialog);
    layout->addWidget(edit);
    QTimer::singleShot(0, &dialog, [&] {
        edit->setFocus();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : edit, Qt::Key_F1);
        dialog.reject();
    });
    dialog.exec();
    QVERIFY(THelpWindow::instance());
    QCOMPARE(browser()->source(), HelpUrl(3050));
    // The dialog was not closed or answered by the key.
    QCOMPARE(edit->text(), QString());
}

void TestHelpWindow::f1WithoutContextOpensContents()
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_F1);
    QVERIFY(THelpWindow::instance());
    QCOMPARE(browser()->source(), HelpUrl(0));
}

void TestHelpWindow::f1InOpenMenu()
{
    QWidget window;
    window.show();
    QMenu menu(&window);
    SetHelpContext(&menu, 3020);
    menu.addAction(QStringLiteral("開く(&O)"));
    menu.popup(QPoint(10, 10));
    QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
    QTest::keyClick(&menu, Qt::Key_F1);
    QVERIFY(THelpWindow::instance());
    QCOMPARE(browser()->source(), HelpUrl(3020));
    menu.close();
}

void TestHelpWindow::usableWhileModalDialogIsOpen()
{
    QWidget main;
    main.show();
    QDialog dialog(&main);
    bool parentedToDialog = false;
    QUrl afterClick;
    QTimer::singleShot(0, &dialog, [&] {
        THelpWindow *help = THelpWindow::ShowHelp(3040);
        parentedToDialog = help->parentWidget() == &dialog;
        // A click reaches the help window although the dialog is modal.
        QTest::mouseClick(help->findChild<QPushButton *>(QStringLiteral("ContentsBtn")), Qt::LeftButton);
        afterClick = help->browser()->source();
        Notifier::instance().showHelp(3050);
        dialog.accept();
    });
    dialog.exec();
    QVERIFY(parentedToDialog);
    QCOMPARE(afterClick, HelpUrl(0));
    // After the dialog closes the help window stays, on its own.
    QVERIFY(THelpWindow::instance());
    QCOMPARE(THelpWindow::instance()->parentWidget(), nullptr);
    QVERIFY(THelpWindow::instance()->isVisible());
    QCOMPARE(browser()->source(), HelpUrl(3050));
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
