#include "DeviceEmulator.h"
#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "device/RupLibrary.h"
#include "device/RuputerCom.h"
#include "device/RuputerComDlg.h"
#include "device/RuputerComWidgets.h"
#include "device/SerialRupLibrary.h"
#include "device/TransferProgressDlg.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The device link with its real windows: the owner's handle, the error
// dialog answering the retry loop and the progress window's Cancel.
class TestTransferWindows : public QObject
{
    Q_OBJECT

private:
    template <typename T> static T *visible()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
                return t;
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        InstallFontSubstitutes();
        InstallRuputerComWidgets();
    }
    void cleanupTestCase() { RuputerComUi::install(nullptr); }

    void ownerWindowHandle()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        QWidget window;
        QObject holder(&window);
        TRuputerCom com(&holder);
        QVERIFY(com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(library.calls.first().window, quintptr(window.winId()));

        TRuputerCom loose;
        QVERIFY(loose.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(library.calls.last().window, quintptr(0));
    }

    void errorDialogDrivesTheLoop()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        ScriptedRupLibrary library;
        library.plan(QStringLiteral("u_nego"), {3, 3});
        QWidget window;
        TRuputerCom com(&window);
        QStringList shown;
        QStringList clicks {"YesBtn", "RetryBtn"};
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *dlg = visible<TRuputerComDlgForm>()) {
                shown << dlg->findChild<QLabel *>(QStringLiteral("Memo"))->text();
                QVERIFY(dlg->YesBtn->isVisible());
                QTest::mouseClick(dlg->findChild<QPushButton *>(clicks.takeFirst()), Qt::LeftButton);
            }
        });
        poll.start(10);
        QVERIFY(com.Upload(env.path("a"), QStringLiteral("A")));
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(QStringLiteral("ドッキングステーション，COM1\n")));
        QVERIFY(shown[1].contains(QStringLiteral("赤外線，COM2\n")));
        QList<int> ports;
        for (const auto &call : std::as_const(library.calls))
            ports << call.port;
        QCOMPARE(ports, (QList<int> {1, 2, 2, 2, 2}));
    }

    void progressWindowCancels()
    {
        TestEnvironment env;
        ScriptedNotifier notifier;
        RupLibrary::install(nullptr);
        DeviceEmulator device;
        const QString pty = device.start({"--delay", "40"});
        QVERIFY(!pty.isEmpty());
        Settings().writeString(QStringLiteral("Ports"), QStringLiteral("COM1"), pty);
        SerialRupLibrary::setAnswerTimeoutOverride(3000);
        {
            QFile remote(device.file(QStringLiteral("TODO.TMD")));
            QVERIFY(remote.open(QIODevice::WriteOnly));
            remote.write(QByteArray(32 * 1024, 'x'));
        }
        const QString local = env.path(QStringLiteral("TODO.TMD"));
        {
            QFile file(local);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("good");
        }

        QWidget window;
        window.show();
        TRuputerCom com(&window);
        com.setSpeed(1);
        bool sawProgress = false;
        QString bytesText;
        QString report;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *dlg = visible<TRuputerComDlgForm>()) {
                report = dlg->Memo->text();
                QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
            } else if (auto *progress = visible<TransferProgressDlg>(); progress && !sawProgress) {
                sawProgress = true;
                QCOMPARE(progress->parentWidget(), &window);
                QVERIFY(progress->isModal());
                QCOMPARE(progress->LName->text(), QStringLiteral("受信中: TODO.TMD"));
                bytesText = progress->LBytes->text();
                if (const QString shots = qEnvironmentVariable("TIDEMARK_SHOTS"); !shots.isEmpty())
                    progress->grab().save(shots + QStringLiteral("/tidemark-progress.png"));
                QTest::mouseClick(progress->CancelBtn, Qt::LeftButton);
            }
        });
        poll.start(10);
        QVERIFY(!com.Download(local, QStringLiteral("TODO.TMD")));
        QVERIFY(sawProgress);
        QVERIFY2(bytesText.endsWith(QLocale().toString(32768) + QStringLiteral(" バイト")), qPrintable(bytesText));
        QVERIFY2(report.startsWith(QStringLiteral("Ruputerからの受信に失敗しました。(10)\n")), qPrintable(report));
        QVERIFY(report.endsWith(QStringLiteral("Phase = アップロード")));
        QFile file(local);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("good"));
    }
};

QTEST_MAIN(TestTransferWindows)
#include "tst_transferwindows.moc"
