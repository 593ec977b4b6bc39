#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/CSVOptionDlg.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestCSVOptionDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void missingFileShowsDefaults();
    void storedValuesShown_data();
    void storedValuesShown();
    void okWritesTheSection_data();
    void okWritesTheSection();
    void cancelWritesNothing();
    void typingReplacesTheChosenItem();
    void separatorTakesOneSingleByteCharacter();
    void helpOpensItsContext();
    void screenshot();

private:
    QByteArray fileContents() const;
    void store(const QByteArray &ini);

    std::unique_ptr<TestEnvironment> m_env;
};

void TestCSVOptionDlg::initTestCase()
{
    InstallFontSubstitutes();
}

void TestCSVOptionDlg::init()
{
    m_env = std::make_unique<TestEnvironment>();
}

QByteArray TestCSVOptionDlg::fileContents() const
{
    QFile f(m_env->settingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestCSVOptionDlg::store(const QByteArray &ini)
{
    QFile f(m_env->settingsPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
}

void TestCSVOptionDlg::missingFileShowsDefaults()
{
    TCSVOptionDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("CSV読み書きの設定"));
    QCOMPARE(dlg.findChild<QComboBox *>("CBCommaChar")->currentText(), QStringLiteral("カンマ"));
    QCOMPARE(dlg.findChild<QComboBox *>("CBQuoteChar")->currentText(), QStringLiteral("ダブル"));
    QCOMPARE(dlg.findChild<QComboBox *>("CBCRChar")->currentText(), QStringLiteral("LF(0A)"));
    QVERIFY(dlg.findChild<QCheckBox *>("CBSpaceQuote")->isChecked());
}

void TestCSVOptionDlg::storedValuesShown_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("comma");
    QTest::addColumn<QString>("quote");
    QTest::addColumn<QString>("cr");
    QTest::addColumn<bool>("spaceQuote");
    QTest::newRow("tab, apostrophe, backslash n")
        << QByteArray("[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n") << "タブ"
        << "シングル"
        << "\\n"
        << false;
    QTest::newRow("other characters") << QByteArray(
        "[CSVOption]\nCommaChar=59\nQuoteChar=96\nCRChar=<br>\nSpaceQuote=5\n")
                                      << ";"
                                      << "`"
                                      << "<br>" << true;
    QTest::newRow("code 0 and garbage") << QByteArray("[CSVOption]\nCommaChar=0\nQuoteChar=abc\nCRChar=\n") << ""
                                        << "ダブル"
                                        << "" << true;
    QTest::newRow("half-width katakana byte")
        << QByteArray("[CSVOption]\nCommaChar=177\n") << QStringLiteral("ｱ") << "ダブル"
        << "LF(0A)" << true;
}

void TestCSVOptionDlg::storedValuesShown()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, comma);
    QFETCH(QString, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    store(ini);
    TCSVOptionDlg dlg;
    QCOMPARE(dlg.findChild<QComboBox *>("CBCommaChar")->currentText(), comma);
    QCOMPARE(dlg.findChild<QComboBox *>("CBQuoteChar")->currentText(), quote);
    QCOMPARE(dlg.findChild<QComboBox *>("CBCRChar")->currentText(), cr);
    QCOMPARE(dlg.findChild<QCheckBox *>("CBSpaceQuote")->isChecked(), spaceQuote);
}

void TestCSVOptionDlg::okWritesTheSection_data()
{
    QTest::addColumn<QString>("comma");
    QTest::addColumn<QString>("quote");
    QTest::addColumn<QString>("cr");
    QTest::addColumn<bool>("spaceQuote");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("defaults") << "カンマ"
                              << "ダブル"
                              << "LF(0A)" << true
                              << QByteArray("[CSVOption]\nCommaChar=44\nQuoteChar=34\nCRChar=LF\nSpaceQuote=1\n");
    QTest::newRow("second items") << "タブ"
                                  << "シングル"
                                  << "\\n"
                                  << false
                                  << QByteArray("[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n");
    QTest::newRow("typed") << ";"
                           << "|"
                           << "<CR>" << true
                           << QByteArray("[CSVOption]\nCommaChar=59\nQuoteChar=124\nCRChar=<CR>\nSpaceQuote=1\n");
    QTest::newRow("empty") << ""
                           << ""
                           << "" << true
                           << QByteArray("[CSVOption]\nCommaChar=0\nQuoteChar=0\nCRChar=\nSpaceQuote=1\n");
}

void TestCSVOptionDlg::okWritesTheSection()
{
    QFETCH(QString, comma);
    QFETCH(QString, quote);
    QFETCH(QString, cr);
    QFETCH(bool, spaceQuote);
    QFETCH(QByteArray, expected);
    TCSVOptionDlg dlg;
    dlg.findChild<QComboBox *>("CBCommaChar")->setEditText(comma);
    dlg.findChild<QComboBox *>("CBQuoteChar")->setEditText(quote);
    dlg.findChild<QComboBox *>("CBCRChar")->setEditText(cr);
    dlg.findChild<QCheckBox *>("CBSpaceQuote")->setChecked(spaceQuote);
    dlg.findChild<QPushButton *>("OKBtn")->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY2(fileContents().startsWith(expected), fileContents().constData());
}

void TestCSVOptionDlg::cancelWritesNothing()
{
    TCSVOptionDlg dlg;
    dlg.findChild<QComboBox *>("CBCommaChar")->setCurrentIndex(1);
    dlg.findChild<QPushButton *>("CancelBtn")->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!Settings().sectionExists(QStringLiteral("CSVOption")));

    TCSVOptionDlg escaped;
    escaped.show();
    QVERIFY(QTest::qWaitForWindowActive(&escaped));
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
    QVERIFY(!Settings().sectionExists(QStringLiteral("CSVOption")));
    // Only the window position was kept.
    QCOMPARE(Settings().readSection(QStringLiteral("WindowPos")).value(0), QStringLiteral("CSVOptionDlg"));
}

void TestCSVOptionDlg::typingReplacesTheChosenItem()
{
    TCSVOptionDlg dlg;
    auto *combo = dlg.findChild<QComboBox *>("CBCommaChar");
    QLineEdit *edit = combo->lineEdit();
    edit->setCursorPosition(int(edit->text().size()));
    QTest::keyClicks(edit, QStringLiteral(";"));
    QCOMPARE(combo->currentText(), QStringLiteral(";"));
    QTest::keyClicks(edit, QStringLiteral("x"));
    QCOMPARE(combo->currentText(), QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(combo->currentText(), QString());

    combo->setCurrentIndex(1);
    edit->setCursorPosition(1);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(combo->currentText(), QString());
}

void TestCSVOptionDlg::separatorTakesOneSingleByteCharacter()
{
    TCSVOptionDlg dlg;
    auto *combo = dlg.findChild<QComboBox *>("CBQuoteChar");
    QLineEdit *edit = combo->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("|"));
    QCOMPARE(combo->currentText(), QStringLiteral("|"));
    // A double-byte character cannot be one byte of the CSV text.
    edit->selectAll();
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("、"), Qt::NoModifier);
    QCOMPARE(combo->currentText(), QStringLiteral("|"));
    QCOMPARE(TCSVOptionDlg::CharCode(QStringLiteral("ｱ")), 0xB1);
    QCOMPARE(TCSVOptionDlg::CharCode(QStringLiteral("、")), 0);
    QCOMPARE(TCSVOptionDlg::CharCode(TCSVOptionDlg::CharText(0x81)), 0x81);
}

void TestCSVOptionDlg::helpOpensItsContext()
{
    ScriptedNotifier notifier;
    TCSVOptionDlg dlg;
    dlg.findChild<QPushButton *>("HelpBtn")->click();
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_F1);
    QCOMPARE(notifier.helpContexts, (QList<int> {3070, 3070}));
    QCOMPARE(HelpContextOf(dlg.findChild<QComboBox *>("CBCRChar")), 3070);
    QVERIFY(dlg.isVisible());
}

void TestCSVOptionDlg::screenshot()
{
    TCSVOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.size(), QSize(337, 165));
    for (QWidget *w : dlg.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(dlg.rect().contains(w->geometry()), qPrintable(w->objectName()));
    const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); // pictures only on request
    if (!dir.isEmpty())
        dlg.grab().save(dir + QStringLiteral("/csvoptiondlg.png"));
}

QTEST_MAIN(TestCSVOptionDlg)
#include "tst_csvoptiondlg.moc"
