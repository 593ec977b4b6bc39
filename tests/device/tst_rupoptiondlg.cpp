#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "device/RupOptionDlg.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/EditEx.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/RadioGroup.h"
#include "ui/controls/UpDown.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// Header offsets of the device-side settings.
enum Offset {
    DateDsp = 9,
    InputSbjct = 10,
    UpdateSbjct = 11,
    TableLines = 12,
    DetailLines = 13,
    CursorMode = 14,
    Reserved15 = 15,
    NoSpace = 16,
    DefBefore = 17,
    DefAfter = 18,
    DetailTitle = 19,
    IrregCount = 20,
    TableMode = 21,
    FirstMode = 22,
};

THeadRec headFrom(const QByteArray &bytes)
{
    THeadRec head;
    for (int i = 0; i < THeadRec::Size; ++i)
        head.Bytes[size_t(i)] = quint8(i < bytes.size() ? bytes[i] : 0);
    return head;
}

QByteArray bytesOf(const THeadRec &head)
{
    return QByteArray(reinterpret_cast<const char *>(head.Bytes.data()), THeadRec::Size);
}

// An old signature and reserved bytes that no control shows.
QByteArray sampleHeader()
{
    QByteArray b("TideMk11\0", 9);
    // DateDsp .. FirstMode (offsets 9..22), reserved byte 15 = 5A
    b += QByteArray::fromHex("000001010200"
                             "5A"
                             "01"
                             "05"
                             "0A"
                             "01"
                             "01"
                             "01"
                             "02");
    b += QByteArray::fromHex("A1B2C3D4E5F60718FF");
    Q_ASSERT(b.size() == 32);
    return b;
}

} // namespace

class TestRupOptionDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void unchangedHeaderPassesThrough();
    void valuesAsTheControlsHoldThem_data();
    void valuesAsTheControlsHoldThem();
    void untilDoneDisablesTheAfterDays();
    void controlsWriteTheirFields();
    void restoreDefaultsWithoutStoredDefaults();
    void saveThenRestoreAfterRestart();
    void refusedConfirmationsChangeNothing();
    void dayFieldsTakeDigitsOnly();
    void upDownWrapsAndFocusesItsField();
    void afterLabelChoosesDays();
    void editHeadReplacesTheHeaderOnOk();
    void cancelAfterRestoreKeepsTheHeader();
    void helpOpensItsContext();
    void screenshot();

private:
    template <typename T> static T *child(const QObject &parent, const char *name)
    {
        T *w = parent.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }

    std::unique_ptr<TestEnvironment> m_env;
};

void TestRupOptionDlg::initTestCase()
{
    InstallFontSubstitutes();
}

void TestRupOptionDlg::init()
{
    m_env = std::make_unique<TestEnvironment>();
}

void TestRupOptionDlg::unchangedHeaderPassesThrough()
{
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(sampleHeader()));
    THeadRec out;
    dlg.ControlsToHead(out);
    QCOMPARE(bytesOf(out).toHex(), sampleHeader().toHex());
}

void TestRupOptionDlg::valuesAsTheControlsHoldThem_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("written");
    QTest::newRow("date hidden") << int(DateDsp) << 1 << 1;
    QTest::newRow("date byte 7 reads as hidden") << int(DateDsp) << 7 << 1;
    QTest::newRow("input phrases off") << int(InputSbjct) << 1 << 1;
    QTest::newRow("table lines 3 shows 7 lines") << int(TableLines) << 3 << 2;
    QTest::newRow("detail lines 200") << int(DetailLines) << 200 << 2;
    QTest::newRow("first mode 9") << int(FirstMode) << 9 << 2;
    QTest::newRow("table mode 5") << int(TableMode) << 5 << 1;
    QTest::newRow("no space 2 is on") << int(NoSpace) << 2 << 1;
    QTest::newRow("cursor mode 5 checks neither") << int(CursorMode) << 5 << 0;
    QTest::newRow("cursor stays") << int(CursorMode) << 1 << 1;
    QTest::newRow("detail title 3 keeps its byte") << int(DetailTitle) << 3 << 3;
    QTest::newRow("detail title 2") << int(DetailTitle) << 2 << 2;
    QTest::newRow("irregular count 9 is on") << int(IrregCount) << 9 << 1;
    QTest::newRow("before 120 shows 99") << int(DefBefore) << 120 << 99;
    QTest::newRow("before negative shows 0") << int(DefBefore) << 200 << 0;
    QTest::newRow("after 99") << int(DefAfter) << 99 << 99;
    QTest::newRow("after 255 until done") << int(DefAfter) << 255 << 255;
    QTest::newRow("after 128 until done") << int(DefAfter) << 128 << 255;
    QTest::newRow("after 100 shows 99") << int(DefAfter) << 100 << 99;
}

void TestRupOptionDlg::valuesAsTheControlsHoldThem()
{
    QFETCH(int, offset);
    QFETCH(int, stored);
    QFETCH(int, written);
    QByteArray bytes = sampleHeader();
    bytes[offset] = char(stored);
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(bytes));
    THeadRec out;
    dlg.ControlsToHead(out);
    QByteArray expected = bytes;
    expected[offset] = char(written);
    QCOMPARE(bytesOf(out).toHex(), expected.toHex());
}

void TestRupOptionDlg::untilDoneDisablesTheAfterDays()
{
    QByteArray bytes = sampleHeader();
    bytes[DefAfter] = 7;
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(bytes));
    QVERIFY(child<TEditEx>(dlg, "EAfter")->isEnabled());
    QCOMPARE(child<TEditEx>(dlg, "EAfter")->text(), QStringLiteral("7"));

    bytes[DefAfter] = char(255);
    dlg.HeadToControls(headFrom(bytes));
    QVERIFY(child<QRadioButton>(dlg, "RAfterCheck")->isChecked());
    QVERIFY(!child<QRadioButton>(dlg, "RAfterDay")->isChecked());
    QVERIFY(!child<TEditEx>(dlg, "EAfter")->isEnabled());
    QVERIFY(!child<TUpDown>(dlg, "UDAfter")->isEnabled());
    // The entry keeps its previous number.
    QCOMPARE(child<TEditEx>(dlg, "EAfter")->text(), QStringLiteral("7"));

    child<QRadioButton>(dlg, "RAfterDay")->click();
    QVERIFY(child<TEditEx>(dlg, "EAfter")->isEnabled());
    THeadRec out;
    dlg.ControlsToHead(out);
    QCOMPARE(int(out.Bytes[DefAfter]), 7);
}

void TestRupOptionDlg::controlsWriteTheirFields()
{
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(sampleHeader()));
    child<QCheckBox>(dlg, "CBDateDsp")->setChecked(false);
    child<QCheckBox>(dlg, "CBUpdateSbjct")->setChecked(true);
    child<TRadioGroup>(dlg, "RGTableLines")->setItemIndex(1);
    child<TRadioGroup>(dlg, "RGFirstMode")->setItemIndex(-1);
    child<QCheckBox>(dlg, "CBNoSpace")->setChecked(false);
    child<QRadioButton>(dlg, "RBCursor1")->setChecked(true);
    child<QRadioButton>(dlg, "RBDetailTitle0")->setChecked(true);
    child<QCheckBox>(dlg, "CBIrregCount")->setChecked(true);
    child<TEditEx>(dlg, "EBefore")->setText(QStringLiteral("42"));
    child<QRadioButton>(dlg, "RAfterCheck")->setChecked(true);
    THeadRec out;
    dlg.ControlsToHead(out);
    QByteArray expected = sampleHeader();
    expected[DateDsp] = 1;
    expected[UpdateSbjct] = 0;
    expected[TableLines] = 1;
    expected[FirstMode] = char(255);
    expected[NoSpace] = 0;
    expected[CursorMode] = 1;
    expected[DetailTitle] = 0;
    expected[IrregCount] = 1;
    expected[DefBefore] = 42;
    expected[DefAfter] = char(255);
    QCOMPARE(bytesOf(out).toHex(), expected.toHex());
}

void TestRupOptionDlg::restoreDefaultsWithoutStoredDefaults()
{
    ScriptedNotifier notifier;
    QByteArray bytes = sampleHeader();
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(bytes));
    child<QPushButton>(dlg, "BtnIniLoad")->click();
    QCOMPARE(notifier.confirmations, QStringList {QStringLiteral("初期値に戻します。よろしいですか？")});
    QCOMPARE(notifier.confirmButtons.value(0), Notifier::Ok | Notifier::Cancel);

    QVERIFY(child<QCheckBox>(dlg, "CBDateDsp")->isChecked());
    QVERIFY(child<QCheckBox>(dlg, "CBInputSbjct")->isChecked());
    QVERIFY(child<QCheckBox>(dlg, "CBUpdateSbjct")->isChecked());
    QVERIFY(!child<QCheckBox>(dlg, "CBNoSpace")->isChecked());
    QVERIFY(!child<QCheckBox>(dlg, "CBIrregCount")->isChecked());
    for (const char *group : {"RGTableLines", "RGDetailLines", "RGFirstMode", "RGTableMode"})
        QCOMPARE(child<TRadioGroup>(dlg, group)->ItemIndex(), 0);
    QVERIFY(child<QRadioButton>(dlg, "RBCursor0")->isChecked());
    QVERIFY(child<QRadioButton>(dlg, "RBDetailTitle0")->isChecked());
    QCOMPARE(child<TEditEx>(dlg, "EBefore")->text(), QStringLiteral("0"));
    QVERIFY(child<QRadioButton>(dlg, "RAfterDay")->isChecked());
    QCOMPARE(child<TEditEx>(dlg, "EAfter")->text(), QStringLiteral("0"));

    // Every byte now comes from the defaults, with the current signature.
    THeadRec out;
    dlg.ControlsToHead(out);
    QCOMPARE(bytesOf(out).toHex(), (QByteArray("TideMk20", 9) + QByteArray(23, '\0')).toHex());
}

void TestRupOptionDlg::saveThenRestoreAfterRestart()
{
    ScriptedNotifier notifier;
    QByteArray shown = sampleHeader();
    {
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(shown));
        child<QPushButton>(dlg, "BtnIniSave")->click();
    }
    QCOMPARE(notifier.confirmations, QStringList {QStringLiteral("初期値として保存します。よろしいですか？")});
    QCOMPARE(Settings().readString(QStringLiteral("Default"), QStringLiteral("Head"), QString()),
        QString::fromLatin1(sampleHeader().toHex().toUpper()));

    InitSettings(m_env->settingsPath());
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(QByteArray("TideMk20", 9) + QByteArray(23, char(0x11))));
    child<QPushButton>(dlg, "BtnIniLoad")->click();
    THeadRec out;
    dlg.ControlsToHead(out);
    QByteArray expected = sampleHeader();
    expected.replace(0, 9, QByteArray("TideMk20", 9));
    QCOMPARE(bytesOf(out).toHex(), expected.toHex());
}

void TestRupOptionDlg::refusedConfirmationsChangeNothing()
{
    ScriptedNotifier notifier;
    notifier.answers = {Notifier::Cancel, Notifier::Cancel};
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(sampleHeader()));
    child<QPushButton>(dlg, "BtnIniSave")->click();
    QVERIFY(!Settings().valueExists(QStringLiteral("Default"), QStringLiteral("Head")));
    child<QPushButton>(dlg, "BtnIniLoad")->click();
    THeadRec out;
    dlg.ControlsToHead(out);
    QCOMPARE(bytesOf(out).toHex(), sampleHeader().toHex());
    QCOMPARE(notifier.confirmations.size(), 2);
}

void TestRupOptionDlg::dayFieldsTakeDigitsOnly()
{
    TRupOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto *before = child<TEditEx>(dlg, "EBefore");
    before->setFocus(Qt::TabFocusReason);
    QCOMPARE(before->selectedText(), QStringLiteral("0"));
    QTest::keyClicks(before, QStringLiteral("a-1 x"));
    QCOMPARE(before->text(), QStringLiteral("1"));
    QTest::keyClicks(before, QStringLiteral("23"));
    QCOMPARE(before->text(), QStringLiteral("12"));
    QTest::keyClick(before, Qt::Key_Backspace);
    QCOMPARE(before->text(), QStringLiteral("1"));
    THeadRec out;
    dlg.ControlsToHead(out);
    QCOMPARE(int(out.Bytes[DefBefore]), 1);
}

void TestRupOptionDlg::upDownWrapsAndFocusesItsField()
{
    QByteArray bytes = sampleHeader();
    bytes[DefAfter] = 99;
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(bytes));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto *ud = child<TUpDown>(dlg, "UDAfter");
    QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, 2));
    QCOMPARE(child<TEditEx>(dlg, "EAfter")->text(), QStringLiteral("0"));
    QCOMPARE(QApplication::focusWidget(), child<TEditEx>(dlg, "EAfter"));
    QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, ud->height() - 2));
    QCOMPARE(child<TEditEx>(dlg, "EAfter")->text(), QStringLiteral("99"));
}

void TestRupOptionDlg::afterLabelChoosesDays()
{
    QByteArray bytes = sampleHeader();
    bytes[DefAfter] = char(255);
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(bytes));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(child<QLabel>(dlg, "LAfter"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(dlg, "RAfterDay")->isChecked());
    QVERIFY(child<TEditEx>(dlg, "EAfter")->isEnabled());
}

void TestRupOptionDlg::editHeadReplacesTheHeaderOnOk()
{
    TData data;
    data.Head = headFrom(sampleHeader());
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<TRupOptionDlg *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        child<QCheckBox>(*dlg, "CBIrregCount")->setChecked(false);
        child<QPushButton>(*dlg, "OKBtn")->click();
    });
    QVERIFY(EditHead(data));
    QByteArray expected = sampleHeader();
    expected[IrregCount] = 0;
    QCOMPARE(bytesOf(data.Head).toHex(), expected.toHex());

    // OK without changes still counts as an edit.
    QTimer::singleShot(0, [] { child<QPushButton>(*QApplication::activeModalWidget(), "OKBtn")->click(); });
    QVERIFY(EditHead(data));
    QCOMPARE(bytesOf(data.Head).toHex(), expected.toHex());
}

void TestRupOptionDlg::cancelAfterRestoreKeepsTheHeader()
{
    ScriptedNotifier notifier;
    TData data;
    data.Head = headFrom(sampleHeader());
    QTimer::singleShot(0, [] {
        QWidget *dlg = QApplication::activeModalWidget();
        child<QPushButton>(*dlg, "BtnIniLoad")->click();
        child<QPushButton>(*dlg, "CancelBtn")->click();
    });
    QVERIFY(!EditHead(data));
    QCOMPARE(bytesOf(data.Head).toHex(), sampleHeader().toHex());
    QCOMPARE(notifier.confirmations.size(), 1);

    // Restore, then OK: the stored defaults and the current signature.
    QTimer::singleShot(0, [] {
        QWidget *dlg = QApplication::activeModalWidget();
        child<QPushButton>(*dlg, "BtnIniLoad")->click();
        child<QPushButton>(*dlg, "OKBtn")->click();
    });
    QVERIFY(EditHead(data));
    QCOMPARE(bytesOf(data.Head).toHex(), (QByteArray("TideMk20", 9) + QByteArray(23, '\0')).toHex());
}

void TestRupOptionDlg::helpOpensItsContext()
{
    ScriptedNotifier notifier;
    TRupOptionDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    child<QPushButton>(dlg, "HelpBtn")->click();
    QTest::keyClick(&dlg, Qt::Key_F1);
    QCOMPARE(notifier.helpContexts, (QList<int> {3080, 3080}));
    QCOMPARE(HelpContextOf(child<TEditEx>(dlg, "EBefore")), 3080);
}

void TestRupOptionDlg::screenshot()
{
    QByteArray bytes = sampleHeader();
    bytes[DefBefore] = 12;
    TRupOptionDlg dlg;
    dlg.HeadToControls(headFrom(bytes));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.size(), QSize(484, 409));
    for (QWidget *w : dlg.findChildren<QWidget *>()) {
        if (w->objectName().startsWith(u"qt_") || !w->isVisible())
            continue;
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
    }
    const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); // pictures only on request
    if (!dir.isEmpty())
        dlg.grab().save(dir + QStringLiteral("/rupoptiondlg.png"));
}

QTEST_MAIN(TestRupOptionDlg)
#include "tst_rupoptiondlg.moc"
