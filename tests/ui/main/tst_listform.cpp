#include "FontChecks.h"
#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/DocumentSaveFile.h"
#include "data/ItemRec.h"
#include "data/TextCodec.h"
#include "settings/AppSettings.h"
#include "settings/OptionDlg.h"
#include "settings/SettingsFile.h"
#include "ui/controls/AboutBox.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/MessageBoxNotifier.h"
#include "ui/controls/OpenDialogEx.h"
#include "ui/controls/RadioGroup.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtEndian>
#include <deque>
#include <memory>
#include <sys/resource.h>

namespace {

// An item file built from the record layout: 32-byte header, then one
// 160-byte once-item per title, target day 2026-12-(10 + i).
QByteArray itemFile(const QStringList &titles)
{
    QByteArray bytes(32, '\0');
    bytes.replace(0, 9, QByteArray("TideMk20\0", 9));
    for (int i = 0; i < titles.size(); ++i) {
        QByteArray r(160, '\0');
        const QByteArray title = Cp932::encode(titles.at(i)).left(32);
        r.replace(6, title.size(), title);
        r[104] = 0; // once
        qToLittleEndian<qint16>(2026, r.data() + 106);
        r[108] = 12;
        r[109] = char(10 + i % 18);
        r[126] = 3;
        r[127] = 1;
        bytes += r;
    }
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setOption(const char *key, const QVariant &value)
{
    const QString k = QLatin1String(key);
    if (value.typeId() == QMetaType::Bool)
        Settings().writeBool(QStringLiteral("Option"), k, value.toBool());
    else if (value.typeId() == QMetaType::Int)
        Settings().writeInteger(QStringLiteral("Option"), k, value.toInt());
    else
        Settings().writeString(QStringLiteral("Option"), k, value.toString());
}

template <typename T> T *child(QWidget *parent, const char *name)
{
    T *w = parent ? parent->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!w)
        qFatal("no %s", name);
    return w;
}

// Runs `step` on the next modal window once it is up.
void onNextModal(std::function<void(QWidget *)> step, QWidget *previous = nullptr)
{
    QTimer::singleShot(0, [step = std::move(step), previous] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == previous)
            return onNextModal(step, previous);
        step(modal);
    });
}

// A window whose writes fail on demand, leaving part of a file behind the
// way a save interrupted by a full disk would.
const QString Discard = QStringLiteral("現在編集中のファイルは保存されません。よろしいですか？");
const QString SaveFirst = QStringLiteral("現在編集中のファイルは保存されていません。保存しますか？");

} // namespace

class TestListForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notifier;
    std::unique_ptr<ScriptedRupLibrary> m_device;
    std::unique_ptr<ScriptedRuputerComUi> m_deviceUi;
    std::unique_ptr<TListForm> m_form;
    std::deque<std::optional<QString>> m_dialogAnswers;
    QStringList m_dialogPresets;
    QList<bool> m_dialogSaves;
    QString m_path;

    TListForm *makeForm(const QString &argument = QString())
    {
        m_form = std::make_unique<TListForm>(argument);
        // Let the deferred start-up steps run.
        QCoreApplication::processEvents();
        return m_form.get();
    }

    // A window opened on a.tmd (m_path) holding `titles`.
    TListForm *openFile(const QStringList &titles)
    {
        m_path = m_env->path(QStringLiteral("a.tmd"));
        writeFile(m_path, itemFile(titles));
        return makeForm(m_path);
    }

    // A window on TODO.TMD fetched from the device without a name prompt.
    TListForm *openFromDevice(const QStringList &titles)
    {
        setOption("RupFile", QStringLiteral("TODO.TMD"));
        setOption("RupFileMode", false);
        m_device->deviceFile = itemFile(titles);
        TListForm *f = makeForm();
        f->OpenRExecute();
        return f;
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_notifier = std::make_unique<ScriptedNotifier>();
        m_device = std::make_unique<ScriptedRupLibrary>();
        m_deviceUi = std::make_unique<ScriptedRuputerComUi>();
        m_dialogAnswers.clear();
        m_dialogPresets.clear();
        m_dialogSaves.clear();
        TListForm::setFileDialogHook([this](bool save, const QString &preset) -> std::optional<QString> {
            m_dialogSaves << save;
            m_dialogPresets << preset;
            if (m_dialogAnswers.empty())
                return std::nullopt;
            const std::optional<QString> answer = m_dialogAnswers.front();
            m_dialogAnswers.pop_front();
            return answer;
        });
    }

    void cleanup()
    {
        m_form.reset();
        TListForm::setFileDialogHook({});
        m_deviceUi.reset();
        m_device.reset();
        m_notifier.reset();
        m_env.reset();
    }

    void commandLine()
    {
        TListForm *f = makeForm();
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
        QVERIFY(f->BackupName.isEmpty());
        QCOMPARE(f->MenuStatus->text(), QStringLiteral("現在   0件 / 最大 200件"));
        QVERIFY(!f->Modified && !f->Save->isEnabled() && !f->SaveAs->isEnabled() && !f->SaveR->isEnabled());

        f = openFile({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")});
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + m_path);
        QCOMPARE(f->DataList->rowCount(), 3);
        // One sort after the rows were complete.
        QCOMPARE(f->DataList->row(0)->caption(), QStringLiteral("a"));
        QCOMPARE(f->DataList->row(0)->subItem(2), QStringLiteral("2026年12月11日"));
        QCOMPARE(f->MenuStatus->text(), QStringLiteral("現在   3件 / 最大 200件"));
        QVERIFY(!f->Modified);
        QVERIFY(!f->Save->isEnabled());
        QVERIFY(f->SaveAs->isEnabled());
        // The window, its menus and its About box ask only for installed fonts.
        QCOMPARE(UninstalledFamilies(*f), QStringList());

        // A relative argument names the same file in full.
        const QString old = QDir::currentPath();
        QDir::setCurrent(m_env->path(QString()));
        f = makeForm(QStringLiteral("a.tmd"));
        QDir::setCurrent(old);
        QCOMPARE(f->FileName, m_path);
        QVERIFY(m_device->calls.isEmpty());
        QVERIFY(m_notifier->messages.isEmpty());
    }

    void commandLineMissingFileSkipsAutoOpen()
    {
        setOption("RupAutoOpen", true);
        const QString path = m_env->path(QStringLiteral("missing.tmd"));
        TListForm *f = makeForm(path);
        QTRY_COMPARE(m_notifier->messages.size(), 1);
        QCOMPARE(m_notifier->messages.first(), QStringLiteral("ファイルが見つかりません\"%1\"").arg(path));
        QCOMPARE(f->FileName, QStringLiteral("新規"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
        QVERIFY(m_device->calls.isEmpty());
        QVERIFY(m_notifier->inputPrompts.isEmpty());
    }

    void autoOpenFromDevice()
    {
        setOption("RupAutoOpen", true);
        setOption("RupFile", QStringLiteral("B:\\TODO.TMD"));
        m_notifier->inputs << std::optional<QString>(QStringLiteral("B:\\TODO.TMD"));
        m_device->deviceFile = itemFile({QStringLiteral("端末")});
        TListForm *f = makeForm();
        QTRY_COMPARE(f->RupFileName, QStringLiteral("B:\\TODO.TMD"));
        // "RupFileMode" defaults to asking, with the stored name preset.
        QCOMPARE(m_notifier->inputPrompts, QStringList {QStringLiteral("ファイル名を指定してください")});
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:B:\\TODO.TMD"));
        QCOMPARE(f->DataList->rowCount(), 1);
    }

    void helpAndAbout()
    {
        TListForm *f = makeForm();
        MessageBoxNotifier unused;
        InstallHelp(unused);
        f->show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        // Shortcuts work from the list, which has the focus.
        for (const QAction *a : f->findChildren<QAction *>())
            QCOMPARE(a->shortcutContext(), Qt::WindowShortcut);
        QTest::keyClick(f->DataList, Qt::Key_F1);
        QCOMPARE(m_notifier->helpContexts, QList<int> {3010});
        f->SearchforHelpOn->trigger();
        QCOMPARE(m_notifier->helpContexts.last(), 0);

        QStringList about;
        connect(f->AboutBoxDlg, &TAboutBoxDlg::shown, this, [&about](TAboutBox *box) {
            about << box->ProductName->text() << box->Version->text();
            QTimer::singleShot(0, box, &QDialog::reject);
        });
        f->About->trigger();
        QCOMPARE(about, (QStringList {QStringLiteral("Tidemark"), QStringLiteral("Version 2.10")}));
    }

    // The program ends with its main window, even while help is open.
    void closingMainWindowEndsProgram()
    {
        TListForm *f = makeForm();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        bool timedOut = false;
        QTimer::singleShot(0, f, [f] {
            THelpWindow::ShowHelp(3010);
            f->close();
        });
        QTimer::singleShot(5000, qApp, [&timedOut] {
            timedOut = true;
            QCoreApplication::quit();
        });
        QCoreApplication::exec();
        QVERIFY(!timedOut);
        delete THelpWindow::instance();
    }

    void titleAndEnabledRules_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("saveR");
        auto row = [](const char *file, const char *device, bool modified, const char *title, bool save, bool saveAs,
                       bool saveR) {
            QTest::newRow(title) << QString::fromUtf8(file) << QString::fromUtf8(device) << modified
                                 << QString::fromUtf8(title) << save << saveAs << saveR;
        };
        row("新規", "", false, "Tidemark - 新規", false, false, false);
        row("新規", "", true, "Tidemark - 新規(修正)", true, true, false);
        row("/d/a.tmd", "", false, "Tidemark - /d/a.tmd", false, true, false);
        row("/d/a.tmd", "", true, "Tidemark - /d/a.tmd(修正)", true, true, false);
        row("/p/TODO.TMD", "B:\\TODO.TMD", false, "Tidemark - Ruputer:B:\\TODO.TMD", false, true, true);
        row("/p/TODO.TMD", "B:\\TODO.TMD", true, "Tidemark - Ruputer:B:\\TODO.TMD(修正)", true, true, true);
    }

    void titleAndEnabledRules()
    {
        QFETCH(QString, file);
        QFETCH(QString, device);
        QFETCH(bool, modified);
        QFETCH(QString, title);
        QFETCH(bool, save);
        QFETCH(bool, saveAs);
        QFETCH(bool, saveR);
        TListForm *f = makeForm();
        f->SetFileName(file);
        f->RupFileName = device;
        f->SetModified(modified);
        QCOMPARE(f->windowTitle(), title);
        QCOMPARE(f->Save->isEnabled(), save);
        QCOMPARE(f->SaveAs->isEnabled(), saveAs);
        QCOMPARE(f->SaveR->isEnabled(), saveR);
    }

    void backupNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("backup");
        auto row = [](const char *name, const char *backup) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(backup);
        };
        row("/d/a.tmd", "/d/a.old");
        row("/d/a.TMD", "/d/a.old");
        row("/d/a.old", "/d/a.ol2");
        // Every other document keeps its whole name, so no two share a backup.
        row("/d/a", "/d/a.bak");
        row("/d/a.OLD", "/d/a.OLD.bak");
        row("/d.x/a", "/d.x/a.bak");
        row("/d/b.c.csv", "/d/b.c.csv.bak");
        row("新規", "");
    }

    void backupNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, backup);
        TListForm *f = makeForm();
        f->SetFileName(name);
        QCOMPARE(f->FileName, name);
        QCOMPARE(f->BackupName, backup);
    }

    void twoSavesMakeOneBackup()
    {
        TListForm *f = openFile({QStringLiteral("元")});
        const QByteArray original = readFile(m_path);
        f->SetModified(true);
        QVERIFY(f->SaveExecute());
        QCOMPARE(readFile(m_env->path(QStringLiteral("a.old"))), original);
        QVERIFY(QFile::exists(m_path));
        QVERIFY(f->BackupDone);
        QVERIFY(!f->Modified);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + m_path);

        // The second save overwrites the file and leaves the backup alone.
        f->Data->at(0)->Title = QStringLiteral("二回目");
        f->SetModified(true);
        QVERIFY(f->SaveExecute());
        QCOMPARE(readFile(m_env->path(QStringLiteral("a.old"))), original);
        QVERIFY(readFile(m_path).contains(Cp932::encode(QStringLiteral("二回目"))));
        QVERIFY(m_notifier->errors.isEmpty());
        // Save As offers the current name.
        f->SaveAs->trigger();
        QCOMPARE(m_dialogPresets, QStringList {m_path});
    }

    // A Save As that fails keeps the document's name: the title and the
    // next Save still mean the file the user had.
    void failedSaveAsKeepsName()
    {
        TListForm *f = makeForm();
        f->SetModified(true);
        m_dialogAnswers.push_back(m_env->path(QStringLiteral("no/such/folder/a.tmd")));
        QVERIFY(!f->SaveAsExecute());
        QCOMPARE(m_notifier->errors.size(), 1);
        QCOMPARE(f->FileName, TListForm::NewFileName);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規(修正)"));
        QVERIFY(!f->SaveExecute()); // asks for a name again
        QCOMPARE(m_dialogSaves, (QList<bool> {true, true}));
    }

    // A save that fails (here at the file-size limit) leaves the document's
    // file and the earlier backup as they were; the next good save makes the
    // backup from the file as it was before.
    void failedSaveKeepsFileAndEarlierBackup()
    {
        const QString path = m_env->path(QStringLiteral("a.tmd"));
        const QString backup = m_env->path(QStringLiteral("a.old"));
        const QByteArray original = itemFile({QStringLiteral("良い"), QStringLiteral("二")});
        writeFile(path, original);
        writeFile(backup, "earlier backup");
        TListForm *f = makeForm(path);
        f->SetModified(true);

        IgnoreFileSizeSignal();
        rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = rlim_t(original.size() - 1);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool saved = f->SaveExecute();
        ::setrlimit(RLIMIT_FSIZE, &old);

        QVERIFY(!saved);
        QCOMPARE(m_notifier->errors.size(), 1);
        QCOMPARE(readFile(path), original);
        QCOMPARE(readFile(backup), QByteArray("earlier backup"));
        QVERIFY(f->Modified);
        QVERIFY(!f->BackupDone);
        QCOMPARE(QDir(m_env->path(QString())).entryList({QStringLiteral(".a.old*")}, QDir::Files | QDir::Hidden),
            QStringList());

        f->Data->at(0)->Title = QStringLiteral("新しい");
        QVERIFY(f->SaveExecute());
        QCOMPARE(readFile(backup), original);
        QVERIFY(readFile(path).contains(Cp932::encode(QStringLiteral("新しい"))));
        QVERIFY(!f->Modified);
    }

    // Saving x.csv never touches the backup of x.tmd beside it.
    void documentsBesideEachOtherKeepTheirBackups()
    {
        const QString tmdBackup = m_env->path(QStringLiteral("a.old"));
        writeFile(tmdBackup, "backup of a.tmd");
        const QString csv = m_env->path(QStringLiteral("a.csv"));
        writeFile(csv, "old csv");
        TListForm *f = makeForm();
        f->SetFileName(csv);
        f->SetModified(true);
        QVERIFY(f->SaveExecute());
        QCOMPARE(readFile(tmdBackup), QByteArray("backup of a.tmd"));
        QCOMPARE(readFile(csv + QStringLiteral(".bak")), QByteArray("old csv"));
    }

    void discardConfirmation_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        for (const char *command : {"New", "Open", "OpenR"}) {
            QTest::addRow("%s yes", command) << command << int(Notifier::Yes);
            QTest::addRow("%s no", command) << command << int(Notifier::No);
        }
    }

    void discardConfirmation()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        const bool goesOn = answer == Notifier::Yes;
        TListForm *f = openFile({QStringLiteral("一"), QStringLiteral("二")});
        f->SetModified(true);
        m_notifier->answers << Notifier::Button(answer);
        m_notifier->inputs << std::optional<QString>(); // OpenR: cancel the name prompt
        f->findChild<QAction *>(command)->trigger();

        QCOMPARE(m_notifier->confirmations, QStringList {Discard});
        QCOMPARE(m_notifier->confirmButtons.first(), Notifier::Yes | Notifier::No);
        QCOMPARE(m_notifier->confirmDefaults.first(), Notifier::Yes);
        QCOMPARE(m_notifier->sounds.first(), Notifier::Sound::Question);
        QCOMPARE(m_dialogPresets.size(), int(goesOn && command == QLatin1String("Open")));
        QCOMPARE(m_notifier->inputPrompts.size(), int(goesOn && command == QLatin1String("OpenR")));
        if (command == QLatin1String("New") && goesOn) {
            QCOMPARE(f->FileName, QStringLiteral("新規"));
            QCOMPARE(f->Data->count(), 0);
            QVERIFY(!f->Modified);
        } else {
            // Nothing was chosen, so the document is as it was.
            QCOMPARE(f->FileName, m_path);
            QCOMPARE(f->Data->count(), 2);
            QVERIFY(f->Modified);
        }
    }

    void closeConfirmation_data()
    {
        QTest::addColumn<QString>("document"); // new, file, device
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("nameChosen"); // in the Save As dialog
        QTest::addColumn<bool>("uploadWorks");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancel") << "file" << int(Notifier::Cancel) << false << true << false << false;
        QTest::newRow("no") << "file" << int(Notifier::No) << false << true << true << false;
        QTest::newRow("yes file") << "file" << int(Notifier::Yes) << false << true << true << true;
        QTest::newRow("yes new, name chosen") << "new" << int(Notifier::Yes) << true << true << true << true;
        QTest::newRow("yes new, dialog cancelled") << "new" << int(Notifier::Yes) << false << true << false << false;
        QTest::newRow("yes device") << "device" << int(Notifier::Yes) << false << true << true << true;
        QTest::newRow("yes device, upload fails") << "device" << int(Notifier::Yes) << false << false << false << false;
    }

    void closeConfirmation()
    {
        QFETCH(QString, document);
        QFETCH(int, answer);
        QFETCH(bool, nameChosen);
        QFETCH(bool, uploadWorks);
        QFETCH(bool, closes);
        QFETCH(bool, saved);

        TListForm *f = nullptr;
        QString savedPath;
        if (document == QLatin1String("new")) {
            f = makeForm();
            savedPath = m_env->path(QStringLiteral("chosen.tmd"));
            if (nameChosen)
                m_dialogAnswers.push_back(savedPath);
        } else if (document == QLatin1String("file")) {
            f = openFile({QStringLiteral("一")});
            savedPath = m_path;
        } else {
            f = openFromDevice({QStringLiteral("一")});
            QCOMPARE(f->RupFileName, QStringLiteral("TODO.TMD"));
            savedPath = f->LocalFileName;
            if (!uploadWorks)
                m_device->plan(QStringLiteral("u_upload"), {9});
        }
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->SetModified(true);
        const QByteArray before = readFile(savedPath);
        m_notifier->answers << Notifier::Button(answer);

        f->ExitPgm->trigger();

        QCOMPARE(m_notifier->confirmations.last(), SaveFirst);
        QCOMPARE(m_notifier->confirmButtons.last(), Notifier::Yes | Notifier::No | Notifier::Cancel);
        QCOMPARE(m_notifier->confirmDefaults.last(), Notifier::Yes);
        QVERIFY(m_notifier->sounds.contains(Notifier::Sound::Question));
        QCOMPARE(f->isVisible(), !closes);
        QCOMPARE(f->Modified, !saved);
        if (document == QLatin1String("new")) {
            // Saving a new document asks for a name first.
            QCOMPARE(m_dialogPresets, QStringList {QStringLiteral("*.tmd")});
            QCOMPARE(m_dialogSaves, QList<bool> {true});
            QCOMPARE(readFile(savedPath).left(8), saved ? QByteArray("TideMk20") : QByteArray());
            if (saved)
                QCOMPARE(f->FileName, savedPath);
        } else if (!saved && document == QLatin1String("file"))
            QCOMPARE(readFile(savedPath), before);
        if (document == QLatin1String("device")) {
            QVERIFY(m_device->functions().contains(QStringLiteral("u_upload")));
            if (!saved)
                QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:TODO.TMD(修正)"));
        }
    }

    void fullFileShowsLimit()
    {
        QStringList titles;
        for (int i = 0; i < TListForm::MaxItems; ++i)
            titles << QStringLiteral("項目%1").arg(i, 3, 10, QLatin1Char('0'));
        TListForm *f = openFile(titles);
        QCOMPARE(f->Data->count(), 200);
        QCOMPARE(f->DataList->rowCount(), 200);
        QCOMPARE(f->MenuStatus->text(), QStringLiteral("現在 200件 / 最大 200件"));
        // the whole count shows, also after the narrower "  0" it started with
        QVERIFY(f->MenuStatus->contentsRect().width()
            >= f->MenuStatus->fontMetrics().horizontalAdvance(f->MenuStatus->text()));
    }

    // More items than a document holds: the file is not opened, so that no
    // save can drop the rest.
    void fileBeyondTheLimitIsNotOpened()
    {
        QStringList titles;
        for (int i = 0; i <= TListForm::MaxItems + 29; ++i)
            titles << QStringLiteral("項目%1").arg(i);
        m_path = m_env->path(QStringLiteral("a.tmd"));
        writeFile(m_path, itemFile(titles));
        const QByteArray before = readFile(m_path);
        TListForm *f = makeForm(m_path);
        QCOMPARE(m_notifier->errors,
            QStringList {QStringLiteral(
                "このファイルには 230 件の項目があります。1 つの文書に入れられるのは 200 件までのため、開けません")});
        QCOMPARE(f->Data->count(), 0);
        QCOMPARE(f->DataList->rowCount(), 0);
        QCOMPARE(f->MenuStatus->text(), QStringLiteral("現在   0件 / 最大 200件"));
        QVERIFY(!f->Modified);
        QCOMPARE(readFile(m_path), before);
    }

    void failedLoadLeavesEmptyDocument()
    {
        TListForm *f = openFile({QStringLiteral("一"), QStringLiteral("二")});
        const QString bad = m_env->path(QStringLiteral("bad.tmd"));
        writeFile(bad, readFile(m_path).replace(0, 8, "NotOurs!"));
        f->SetModified(true);
        m_dialogAnswers.push_back(bad);
        m_notifier->answers << Notifier::Yes;
        f->Open->trigger();
        QCOMPARE(m_notifier->errors.size(), 1);
        QCOMPARE(f->Data->count(), 0);
        QCOMPARE(f->DataList->rowCount(), 0);
        QVERIFY(!f->Modified);
        QCOMPARE(f->FileName, bad);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + bad);
        QCOMPARE(f->MenuStatus->text(), QStringLiteral("現在   0件 / 最大 200件"));
    }

    void openFromDeviceThenNew()
    {
        setOption("RupFile", QStringLiteral("B:\\SUB\\TODO.TMD"));
        setOption("RupFileMode", false);
        m_device->deviceFile = itemFile({QStringLiteral("端末1"), QStringLiteral("端末2")});
        TListForm *f = makeForm();
        f->OpenR->trigger();
        QVERIFY(m_notifier->inputPrompts.isEmpty());
        const QString local = ProgramDir() + QStringLiteral("TODO.TMD");
        QCOMPARE(f->LocalFileName, local);
        QCOMPARE(f->FileName, local);
        QCOMPARE(readFile(local), m_device->deviceFile);
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:B:\\SUB\\TODO.TMD"));
        QCOMPARE(f->DataList->rowCount(), 2);
        QVERIFY(f->SaveR->isEnabled());
        QVERIFY(m_device->functions().contains(QStringLiteral("u_download")));

        // New drops the device association.
        f->New->trigger();
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
        QVERIFY(!f->SaveR->isEnabled());
        QVERIFY(f->RupFileName.isEmpty());
        QVERIFY(f->LocalFileName.isEmpty());
    }

    void openFromDeviceCancelledOrFailed()
    {
        TListForm *f = makeForm();
        // A cancelled prompt, and a name without a file part, end like Cancel.
        m_notifier->inputs << std::optional<QString>() << std::optional<QString>(QStringLiteral("B:\\"));
        f->OpenR->trigger();
        f->OpenR->trigger();
        QCOMPARE(m_notifier->inputPrompts.size(), 2);
        QVERIFY(m_device->calls.isEmpty());
        QCOMPARE(f->FileName, QStringLiteral("新規"));

        // A failed download leaves the document and its association alone.
        m_notifier->inputs << std::optional<QString>(QStringLiteral("X.TMD"));
        m_device->plan(QStringLiteral("u_download"), {5});
        f->OpenR->trigger();
        QVERIFY(m_device->functions().contains(QStringLiteral("u_download")));
        QCOMPARE(f->FileName, QStringLiteral("新規"));
        QVERIFY(f->RupFileName.isEmpty());
    }

    void saveToDeviceAfterSaveAsSendsCurrentItems()
    {
        TListForm *f = openFromDevice({QStringLiteral("古い")});
        QCOMPARE(f->Data->count(), 1);
        f->Data->at(0)->Title = QStringLiteral("新しい");
        f->RefreshItemRow(f->DataList->row(0));
        f->SetModified(true);
        const QString elsewhere = m_env->path(QStringLiteral("elsewhere.csv"));
        m_dialogAnswers.push_back(elsewhere);
        QVERIFY(f->SaveAsExecute());
        QCOMPARE(f->RupFileName, QStringLiteral("TODO.TMD"));
        QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:TODO.TMD"));

        f->SetModified(true);
        m_device->calls.clear();
        QVERIFY(f->SaveRExecute());
        QCOMPARE(m_device->functions(), (QStringList {"u_nego", "u_upload", "u_end"}));
        QCOMPARE(m_device->calls.at(1).second, QStringLiteral("TODO.TMD"));
        // What goes to the device is an item file holding the edited title.
        const QByteArray bytes = readFile(m_device->calls.at(1).first);
        QCOMPARE(bytes.left(8), QByteArray("TideMk20"));
        QVERIFY(bytes.contains(Cp932::encode(QStringLiteral("新しい"))));
        QVERIFY(readFile(elsewhere).contains(Cp932::encode(QStringLiteral("新しい"))));
        QVERIFY(!f->Modified);
        QVERIFY(f->BackupDone);
    }

    void toolBarSetting_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("flat");
        QTest::newRow("normal") << 0 << true << false;
        QTest::newRow("flat") << 1 << true << true;
        QTest::newRow("hidden") << 2 << false << true;
        QTest::newRow("other value") << 7 << true << true;
    }

    void toolBarSetting()
    {
        QFETCH(int, value);
        QFETCH(bool, visible);
        QFETCH(bool, flat);
        setOption("ToolBtn", value);
        TListForm *f = makeForm();
        f->show();
        QCOMPARE(f->ToolBar->isVisible(), visible);
        auto *button = qobject_cast<QToolButton *>(f->ToolBar->widgetForAction(f->New));
        QCOMPARE(button->autoRaise(), flat);

        // A later 0 or 1 shows it again.
        setOption("ToolBtn", 0);
        f->ApplyOptions();
        QVERIFY(f->ToolBar->isVisible());
        QVERIFY(!button->autoRaise());
    }

    void fontSettings_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("none") << "" << false << false;
        QTest::newRow("bold") << "Bold" << true << false;
        QTest::newRow("both") << "Bold,Italic" << true << true;
        QTest::newRow("italic first") << "Italic,Bold" << true << true;
        QTest::newRow("lower case") << "bold,italic" << false << false;
    }

    void fontSettings()
    {
        QFETCH(QString, style);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        setOption("FontStyle", style);
        setOption("FontName", QStringLiteral("ＭＳ ゴシック"));
        setOption("FontSize", 11);
        TListForm *f = makeForm();
        const QFont font = f->DataList->font();
        QCOMPARE(font.bold(), bold);
        QCOMPARE(font.italic(), italic);
        // The stored Windows face is shown in the family installed for it.
        QCOMPARE(font.family(), JapaneseFixedFamily());
        QCOMPARE(font.pointSize(), 11);
        QVERIFY(!font.underline());

        // Without settings: face and size stay, no bold or italic.
        m_env->resetSettings();
        QFont plain(QStringLiteral("Noto Sans CJK JP"), 9);
        plain.setBold(true);
        f->LoadFontSettings(plain);
        QCOMPARE(plain.family(), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(plain.pointSize(), 9);
        QVERIFY(!plain.bold());
        // And the device link's defaults.
        f->ApplyOptions();
        QCOMPARE(f->RupCom->DockPort(), 1);
        QCOMPARE(f->RupCom->IrPort(), 2);
        QCOMPARE(f->RupCom->DefaultPort(), rpDockPort);
        QCOMPARE(f->RupCom->Speed(), 4);
    }

    void positionAndSortSurviveRestart()
    {
        TListForm *f = openFile({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")});
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->setGeometry(40, 50, 700, 400);
        f->DataList->setColumnWidth(2, 90);
        f->DataList->setSortColumn(0);
        f->DataList->setSortMode(smDescending);
        QVERIFY(f->close());
        m_form.reset();
        const QString stored
            = Settings().readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm.DataList"), QString());
        QCOMPARE(stored.split(u',').value(2), QStringLiteral("90"));
        QCOMPARE(
            Settings().readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm.DataList.Sort"), QString()),
            QStringLiteral("1,0"));

        f = makeForm(m_path);
        QCOMPARE(f->DataList->SortMode(), smDescending);
        QCOMPARE(f->DataList->SortColumn(), 0);
        QCOMPARE(f->DataList->columnWidth(2), 90);
        // Filled after the restore: sorted once in the stored order.
        QCOMPARE(f->DataList->row(0)->caption(), QStringLiteral("c"));
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QCOMPARE(f->normalGeometry().size(), QSize(700, 400));

        // With no document to sort, the header still shows the stored order.
        m_form.reset();
        Settings().writeString(
            QStringLiteral("WindowPos"), QStringLiteral("ListForm.DataList.Sort"), QStringLiteral("1,3"));
        f = makeForm();
        QCOMPARE(f->DataList->header()->sortIndicatorSection(), 3);
        QCOMPARE(f->DataList->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void deviceSettingsDialog()
    {
        TListForm *f = openFile({QStringLiteral("燃えるごみ")});
        f->show();
        const auto before = f->Data->Head;
        bool seen = false;
        auto answer = [&seen](bool change, const char *button) {
            onNextModal([&seen, change, button](QWidget *dlg) {
                seen = dlg->objectName() == QLatin1String("RupOptionDlg");
                if (change)
                    child<QCheckBox>(dlg, "CBDateDsp")->setChecked(false);
                child<QPushButton>(dlg, button)->click();
            });
        };
        answer(true, "CancelBtn");
        f->RupOptionExecute();
        QVERIFY(seen);
        QVERIFY(!f->Modified);
        QVERIFY(f->Data->Head == before);
        // OK marks the document modified even without a change.
        answer(false, "OKBtn");
        f->RupOption->trigger();
        QVERIFY(f->Modified);
        QVERIFY(f->windowTitle().endsWith(QStringLiteral("(修正)")));
        answer(true, "OKBtn");
        f->RupOptionExecute();
        QCOMPARE(int(f->Data->Head.DateDsp()), 1);
    }

    void settingsDialogAppliesAtOnce()
    {
        TListForm *f = makeForm();
        f->show();
        const QFont before = f->DataList->font();
        onNextModal([](QWidget *dlg) {
            child<TRadioGroup>(dlg, "RGToolBtn")->setItemIndex(2);
            child<QPushButton>(dlg, "CancelBtn")->click();
        });
        f->OptionExecute();
        QVERIFY(f->ToolBar->isVisible());
        QCOMPARE(f->DataList->font(), before);
        QVERIFY(!Settings().valueExists(QStringLiteral("Option"), QStringLiteral("ToolBtn")));

        QFont chosen(QStringLiteral("ＭＳ ゴシック"));
        chosen.setPointSize(14);
        chosen.setBold(true);
        onNextModal([&chosen](QWidget *dlg) {
            child<TRadioGroup>(dlg, "RGToolBtn")->setItemIndex(2);
            qobject_cast<TOptionDlg *>(dlg)->ShowFontSample(chosen);
            child<QPushButton>(dlg, "OKBtn")->click();
        });
        f->Option->trigger();
        QVERIFY(!f->ToolBar->isVisible());
        QCOMPARE(f->DataList->font().family(), JapaneseFixedFamily());
        QCOMPARE(Settings().readString(QStringLiteral("Option"), QStringLiteral("FontName"), QString()),
            QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(f->DataList->font().pointSize(), 14);
        QVERIFY(f->DataList->font().bold());
        QVERIFY(!f->Modified);
    }

    void csvSettingsFromSaveAsDialogUsedBySave()
    {
        TListForm::setFileDialogHook({}); // the real dialog, with its extra button
        TListForm *f = openFile({QStringLiteral("資源ごみ 回収")});
        f->show();
        const QString target = m_env->path(QStringLiteral("out.csv"));
        bool csvDialogSeen = false;
        onNextModal([&](QWidget *fileDialog) {
            auto *save = qobject_cast<TSaveDialogEx *>(fileDialog);
            if (!save) {
                // Not the save dialog with the extra button: end it, the test fails below.
                static_cast<QDialog *>(fileDialog)->reject();
                return;
            }
            QCOMPARE(save->OptButton->text(), QStringLiteral("CSVの設定(&C)"));
            onNextModal(
                [&](QWidget *csv) {
                    csvDialogSeen = csv->objectName() == QLatin1String("CSVOptionDlg");
                    child<QComboBox>(csv, "CBCommaChar")->setCurrentIndex(1);
                    child<QCheckBox>(csv, "CBSpaceQuote")->setChecked(false);
                    child<QPushButton>(csv, "OKBtn")->click();
                },
                save);
            save->OptButton->click();
            QVERIFY(save->isVisible());
            save->selectFile(target);
            static_cast<QDialog *>(save)->accept();
        });
        QVERIFY(f->SaveAsExecute());
        QVERIFY(csvDialogSeen);

        const QList<QByteArray> lines = readFile(target).split('\n');
        QVERIFY(lines.size() >= 2);
        // Tab-separated, and the title with a space unquoted.
        QVERIFY2(
            lines[0].startsWith(Cp932::encode(QStringLiteral("タイトル\t号数オプション\t"))), lines[0].constData());
        QVERIFY2(lines[1].startsWith(Cp932::encode(QStringLiteral("資源ごみ 回収\t"))), lines[1].constData());
    }
};

QTEST_MAIN(TestListForm)
#include "tst_listform.moc"
