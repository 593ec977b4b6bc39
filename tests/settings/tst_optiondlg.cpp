#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "settings/AppSettings.h"
#include "settings/OptionDlg.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/RadioGroup.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

class TestOptionDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void missingFileShowsDefaults();
    void okWithoutSettingsWritesTheDefaults();
    void okWritesEveryKeyInOrder();
    void cancelWritesNothing();
    void portRules_data();
    void portRules();
    void storedFirstLinkFollowsThePorts_data();
    void storedFirstLinkFollowsThePorts();
    void speedCodes_data();
    void speedCodes();
    void storedFontShown();
    void fontDialogChoosesTheSample();
    void toolBarIndexClamped();
    void activePageRemembered();
    void helpOpensItsContext();
    void screenshots();

private:
    QByteArray fileContents() const;
    // The lines of section "Option" as stored, from its header on.
    QString optionSection() const;
    void store(const QByteArray &ini);
    template <typename T> static T *child(const QObject &parent, const char *name)
    {
        T *w = parent.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }

    std::unique_ptr<TestEnvironment> m_env;
};

void TestOptionDlg::initTestCase()
{
    InstallFontSubstitutes();
}

void TestOptionDlg::init()
{
    m_env = std::make_unique<TestEnvironment>();
}

QByteArray TestOptionDlg::fileContents() const
{
    QFile f(m_env->settingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString TestOptionDlg::optionSection() const
{
    const QString all = QString::fromUtf8(fileContents());
    const qsizetype start = all.indexOf(QStringLiteral("[Option]\n"));
    if (start < 0)
        return QString();
    const qsizetype end = all.indexOf(QStringLiteral("\n["), start);
    return end < 0 ? all.mid(start) : all.mid(start, end - start + 1);
}

void TestOptionDlg::store(const QByteArray &ini)
{
    QFile f(m_env->settingsPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
}

void TestOptionDlg::missingFileShowsDefaults()
{
    TOptionDlg dlg;
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("オプション設定"));
    QCOMPARE(child<QTabWidget>(dlg, "PCOption")->currentWidget()->objectName(), QStringLiteral("Ruputer"));
    QCOMPARE(child<QComboBox>(dlg, "CBDock")->currentText(), QStringLiteral("COM1"));
    QCOMPARE(child<QComboBox>(dlg, "CBIrDA")->currentText(), QStringLiteral("なし"));
    QVERIFY(!child<QWidget>(dlg, "PPort")->isVisible());
    QVERIFY(child<QRadioButton>(dlg, "RBDock")->isChecked());
    QCOMPARE(child<QComboBox>(dlg, "CBSpeed")->currentText(), QStringLiteral("19200bps"));
    QVERIFY(child<QRadioButton>(dlg, "RBDefault")->isChecked());
    QVERIFY(child<QLineEdit>(dlg, "ERupFile")->text().isEmpty());
    QVERIFY(!child<QCheckBox>(dlg, "CBRupAutoOpen")->isChecked());
    QCOMPARE(child<TRadioGroup>(dlg, "RGToolBtn")->ItemIndex(), 1);
    QCOMPARE(child<QLabel>(dlg, "FontSample")->text(), QStringLiteral("ＭＳ Ｐゴシック 9p"));
}

void TestOptionDlg::okWithoutSettingsWritesTheDefaults()
{
    TOptionDlg dlg;
    child<QPushButton>(dlg, "OKBtn")->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(optionSection(),
        QStringLiteral("[Option]\nDock=1\nIrDA=0\nDefaultPort=1\nSpeed=4\nRupFileMode=1\nRupFile=\n"
                       "RupAutoOpen=0\nFontName=ＭＳ Ｐゴシック\nFontSize=9\nFontStyle=\nToolBtn=1\n"));
}

void TestOptionDlg::okWritesEveryKeyInOrder()
{
    TOptionDlg dlg;
    child<QComboBox>(dlg, "CBDock")->setCurrentIndex(3);
    child<QComboBox>(dlg, "CBIrDA")->setCurrentIndex(10);
    child<QRadioButton>(dlg, "RBIrDA")->setChecked(true);
    child<QComboBox>(dlg, "CBSpeed")->setCurrentIndex(7);
    child<QRadioButton>(dlg, "RBLock")->setChecked(true);
    child<QLineEdit>(dlg, "ERupFile")->setText(QStringLiteral("自動.tmd"));
    child<QCheckBox>(dlg, "CBRupAutoOpen")->setChecked(true);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(12);
    font.setBold(true);
    font.setItalic(true);
    dlg.ShowFontSample(font);
    QCOMPARE(child<QLabel>(dlg, "FontSample")->text(), QStringLiteral("ＭＳ ゴシック Bold Italic 12p"));
    child<TRadioGroup>(dlg, "RGToolBtn")->setItemIndex(2);
    child<QPushButton>(dlg, "OKBtn")->click();
    QCOMPARE(optionSection(),
        QStringLiteral("[Option]\nDock=3\nIrDA=10\nDefaultPort=0\nSpeed=10\nRupFileMode=0\nRupFile=自動.tmd\n"
                       "RupAutoOpen=1\nFontName=ＭＳ ゴシック\nFontSize=12\nFontStyle=Bold,Italic\nToolBtn=2\n"));
}

void TestOptionDlg::cancelWritesNothing()
{
    TOptionDlg dlg;
    child<QComboBox>(dlg, "CBDock")->setCurrentIndex(4);
    child<QPushButton>(dlg, "CancelBtn")->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    TOptionDlg escaped;
    escaped.show();
    QVERIFY(QTest::qWaitForWindowActive(&escaped));
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());

    const QByteArray contents = fileContents();
    QVERIFY2(!contents.contains("[Option]"), contents.constData());
}

void TestOptionDlg::portRules_data()
{
    QTest::addColumn<int>("dock");
    QTest::addColumn<int>("irda");
    QTest::addColumn<bool>("panel");
    QTest::addColumn<bool>("dockFirst");
    QTest::newRow("both none") << 0 << 0 << false << true;
    QTest::newRow("infrared only") << 0 << 4 << false << false;
    QTest::newRow("dock only") << 2 << 0 << false << true;
    QTest::newRow("both") << 2 << 4 << true << true;
}

void TestOptionDlg::portRules()
{
    QFETCH(int, dock);
    QFETCH(int, irda);
    QFETCH(bool, panel);
    QFETCH(bool, dockFirst);
    store("[Option]\nDock=5\nIrDA=6\n");
    TOptionDlg dlg;
    dlg.show();
    QVERIFY(child<QWidget>(dlg, "PPort")->isVisible());
    child<QComboBox>(dlg, "CBDock")->setCurrentIndex(dock);
    child<QComboBox>(dlg, "CBIrDA")->setCurrentIndex(irda);
    QCOMPARE(child<QWidget>(dlg, "PPort")->isVisible(), panel);
    QCOMPARE(child<QRadioButton>(dlg, "RBDock")->isChecked(), dockFirst);
    QCOMPARE(child<QRadioButton>(dlg, "RBIrDA")->isChecked(), !dockFirst);
    child<QPushButton>(dlg, "OKBtn")->click();
    QVERIFY(optionSection().contains(dockFirst ? u"DefaultPort=1" : u"DefaultPort=0"));
}

void TestOptionDlg::storedFirstLinkFollowsThePorts_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("dockFirst");
    QTest::newRow("both ports, infrared first") << QByteArray("Dock=1\nIrDA=2\nDefaultPort=0\n") << false;
    QTest::newRow("both ports, dock first") << QByteArray("Dock=1\nIrDA=2\nDefaultPort=1\n") << true;
    QTest::newRow("no infrared port") << QByteArray("Dock=1\nIrDA=0\nDefaultPort=0\n") << true;
    QTest::newRow("no dock port") << QByteArray("Dock=0\nIrDA=3\nDefaultPort=1\n") << false;
}

void TestOptionDlg::storedFirstLinkFollowsThePorts()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, dockFirst);
    store("[Option]\n" + ini);
    TOptionDlg dlg;
    QCOMPARE(child<QRadioButton>(dlg, "RBDock")->isChecked(), dockFirst);
    QCOMPARE(child<QRadioButton>(dlg, "RBIrDA")->isChecked(), !dockFirst);
}

void TestOptionDlg::speedCodes_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("written");
    QTest::newRow("115200") << 1 << QString() << 2;
    QTest::newRow("57600") << 2 << QString() << 2;
    QTest::newRow("38400") << 3 << QStringLiteral("38400bps") << 3;
    QTest::newRow("9600") << 5 << QStringLiteral(" 9600bps") << 5;
    QTest::newRow("300") << 10 << QStringLiteral("  300bps") << 10;
    QTest::newRow("beyond the list") << 11 << QString() << 2;
}

void TestOptionDlg::speedCodes()
{
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, written);
    store("[Option]\nSpeed=" + QByteArray::number(stored) + "\n");
    TOptionDlg dlg;
    auto *speed = child<QComboBox>(dlg, "CBSpeed");
    QCOMPARE(speed->currentIndex() < 0, shown.isEmpty());
    QCOMPARE(speed->currentText(), shown);
    child<QPushButton>(dlg, "OKBtn")->click();
    QVERIFY(fileContents().contains("\nSpeed=" + QByteArray::number(written) + "\n"));
}

void TestOptionDlg::storedFontShown()
{
    store("[Option]\nFontName=ＭＳ ゴシック\nFontSize=12\nFontStyle=Italic,Bold\n");
    TOptionDlg dlg;
    auto *sample = child<QLabel>(dlg, "FontSample");
    QCOMPARE(sample->text(), QStringLiteral("ＭＳ ゴシック Bold Italic 12p"));
    QVERIFY(sample->font().bold());
    QVERIFY(sample->font().italic());
    child<QPushButton>(dlg, "OKBtn")->click();
    QVERIFY(QString::fromUtf8(fileContents())
                .contains(QStringLiteral("FontName=ＭＳ ゴシック\nFontSize=12\nFontStyle=Bold,Italic\n")));
}

void TestOptionDlg::fontDialogChoosesTheSample()
{
    TOptionDlg dlg;
    dlg.show();
    QFont chosen(JapaneseUiFamily());
    chosen.setPointSize(14);
    chosen.setBold(true);
    bool seen = false;
    QTimer::singleShot(0, &dlg, [&] {
        QFontDialog *fd = dlg.fontDialog();
        seen = fd->isVisible() && fd->currentFont().pointSize() == 9;
        fd->setCurrentFont(chosen);
        fd->accept();
    });
    child<QPushButton>(dlg, "FontBtn")->click();
    QVERIFY(seen);
    QVERIFY2(child<QLabel>(dlg, "FontSample")->text().endsWith(QStringLiteral(" Bold 14p")),
        qPrintable(child<QLabel>(dlg, "FontSample")->text()));

    QTimer::singleShot(0, &dlg, [&] { dlg.fontDialog()->reject(); });
    child<QPushButton>(dlg, "FontBtn")->click();
    QVERIFY(child<QLabel>(dlg, "FontSample")->text().endsWith(QStringLiteral(" Bold 14p")));
}

void TestOptionDlg::toolBarIndexClamped()
{
    store("[Option]\nToolBtn=7\n");
    TOptionDlg dlg;
    QCOMPARE(child<TRadioGroup>(dlg, "RGToolBtn")->ItemIndex(), 2);
}

void TestOptionDlg::activePageRemembered()
{
    {
        TOptionDlg dlg;
        dlg.show();
        child<QTabWidget>(dlg, "PCOption")->setCurrentIndex(1);
        child<QPushButton>(dlg, "CancelBtn")->click();
    }
    QCOMPARE(Settings().readString(QStringLiteral("WindowPos"), QStringLiteral("OptionDlg.PCOption"), QString()),
        QStringLiteral("1"));
    TOptionDlg dlg;
    dlg.show();
    QCOMPARE(child<QTabWidget>(dlg, "PCOption")->currentWidget()->objectName(), QStringLiteral("Display"));
}

void TestOptionDlg::helpOpensItsContext()
{
    ScriptedNotifier notifier;
    TOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    child<QPushButton>(dlg, "HelpBtn")->click();
    QTest::keyClick(&dlg, Qt::Key_F1);
    QCOMPARE(notifier.helpContexts, (QList<int> {3040, 3040}));
    // The program-wide F1 key finds the same context from any control.
    QCOMPARE(HelpContextOf(child<QLineEdit>(dlg, "ERupFile")), 3040);
}

void TestOptionDlg::screenshots()
{
    store("[Option]\nDock=1\nIrDA=10\nRupFile=自動ToDo.tmd\n");
    TOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.size(), QSize(362, 284));
    auto *pages = child<QTabWidget>(dlg, "PCOption");
    const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); // pictures only on request
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QWidget *sheet = pages->widget(page);
        for (QWidget *w : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(sheet->rect().contains(w->geometry()), qPrintable(w->objectName()));
        if (!dir.isEmpty())
            dlg.grab().save(dir + QStringLiteral("/optiondlg-%1.png").arg(page));
    }
    pages->setCurrentIndex(0);
    auto *irda = child<QComboBox>(dlg, "CBIrDA");
    irda->showPopup();
    QTRY_VERIFY(irda->view()->isVisible());
    QVERIFY(irda->view()->viewport()->width() >= irda->view()->sizeHintForColumn(0));
    if (!dir.isEmpty())
        irda->view()->window()->grab().save(dir + QStringLiteral("/optiondlg-ports.png"));
    irda->hidePopup();
}

QTEST_MAIN(TestOptionDlg)
#include "tst_optiondlg.moc"
