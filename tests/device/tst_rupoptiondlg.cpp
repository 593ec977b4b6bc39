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

// Header offsets of the device-side settings used below.
enum { DefBefore = 17, DefAfter = 18, IrregCount = 20 };

// An old signature, the settings at offsets 9..22 (reserved byte 15 = 5A)
// and reserved bytes that no control shows.
const QByteArray Sample
    = QByteArray("TideMk11\0", 9) + QByteArray::fromHex("000001010200 5A 01050A01010102 A1B2C3D4E5F60718FF");
// What the controls hold after restoring with no stored defaults.
const QByteArray Defaults = QByteArray("TideMk20", 9) + QByteArray(23, '\0');

THeadRec headFrom(const QByteArray &bytes)
{
    THeadRec head;
    for (int i = 0; i < THeadRec::Size; ++i)
        head.Bytes[size_t(i)] = quint8(i < bytes.size() ? bytes[i] : 0);
    return head;
}

QByteArray hexOf(const THeadRec &head)
{
    return QByteArray(reinterpret_cast<const char *>(head.Bytes.data()), THeadRec::Size).toHex();
}

QByteArray written(const TRupOptionDlg &dlg)
{
    THeadRec out;
    dlg.ControlsToHead(out);
    return hexOf(out);
}

template <typename T = QAbstractButton> T *child(const QObject &parent, const char *name)
{
    T *w = parent.findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

} // namespace

class TestRupOptionDlg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    // Bytes 9..22 as stored and as the controls give them back, in the order
    //   date input update table-lines detail-lines cursor (reserved) no-space
    //   before after detail-title irregular table-mode first-mode
    // (none: as stored). Reserved bytes and an old signature pass through.
    void valuesAsTheControlsHoldThem_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("unchanged") << Sample.mid(9, 14).toHex(' ') << QByteArray();
        // date 7 reads as hidden, table lines 3 as 7 lines, cursor mode 5
        // checks neither, detail title 3 keeps its byte, after 128 means
        // until done
        QTest::newRow("out of range") << QByteArray("07 01 01 03 c8 05 5a 02 78 80 03 09 05 09")
                                      << QByteArray("01 01 01 02 02 00 5a 01 63 ff 03 01 01 02");
        // a negative before shows 0, after 100 shows 99
        QTest::newRow("edges") << QByteArray("00 00 01 01 02 01 5a 01 c8 64 02 01 01 02")
                               << QByteArray("00 00 01 01 02 01 5a 01 00 63 02 01 01 02");
        QTest::newRow("after 99") << QByteArray("00 00 01 01 02 00 5a 01 05 63 01 01 01 02") << QByteArray();
        QTest::newRow("until done") << QByteArray("00 00 01 01 02 00 5a 01 05 ff 01 01 01 02") << QByteArray();
    }
    void valuesAsTheControlsHoldThem()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, written);
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(Sample.left(9) + QByteArray::fromHex(stored) + Sample.mid(23)));
        const QByteArray expected = QByteArray::fromHex(written.isEmpty() ? stored : written);
        QCOMPARE(::written(dlg), (Sample.left(9) + expected + Sample.mid(23)).toHex());
    }

    void controlsWriteTheirFields()
    {
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(Sample));
        child(dlg, "CBDateDsp")->setChecked(false);
        child(dlg, "CBUpdateSbjct")->setChecked(true);
        child<TRadioGroup>(dlg, "RGTableLines")->setItemIndex(1);
        child<TRadioGroup>(dlg, "RGFirstMode")->setItemIndex(-1);
        child(dlg, "CBNoSpace")->setChecked(false);
        child(dlg, "RBCursor1")->setChecked(true);
        child(dlg, "RBDetailTitle0")->setChecked(true);
        child(dlg, "CBIrregCount")->setChecked(true);
        child<TEditEx>(dlg, "EBefore")->setText(QStringLiteral("42"));
        child(dlg, "RAfterCheck")->setChecked(true);
        // date hidden, update phrases on, 7 table lines, cursor 1, no space
        // off, before 42, until done, detail title 0, irregular on, no first mode
        const QByteArray expected
            = Sample.left(9) + QByteArray::fromHex("01 00 00 01 02 01 5a 00 2a ff 00 01 01 ff") + Sample.mid(23);
        QCOMPARE(written(dlg), expected.toHex());
    }

    // Restoring without stored defaults takes every byte from the defaults,
    // with the current signature; refused confirmations change nothing.
    void iniButtons_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("refused") << false;
    }
    void iniButtons()
    {
        QFETCH(bool, confirm);
        ScriptedNotifier notifier;
        notifier.answers = QList<Notifier::Button>(2, confirm ? Notifier::Ok : Notifier::Cancel);
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(Sample));
        child(dlg, "BtnIniLoad")->click();
        QCOMPARE(notifier.confirmations.value(0), QStringLiteral("初期値に戻します。よろしいですか？"));
        QCOMPARE(notifier.confirmButtons.value(0), Notifier::Ok | Notifier::Cancel);
        QCOMPARE(child(dlg, "RBCursor0")->isChecked(), true);
        QCOMPARE(written(dlg), (confirm ? Defaults : Sample).toHex());
        child(dlg, "BtnIniSave")->click();
        QCOMPARE(Settings().valueExists(QStringLiteral("Default"), QStringLiteral("Head")), confirm);
        QCOMPARE(notifier.confirmations.size(), 2);
    }

    void saveThenRestoreAfterRestart()
    {
        ScriptedNotifier notifier;
        {
            TRupOptionDlg dlg;
            dlg.HeadToControls(headFrom(Sample));
            child(dlg, "BtnIniSave")->click();
        }
        QCOMPARE(notifier.confirmations, QStringList {QStringLiteral("初期値として保存します。よろしいですか？")});
        QCOMPARE(Settings().readString(QStringLiteral("Default"), QStringLiteral("Head"), QString()),
            QString::fromLatin1(Sample.toHex().toUpper()));

        InitSettings(m_env->settingsPath());
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(QByteArray("TideMk20", 9) + QByteArray(23, char(0x11))));
        child(dlg, "BtnIniLoad")->click();
        QCOMPARE(written(dlg), (QByteArray("TideMk20", 9) + Sample.mid(9)).toHex());
    }

    void dayFieldsByKeyMouseAndLabel()
    {
        QByteArray bytes = Sample;
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(bytes));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // "until done" disables the after days, which keep their number
        bytes[DefAfter] = char(255);
        dlg.HeadToControls(headFrom(bytes));
        auto *after = child<TEditEx>(dlg, "EAfter");
        auto *ud = child<TUpDown>(dlg, "UDAfter");
        QVERIFY(child(dlg, "RAfterCheck")->isChecked());
        QVERIFY(!child(dlg, "RAfterDay")->isChecked());
        QVERIFY(!after->isEnabled());
        QVERIFY(!ud->isEnabled());
        QCOMPARE(after->text(), QStringLiteral("10"));

        // digits only, two at most
        auto *before = child<TEditEx>(dlg, "EBefore");
        before->setFocus(Qt::TabFocusReason);
        QCOMPARE(before->selectedText(), QStringLiteral("5"));
        QTest::keyClicks(before, QStringLiteral("a-1 x"));
        QCOMPARE(before->text(), QStringLiteral("1"));
        QTest::keyClicks(before, QStringLiteral("23"));
        QCOMPARE(before->text(), QStringLiteral("12"));
        QTest::keyClick(before, Qt::Key_Backspace);
        QCOMPARE(before->text(), QStringLiteral("1"));
        before->setText(QStringLiteral("12"));
        before->setCursorPosition(0);
        QTest::keyClick(before, Qt::Key_Delete);
        QCOMPARE(before->text(), QStringLiteral("2"));
        before->setText(QStringLiteral("1"));

        // the label chooses days; the spinner wraps and focuses its field
        QTest::mouseClick(child<QLabel>(dlg, "LAfter"), Qt::LeftButton);
        QVERIFY(child(dlg, "RAfterDay")->isChecked());
        QVERIFY(after->isEnabled() && ud->isEnabled());
        after->setText(QStringLiteral("99"));
        QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, 2));
        QCOMPARE(after->text(), QStringLiteral("0"));
        QCOMPARE(QApplication::focusWidget(), after);
        QCOMPARE(after->selectedText(), QStringLiteral("0")); // typing replaces it
        QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, ud->height() - 2));
        QCOMPARE(after->text(), QStringLiteral("99"));
        bytes[DefBefore] = 1;
        bytes[DefAfter] = 99;
        QCOMPARE(written(dlg), bytes.toHex());
    }

    // A click into a day field selects its number as Tab does: typing
    // replaces it.
    void dayFieldEnteredByClick_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("before") << QByteArray("EBefore");
        QTest::newRow("after") << QByteArray("EAfter");
    }
    void dayFieldEnteredByClick()
    {
        QFETCH(QByteArray, field);
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(Defaults));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        auto *edit = child<TEditEx>(dlg, field.constData());
        child(dlg, "CBDateDsp")->setFocus();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), QStringLiteral("0"));
        QTest::keyClick(edit, Qt::Key_3);
        QCOMPARE(edit->text(), QStringLiteral("3"));
    }

    // A day field without a number stops OK and the save of the defaults;
    // the after days count only while they are enabled.
    void dayFieldWithoutNumberRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("untilDone");
        QTest::addColumn<bool>("refused");
        QTest::newRow("before empty") << "EBefore"
                                      << "" << false << true;
        QTest::newRow("before pasted letters") << "EBefore"
                                               << "ab" << false << true;
        QTest::newRow("after empty") << "EAfter"
                                     << "" << false << true;
        QTest::newRow("after empty but until done") << "EAfter"
                                                    << "" << true << false;
    }
    void dayFieldWithoutNumberRefused()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, untilDone);
        QFETCH(bool, refused);
        ScriptedNotifier notifier;
        notifier.answers = {Notifier::Ok};
        QByteArray bytes = Sample;
        if (untilDone)
            bytes[DefAfter] = char(255);
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(bytes));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        auto *edit = dlg.findChild<TEditEx *>(field);
        edit->setText(text);
        child(dlg, "BtnIniSave")->click();
        QCOMPARE(Settings().valueExists(QStringLiteral("Default"), QStringLiteral("Head")), !refused);
        child(dlg, "OKBtn")->click();
        QCOMPARE(dlg.result(), refused ? int(QDialog::Rejected) : int(QDialog::Accepted));
        QCOMPARE(notifier.sounds.count(Notifier::Sound::Beep), refused ? 2 : 0);
        if (refused)
            QCOMPARE(QApplication::focusWidget(), edit);
    }

    // EditHead replaces the header on OK, even unchanged, and keeps it on
    // Cancel, even after a restore.
    void editHead_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("irregCount");
        QTest::newRow("change, OK") << QStringList {"CBIrregCount", "OKBtn"} << true << 0;
        QTest::newRow("OK") << QStringList {"OKBtn"} << true << 1;
        QTest::newRow("restore, cancel") << QStringList {"BtnIniLoad", "CancelBtn"} << false << 1;
    }
    void editHead()
    {
        QFETCH(QStringList, clicks);
        QFETCH(bool, result);
        QFETCH(int, irregCount);
        ScriptedNotifier notifier;
        TData data(Settings());
        data.Head = headFrom(Sample);
        QTimer::singleShot(0, [&] {
            for (const QString &name : clicks)
                child(*QApplication::activeModalWidget(), qPrintable(name))->click();
        });
        QCOMPARE(EditHead(data), result);
        QByteArray expected = Sample;
        expected[IrregCount] = char(irregCount);
        QCOMPARE(hexOf(data.Head), expected.toHex());
    }

    void layoutAndHelp()
    {
        ScriptedNotifier notifier;
        TRupOptionDlg dlg;
        dlg.HeadToControls(headFrom(Sample));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // The designed 484 x 409, taller where the font needs it.
        QCOMPARE(dlg.width(), 484);
        QVERIFY(dlg.height() >= 409);
        for (QWidget *w : dlg.findChildren<QWidget *>()) {
            if (!w->objectName().startsWith(u"qt_") && w->isVisible())
                QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        // Nothing overlaps a neighbour, and the buttons of a group stay
        // inside its frame, below the caption.
        QList<QWidget *> parents = dlg.findChildren<QWidget *>();
        parents << &dlg;
        for (QWidget *parent : std::as_const(parents)) {
            QList<QWidget *> shown;
            for (QWidget *w : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                if (w->isVisible() && !w->objectName().startsWith(u"qt_") && w->objectName() != u"LDisplay")
                    shown << w;
            for (qsizetype i = 0; i < shown.size(); ++i) {
                for (qsizetype j = i + 1; j < shown.size(); ++j)
                    QVERIFY2(!shown[i]->geometry().intersects(shown[j]->geometry()),
                        qPrintable(shown[i]->objectName() + u' ' + shown[j]->objectName()));
                auto *button = qobject_cast<QAbstractButton *>(shown[i]);
                if (!button || button->text().isEmpty())
                    continue;
                if (qobject_cast<QRadioButton *>(button) && qobject_cast<QGroupBox *>(parent))
                    QVERIFY2(parent->contentsRect().contains(button->geometry()), qPrintable(button->text()));
                // a push button's hint adds the style's generous padding
                const int needed = qobject_cast<QPushButton *>(button)
                    ? button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + 8
                    : button->sizeHint().width();
                QVERIFY2(needed <= button->width(), qPrintable(button->text()));
            }
        }
        if (const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); !dir.isEmpty())
            dlg.grab().save(dir + QStringLiteral("/rupoptiondlg.png"));
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        child(dlg, "HelpBtn")->click();
        QTest::keyClick(&dlg, Qt::Key_F1);
        QCOMPARE(notifier.helpContexts, (QList<int> {3080, 3080}));
        QCOMPARE(HelpContextOf(child<TEditEx>(dlg, "EBefore")), 3080);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestRupOptionDlg)
#include "tst_rupoptiondlg.moc"
