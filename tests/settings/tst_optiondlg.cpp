#include "FontChecks.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "calendar/HolidaySettings.h"
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

// The application settings dialog and what it writes to section "Option".
class TestOptionDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

    QByteArray fileContents() const
    {
        QFile f(m_env->settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The lines of section "Option" as stored, from its header on.
    QString optionSection() const
    {
        const QString all = QString::fromUtf8(fileContents());
        const qsizetype start = all.indexOf(QStringLiteral("[Option]\n"));
        const qsizetype end = all.indexOf(QStringLiteral("\n["), start);
        QString section = start < 0 ? QString() : end < 0 ? all.mid(start) : all.mid(start, end - start + 1);
        if (section.endsWith(u"\n\n")) // the blank line before the next section
            section.chop(1);
        return section;
    }
    void store(const QByteArray &ini)
    {
        QFile f(m_env->settingsPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Option]\n" + ini);
    }
    template <typename T> static T *child(const QObject &parent, const char *name)
    {
        T *w = parent.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    static void ok(const TOptionDlg &dlg) { child<QPushButton>(dlg, "OKBtn")->click(); }
    static QString sample(const TOptionDlg &dlg) { return child<QLabel>(dlg, "FontSample")->text(); }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void missingFileShowsAndWritesDefaults()
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
        QVERIFY(child<QCheckBox>(dlg, "CBHolidayLaw")->isChecked());
        QCOMPARE(sample(dlg), QStringLiteral("ＭＳ Ｐゴシック 9p"));
        // The stored face is shown in the installed family that stands in for it.
        QCOMPARE(UninstalledFamilies(dlg), QStringList());
        ok(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(optionSection(),
            QStringLiteral("[Option]\nDock=1\nIrDA=0\nDefaultPort=1\nSpeed=4\nRupFileMode=1\nRupFile=\n"
                           "RupAutoOpen=0\nFontName=ＭＳ Ｐゴシック\nFontSize=9\nFontStyle=\nToolBtn=1\n"
                           "HolidayLaw=1\n"));
    }

    void okWritesEveryKeyInOrder()
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
        QCOMPARE(sample(dlg), QStringLiteral("ＭＳ ゴシック Bold Italic 12p"));
        child<TRadioGroup>(dlg, "RGToolBtn")->setItemIndex(2);
        child<QCheckBox>(dlg, "CBHolidayLaw")->setChecked(false);
        ok(dlg);
        QCOMPARE(optionSection(),
            QStringLiteral("[Option]\nDock=3\nIrDA=10\nDefaultPort=0\nSpeed=10\nRupFileMode=0\nRupFile=自動.tmd\n"
                           "RupAutoOpen=1\nFontName=ＭＳ ゴシック\nFontSize=12\nFontStyle=Bold,Italic\nToolBtn=2\n"
                           "HolidayLaw=0\n"));
    }

    void cancelWritesNothing()
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
        QVERIFY2(!fileContents().contains("[Option]"), fileContents().constData());
    }

    // The stored choice is shown; OK stores the new one and calendars that
    // follow the setting change at once, Cancel leaves them.
    void holidayLaw_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<bool>("accept");
        QTest::newRow("law to classic") << QByteArray("HolidayLaw=1\n") << true << false << true;
        QTest::newRow("classic to law") << QByteArray("HolidayLaw=0\n") << false << true << true;
        QTest::newRow("garbage reads as law") << QByteArray("HolidayLaw=x\n") << true << false << true;
        QTest::newRow("cancelled") << QByteArray("HolidayLaw=0\n") << false << true << false;
    }
    void holidayLaw()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, shown);
        QFETCH(bool, chosen);
        QFETCH(bool, accept);
        store(stored);
        HolidayRules rules;
        FollowHolidaySetting(rules);
        const HolidaySet before = shown ? HolidaySet::Law : HolidaySet::Classic;
        QCOMPARE(rules.holidaySet(), before);
        TOptionDlg dlg;
        auto *check = child<QCheckBox>(dlg, "CBHolidayLaw");
        QCOMPARE(check->isChecked(), shown);
        QCOMPARE(check->text(), QStringLiteral("祝日を現行の祝日法で判定する"));
        check->setChecked(chosen);
        if (accept)
            ok(dlg);
        else
            child<QPushButton>(dlg, "CancelBtn")->click();
        const HolidaySet after = chosen ? HolidaySet::Law : HolidaySet::Classic;
        QCOMPARE(rules.holidaySet(), accept ? after : before);
        QCOMPARE(HolidaySetFromSettings(Settings()), accept ? after : before);
        // 2026-12-23 is a holiday in the classic lines only.
        QCOMPARE(rules.GetDayFlags(2026, 12, 23).testFlag(dfHoliday), rules.holidaySet() == HolidaySet::Classic);
    }

    // The connection panel shows only with both ports; a first link that names a
    // port set to "なし" is corrected, as stored and as changed.
    void portRules_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("dock"); // -1: as stored
        QTest::addColumn<int>("irda");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<bool>("dockFirst");
        QTest::newRow("infrared first") << QByteArray("Dock=1\nIrDA=2\nDefaultPort=0\n") << -1 << -1 << true << false;
        QTest::newRow("dock first") << QByteArray("Dock=1\nIrDA=2\nDefaultPort=1\n") << -1 << -1 << true << true;
        QTest::newRow("no infrared port") << QByteArray("Dock=1\nIrDA=0\nDefaultPort=0\n") << -1 << -1 << false << true;
        QTest::newRow("no dock port") << QByteArray("Dock=0\nIrDA=3\nDefaultPort=1\n") << -1 << -1 << false << false;
        QTest::newRow("both set to none") << QByteArray("Dock=5\nIrDA=6\n") << 0 << 0 << false << true;
        QTest::newRow("infrared only") << QByteArray("Dock=5\nIrDA=6\n") << 0 << 4 << false << false;
        QTest::newRow("dock only") << QByteArray("Dock=5\nIrDA=6\n") << 2 << 0 << false << true;
        QTest::newRow("both") << QByteArray("Dock=5\nIrDA=6\n") << 2 << 4 << true << true;
    }
    void portRules()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, dock);
        QFETCH(int, irda);
        QFETCH(bool, dockFirst);
        store(ini);
        TOptionDlg dlg;
        dlg.show();
        if (dock >= 0) {
            QVERIFY(child<QWidget>(dlg, "PPort")->isVisible());
            child<QComboBox>(dlg, "CBDock")->setCurrentIndex(dock);
            child<QComboBox>(dlg, "CBIrDA")->setCurrentIndex(irda);
        }
        QTEST(child<QWidget>(dlg, "PPort")->isVisible(), "panel");
        QCOMPARE(child<QRadioButton>(dlg, "RBDock")->isChecked(), dockFirst);
        QCOMPARE(child<QRadioButton>(dlg, "RBIrDA")->isChecked(), !dockFirst);
        ok(dlg);
        QVERIFY(optionSection().contains(dockFirst ? u"DefaultPort=1" : u"DefaultPort=0"));
    }

    // Each port list shows the serial device of the port it names: the
    // stored one, else the default; OK writes only what was changed, to
    // "[Ports] COMn", and an emptied field goes back to the default.
    void portDevices()
    {
        QFile f(m_env->settingsPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Option]\nDock=3\nIrDA=0\n[Ports]\nCOM3=/dev/ttyUSB0\nCOM5=/dev/ttyACM0\n");
        f.close();
        TOptionDlg dlg;
        auto *dock = child<QComboBox>(dlg, "CBDock");
        auto *irda = child<QComboBox>(dlg, "CBIrDA");
        auto *dockDevice = child<QComboBox>(dlg, "CBDockDevice");
        auto *irdaDevice = child<QComboBox>(dlg, "CBIrDADevice");
        QCOMPARE(dockDevice->currentText(), QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(dockDevice->isEditable());
        QVERIFY(!irdaDevice->isEnabled());

        irda->setCurrentIndex(2);
        QVERIFY(irdaDevice->isEnabled());
        QCOMPARE(irdaDevice->currentText(), QStringLiteral("/dev/ttyS1"));
        irdaDevice->setEditText(QStringLiteral("/dev/pts/7"));
        // a port chosen in both lists shares one device
        dock->setCurrentIndex(2);
        QCOMPARE(dockDevice->currentText(), QStringLiteral("/dev/pts/7"));
        dockDevice->setEditText(QStringLiteral("/dev/pts/8"));
        QCOMPARE(irdaDevice->currentText(), QStringLiteral("/dev/pts/8"));
        // what was typed for a port stays with it while the list moves on
        dock->setCurrentIndex(3);
        QCOMPARE(dockDevice->currentText(), QStringLiteral("/dev/ttyUSB0"));
        dockDevice->setEditText(QString());
        dock->setCurrentIndex(5);
        QCOMPARE(dockDevice->currentText(), QStringLiteral("/dev/ttyACM0"));
        ok(dlg);

        SettingsFile &ini = Settings();
        const QString ports = QStringLiteral("Ports");
        QCOMPARE(ini.readString(ports, QStringLiteral("COM2"), {}), QStringLiteral("/dev/pts/8"));
        QVERIFY(!ini.valueExists(ports, QStringLiteral("COM3")));
        QCOMPARE(ini.readString(ports, QStringLiteral("COM5"), {}), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(ini.readSection(ports), (QStringList {"COM5", "COM2"}));
    }

    void portDevicesCancelled()
    {
        TOptionDlg dlg;
        child<QComboBox>(dlg, "CBDockDevice")->setEditText(QStringLiteral("/dev/ttyUSB1"));
        child<QPushButton>(dlg, "CancelBtn")->click();
        QVERIFY(!Settings().sectionExists(QStringLiteral("Ports")));
    }

    void speedCodes_data()
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
    void speedCodes()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, written);
        store("Speed=" + QByteArray::number(stored) + "\n");
        TOptionDlg dlg;
        auto *speed = child<QComboBox>(dlg, "CBSpeed");
        QCOMPARE(speed->currentIndex() < 0, shown.isEmpty());
        QCOMPARE(speed->currentText(), shown);
        ok(dlg);
        QVERIFY(fileContents().contains("\nSpeed=" + QByteArray::number(written) + "\n"));
    }

    void storedFontAndToolBarShown()
    {
        store("FontName=ＭＳ ゴシック\nFontSize=12\nFontStyle=Italic,Bold\nToolBtn=7\n");
        TOptionDlg dlg;
        QCOMPARE(sample(dlg), QStringLiteral("ＭＳ ゴシック Bold Italic 12p"));
        QVERIFY(child<QLabel>(dlg, "FontSample")->font().bold());
        QVERIFY(child<QLabel>(dlg, "FontSample")->font().italic());
        QCOMPARE(child<TRadioGroup>(dlg, "RGToolBtn")->ItemIndex(), 2); // clamped
        ok(dlg);
        QVERIFY(
            optionSection().contains(QStringLiteral("FontName=ＭＳ ゴシック\nFontSize=12\nFontStyle=Bold,Italic\n")));
    }

    void fontDialogChoosesTheSample()
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
        // The installed stand-in does not rename the stored Windows face.
        QCOMPARE(sample(dlg), QStringLiteral("ＭＳ Ｐゴシック Bold 14p"));
        QTimer::singleShot(0, &dlg, [&] { dlg.fontDialog()->reject(); });
        child<QPushButton>(dlg, "FontBtn")->click();
        QCOMPARE(sample(dlg), QStringLiteral("ＭＳ Ｐゴシック Bold 14p"));
        // Another family is taken as chosen.
        QTimer::singleShot(0, &dlg, [&] {
            dlg.fontDialog()->setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 10));
            dlg.fontDialog()->accept();
        });
        child<QPushButton>(dlg, "FontBtn")->click();
        QVERIFY2(sample(dlg).startsWith(QStringLiteral("DejaVu Sans ")), qPrintable(sample(dlg)));
        ok(dlg);
        QVERIFY(optionSection().contains(QStringLiteral("FontName=DejaVu Sans\n")));
    }

    void activePageRememberedAndHelp()
    {
        {
            TOptionDlg dlg;
            dlg.show();
            child<QTabWidget>(dlg, "PCOption")->setCurrentIndex(1);
            child<QPushButton>(dlg, "CancelBtn")->click();
        }
        QCOMPARE(Settings().readString(QStringLiteral("WindowPos"), QStringLiteral("OptionDlg.PCOption"), QString()),
            QStringLiteral("1"));
        ScriptedNotifier notifier;
        TOptionDlg dlg;
        dlg.show();
        QCOMPARE(child<QTabWidget>(dlg, "PCOption")->currentWidget()->objectName(), QStringLiteral("Display"));
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        child<QPushButton>(dlg, "HelpBtn")->click();
        QTest::keyClick(&dlg, Qt::Key_F1);
        QCOMPARE(notifier.helpContexts, (QList<int> {3040, 3040}));
        // The program-wide F1 key finds the same context from any control.
        QCOMPARE(HelpContextOf(child<QLineEdit>(dlg, "ERupFile")), 3040);
    }

    // Nothing clipped; set TIDEMARK_SHOTS to a folder to look at the pictures.
    void layout()
    {
        store("Dock=1\nIrDA=10\nRupFile=自動ToDo.tmd\n");
        TOptionDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // the Part's 362 x 284 and a column for the serial devices
        QCOMPARE(dlg.size(), QSize(458, 284));
        auto *pages = child<QTabWidget>(dlg, "PCOption");
        const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS");
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
};

QTEST_MAIN(TestOptionDlg)
#include "tst_optiondlg.moc"
