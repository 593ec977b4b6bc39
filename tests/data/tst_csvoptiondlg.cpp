#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/CSVOptionDlg.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QComboBox *combo(QWidget &dlg, const char *name)
{
    return dlg.findChild<QComboBox *>(name);
}

// Separator, quotation mark, line break text, and "1"/"0" for space quoting.
QStringList shown(TCSVOptionDlg &dlg)
{
    return {combo(dlg, "CBCommaChar")->currentText(), combo(dlg, "CBQuoteChar")->currentText(),
        combo(dlg, "CBCRChar")->currentText(),
        dlg.findChild<QCheckBox *>("CBSpaceQuote")->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
}

} // namespace

class TestCSVOptionDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QByteArray fileContents() const
    {
        QFile f(m_env->settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void storedValuesShown_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("missing file") << QByteArray() << QStringList {"カンマ", "ダブル", "LF(0A)", "1"};
        QTest::newRow("tab, apostrophe, backslash n")
            << QByteArray("[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n")
            << QStringList {"タブ", "シングル", "\\n", "0"};
        QTest::newRow("other characters")
            << QByteArray("[CSVOption]\nCommaChar=59\nQuoteChar=96\nCRChar=<br>\nSpaceQuote=5\n")
            << QStringList {";", "`", "<br>", "1"};
        QTest::newRow("code 0 and garbage") << QByteArray("[CSVOption]\nCommaChar=0\nQuoteChar=abc\nCRChar=\n")
                                            << QStringList {"", "ダブル", "LF(0A)", "1"};
        QTest::newRow("half-width katakana byte")
            << QByteArray("[CSVOption]\nCommaChar=177\n") << QStringList {"ｱ", "ダブル", "LF(0A)", "1"};
    }

    void storedValuesShown()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, values);
        if (!ini.isNull()) {
            QFile f(m_env->settingsPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ini);
        }
        TCSVOptionDlg dlg;
        QCOMPARE(shown(dlg), values);
    }

    void okWritesTheSection_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("defaults") << QStringList {"カンマ", "ダブル", "LF(0A)", "1"}
                                  << QByteArray("[CSVOption]\nCommaChar=44\nQuoteChar=34\nCRChar=LF\nSpaceQuote=1\n");
        QTest::newRow("second items") << QStringList {"タブ", "シングル", "\\n",
            "0"} << QByteArray("[CSVOption]\nCommaChar=9\nQuoteChar=39\nCRChar=\\n\nSpaceQuote=0\n");
        QTest::newRow("typed") << QStringList {";", "|", "<CR>", "1"}
                               << QByteArray("[CSVOption]\nCommaChar=59\nQuoteChar=124\nCRChar=<CR>\nSpaceQuote=1\n");
        QTest::newRow("empty") << QStringList {"", "ダブル", "", "1"}
                               << QByteArray("[CSVOption]\nCommaChar=0\nQuoteChar=34\nCRChar=LF\nSpaceQuote=1\n");
    }

    void okWritesTheSection()
    {
        QFETCH(QStringList, values);
        QFETCH(QByteArray, expected);
        TCSVOptionDlg dlg;
        combo(dlg, "CBCommaChar")->setEditText(values[0]);
        combo(dlg, "CBQuoteChar")->setEditText(values[1]);
        combo(dlg, "CBCRChar")->setEditText(values[2]);
        dlg.findChild<QCheckBox *>("CBSpaceQuote")->setChecked(values[3] == u"1");
        dlg.findChild<QPushButton *>("OKBtn")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY2(fileContents().startsWith(expected), fileContents().constData());
    }

    // A pair that would write files that do not read back is refused: a beep,
    // the quotation field focused, nothing written.
    void quoteEqualToSeparatorIsRefused_data()
    {
        QTest::addColumn<QString>("comma");
        QTest::addColumn<QString>("quote");
        QTest::newRow("typed") << QStringLiteral(";") << QStringLiteral(";");
        QTest::newRow("both tab") << QStringLiteral("タブ") << QStringLiteral("\t");
        QTest::newRow("comma typed as quote") << QStringLiteral("カンマ") << QStringLiteral(",");
        QTest::newRow("both empty") << QString() << QString();
    }

    void quoteEqualToSeparatorIsRefused()
    {
        QFETCH(QString, comma);
        QFETCH(QString, quote);
        ScriptedNotifier notifier;
        TCSVOptionDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        combo(dlg, "CBCommaChar")->setEditText(comma);
        combo(dlg, "CBQuoteChar")->setEditText(quote);
        dlg.findChild<QPushButton *>("OKBtn")->click();
        QVERIFY(dlg.isVisible());
        QCOMPARE(notifier.sounds, QList<Notifier::Sound> {Notifier::Sound::Beep});
        QTRY_COMPARE(QApplication::focusWidget(), combo(dlg, "CBQuoteChar"));
        QVERIFY(!Settings().sectionExists(QStringLiteral("CSVOption")));
    }

    void cancelWritesNothing()
    {
        TCSVOptionDlg dlg;
        combo(dlg, "CBCommaChar")->setCurrentIndex(1);
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

    void typingReplacesTheChosenItem()
    {
        TCSVOptionDlg dlg;
        QComboBox *box = combo(dlg, "CBCommaChar");
        QLineEdit *edit = box->lineEdit();
        edit->setCursorPosition(int(edit->text().size()));
        QTest::keyClicks(edit, QStringLiteral(";"));
        QCOMPARE(box->currentText(), QStringLiteral(";"));
        QTest::keyClicks(edit, QStringLiteral("x"));
        QCOMPARE(box->currentText(), QStringLiteral("x"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(box->currentText(), QString());
        box->setCurrentIndex(1);
        edit->setCursorPosition(1);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(box->currentText(), QString());
    }

    // A double-byte character cannot be one byte of the CSV text.
    void separatorTakesOneSingleByteCharacter()
    {
        TCSVOptionDlg dlg;
        QComboBox *box = combo(dlg, "CBQuoteChar");
        QLineEdit *edit = box->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("|"));
        QCOMPARE(box->currentText(), QStringLiteral("|"));
        edit->selectAll();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("、"), Qt::NoModifier);
        QCOMPARE(box->currentText(), QStringLiteral("|"));
        QCOMPARE(TCSVOptionDlg::CharCode(QStringLiteral("ｱ")), 0xB1);
        QCOMPARE(TCSVOptionDlg::CharCode(QStringLiteral("、")), 0);
        QCOMPARE(TCSVOptionDlg::CharCode(TCSVOptionDlg::CharText(0x81)), 0x81);
    }

    void helpOpensItsContext()
    {
        ScriptedNotifier notifier;
        TCSVOptionDlg dlg;
        dlg.findChild<QPushButton *>("HelpBtn")->click();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(&dlg, Qt::Key_F1);
        QCOMPARE(notifier.helpContexts, (QList<int> {3070, 3070}));
        QCOMPARE(HelpContextOf(combo(dlg, "CBCRChar")), 3070);
        QVERIFY(dlg.isVisible());
    }

    void layout()
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
};

QTEST_MAIN(TestCSVOptionDlg)
#include "tst_csvoptiondlg.moc"
