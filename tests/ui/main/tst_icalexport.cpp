#include "../../data/DataFixtures.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "calendar/DateEdit.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/main/ListForm.h"
#include "ui/schedule/ICalendarRangeDialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <functional>

namespace {

// Runs `step` on the next modal window once it is up.
void onNextModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step = std::move(step)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return onNextModal(step);
        step(modal);
    });
}

// A meeting on 2026-12-20 and the rent at the end of every month.
QByteArray itemFile()
{
    RecordBytes meeting(160);
    meeting.text(6, sj(QStringLiteral("会議"))).u8(104, 0).date(106, 2026, 12, 20);
    RecordBytes rent(160);
    rent.text(6, sj(QStringLiteral("家賃"))).u8(104, 1).u16(118, 0x0FFF).u8(120, 31);
    return HeaderBytes("TideMk20") + meeting.bytes + rent.bytes;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestICalExport : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notifier;
    std::deque<std::optional<QString>> m_answers;
    QStringList m_presets;
    QString m_path;

    // The range dialog answered with from..to (OK), or cancelled when empty.
    void answerRange(const QString &from, const QString &to, bool *seen)
    {
        onNextModal([from, to, seen](QWidget *modal) {
            auto *dialog = qobject_cast<ICalendarRangeDialog *>(modal);
            *seen = dialog != nullptr;
            if (!dialog)
                return;
            if (from.isEmpty())
                return dialog->CancelBtn->click();
            dialog->EFrom->setText(from);
            dialog->ETo->setText(to);
            dialog->OKBtn->click();
        });
    }

    std::unique_ptr<TListForm> openDocument()
    {
        m_path = WriteFile(m_env->path(QStringLiteral("todo.tmd")), itemFile());
        auto form = std::make_unique<TListForm>(m_path);
        QCoreApplication::processEvents();
        return form;
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_notifier = std::make_unique<ScriptedNotifier>();
        m_answers.clear();
        m_presets.clear();
        TListForm::setFileDialogHook([this](bool save, const QString &preset) -> std::optional<QString> {
            if (!save)
                return std::nullopt;
            m_presets << preset;
            if (m_answers.empty())
                return std::nullopt;
            const std::optional<QString> answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }

    void cleanup()
    {
        TListForm::setFileDialogHook({});
        m_notifier.reset();
        m_env.reset();
    }

    void fileMenuHasTheCommand()
    {
        TListForm form;
        QAction *action = form.findChild<QAction *>(QStringLiteral("ICalExport"));
        QVERIFY(action);
        QCOMPARE(action->text(), QStringLiteral("iCalendar形式で書き出し..."));
        const QList<QAction *> file = form.File1->actions();
        QCOMPARE(file.indexOf(action), file.indexOf(form.SaveAs) + 1);
    }

    void rangeStartsTodayForAYear()
    {
        ICalendarRangeDialog dialog;
        QCOMPARE(dialog.EFrom->text(), QStringLiteral("2026/12/08"));
        QCOMPARE(dialog.ETo->text(), QStringLiteral("2027/12/08"));
        QVERIFY(dialog.OKBtn->isEnabled());
        QCOMPARE(dialog.LMessage->text(), QString());
        QCOMPARE(HelpContextOf(dialog.EFrom), HelpContext::ICalendarExport);

        if (const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); !dir.isEmpty()) {
            dialog.ETo->setText(QStringLiteral("2026/12/01"));
            dialog.show();
            dialog.grab().save(dir + QStringLiteral("/ical-range.png"));
        }
    }

    void rangeChecks_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");

        QTest::newRow("one day") << "2027/01/01"
                                 << "2027/01/01"
                                 << "";
        QTest::newRow("whole calendar") << "1901/01/01"
                                        << "2099/12/31"
                                        << "";
        QTest::newRow("in the wrong order") << "2027/01/02"
                                            << "2027/01/01"
                                            << "終了日が開始日より前です";
        QTest::newRow("no such start") << "2027/02/29"
                                       << "2027/03/01"
                                       << "開始日が正しい日付ではありません";
        QTest::newRow("no such end") << "2027/02/01"
                                     << "2027/02/30"
                                     << "終了日が正しい日付ではありません";
    }

    void rangeChecks()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);

        ICalendarRangeDialog dialog;
        dialog.EFrom->setText(from);
        dialog.ETo->setText(to);
        QCOMPARE(dialog.LMessage->text(), message);
        QCOMPARE(dialog.OKBtn->isEnabled(), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(dialog.from(), int(QDateToDateValue(QDate::fromString(from, QStringLiteral("yyyy/MM/dd")))));
            QCOMPARE(dialog.to(), int(QDateToDateValue(QDate::fromString(to, QStringLiteral("yyyy/MM/dd")))));
        }
    }

    void writesTheChosenFile()
    {
        auto form = openDocument();
        const QString out = m_env->path(QStringLiteral("calendar.ics"));
        m_answers.push_back(out);
        bool seen = false;
        answerRange(QStringLiteral("2026/12/01"), QStringLiteral("2027/01/31"), &seen);
        form->ICalExportExecute();
        QVERIFY(seen);
        // Named after the document, beside it.
        QCOMPARE(m_presets, QStringList {m_env->path(QStringLiteral("todo.ics"))});
        QCOMPARE(m_notifier->errors, QStringList());

        const QByteArray ics = contents(out);
        QVERIFY(ics.startsWith("BEGIN:VCALENDAR\r\n"));
        QVERIFY(ics.contains("DTSTART;VALUE=DATE:20261220\r\n"));
        QVERIFY(ics.contains(QStringLiteral("SUMMARY:会議\r\n").toUtf8()));
        QVERIFY(ics.contains("RRULE:FREQ=MONTHLY;BYMONTHDAY=-1;UNTIL=20270131\r\n"));
        // An export is no save of the document.
        QCOMPARE(form->FileName, m_path);
        QVERIFY(!form->Modified);
    }

    void cancelWritesNothing()
    {
        auto form = openDocument();
        bool seen = false;
        answerRange(QString(), QString(), &seen);
        form->ICalExportExecute();
        QVERIFY(seen);
        // No file dialog after a cancelled range.
        QCOMPARE(m_presets, QStringList());

        answerRange(QStringLiteral("2026/12/01"), QStringLiteral("2027/01/31"), &seen);
        form->ICalExportExecute();
        QCOMPARE(m_presets.size(), 1);
        QVERIFY(!QFile::exists(m_env->path(QStringLiteral("todo.ics"))));
        QCOMPARE(m_notifier->errors, QStringList());
    }

    void failureIsShownAndLeavesTheFolder()
    {
        auto form = openDocument();
        const QString folder = m_env->path(QStringLiteral("folder.ics"));
        QVERIFY(QDir().mkdir(folder));
        m_answers.push_back(folder);
        bool seen = false;
        answerRange(QStringLiteral("2026/12/01"), QStringLiteral("2027/01/31"), &seen);
        form->ICalExportExecute();
        QCOMPARE(m_notifier->errors.size(), 1);
        QVERIFY(m_notifier->errors.first().contains(QStringLiteral("folder.ics")));
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_MAIN(TestICalExport)
#include "tst_icalexport.moc"
