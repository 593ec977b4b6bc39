#include "ScriptedNotifier.h"
#include "ScriptedRupLibrary.h"
#include "TestEnvironment.h"
#include "data/AppError.h"
#include "data/Data.h"
#include "data/ItemRec.h"
#include "data/TextCodec.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "ui/controls/AboutBox.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/MessageBoxNotifier.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtEndian>
#include <deque>
#include <memory>

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

QStringList titles(int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QStringLiteral("項目%1").arg(i, 3, 10, QLatin1Char('0'));
    return out;
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

QString countText(int n)
{
    return QStringLiteral("現在 %1件 / 最大 200件").arg(n, 3);
}

// A window whose writes fail on demand, leaving part of a file behind the
// way a save interrupted by a full disk would.
class FailingListForm : public TListForm
{
public:
    using TListForm::TListForm;
    int failures = 0;

protected:
    void WriteDocument(const QString &path) override
    {
        if (failures > 0) {
            --failures;
            writeFile(path, QByteArray("leftover"));
            throw AppError(QStringLiteral("書き込めません"));
        }
        TListForm::WriteDocument(path);
    }
};

} // namespace

class TestListForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsWithNewDocument();
    void actions_data();
    void actions();
    void menusAndToolBar();
    void titleAndEnabledRules_data();
    void titleAndEnabledRules();
    void backupNames_data();
    void backupNames();
    void twoSavesMakeOneBackup();
    void failedSaveKeepsEarlierBackup();
    void saveOnNewDocumentAsksForName();
    void discardConfirmation_data();
    void discardConfirmation();
    void closeConfirmation_data();
    void closeConfirmation();
    void commandLineFile();
    void commandLineMissingFileSkipsAutoOpen();
    void autoOpenFromDevice();
    void countShowsLimit_data();
    void countShowsLimit();
    void failedLoadLeavesEmptyDocument();
    void openFromDeviceWithoutPrompt();
    void openFromDeviceCancelledPrompt();
    void saveToDeviceAfterSaveAsSendsCurrentItems();
    void failedUploadKeepsChanges();
    void newAfterDeviceDropsAssociation();
    void toolBarSetting_data();
    void toolBarSetting();
    void fontSettings_data();
    void fontSettings();
    void positionAndSortSurviveRestart();

private:
    TListForm *makeForm(const QString &argument = QString());
    void answerFileDialog(std::optional<QString> path);

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notifier;
    std::unique_ptr<ScriptedRupLibrary> m_device;
    std::unique_ptr<ScriptedRuputerComUi> m_deviceUi;
    std::unique_ptr<TListForm> m_form;
    std::deque<std::optional<QString>> m_dialogAnswers;
    QStringList m_dialogPresets;
    QList<bool> m_dialogSaves;
};

void TestListForm::init()
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
        const QString answer = m_dialogAnswers.front().value_or(QString());
        const bool chosen = m_dialogAnswers.front().has_value();
        m_dialogAnswers.pop_front();
        return chosen ? std::optional<QString>(answer) : std::nullopt;
    });
}

void TestListForm::cleanup()
{
    m_form.reset();
    TListForm::setFileDialogHook({});
    m_deviceUi.reset();
    m_device.reset();
    m_notifier.reset();
    m_env.reset();
}

TListForm *TestListForm::makeForm(const QString &argument)
{
    m_form = std::make_unique<TListForm>(argument);
    // Let the deferred start-up steps run.
    QCoreApplication::processEvents();
    return m_form.get();
}

void TestListForm::answerFileDialog(std::optional<QString> path)
{
    m_dialogAnswers.push_back(std::move(path));
}

void TestListForm::startsWithNewDocument()
{
    TListForm *f = makeForm();
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
    QCOMPARE(f->FileName, QStringLiteral("新規"));
    QVERIFY(f->BackupName.isEmpty());
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("MenuStatus"))->text(), countText(0));
    QCOMPARE(countText(0), QStringLiteral("現在   0件 / 最大 200件"));
    QVERIFY(!f->Save->isEnabled());
    QVERIFY(!f->SaveAs->isEnabled());
    QVERIFY(!f->SaveR->isEnabled());
    QVERIFY(!f->Modified);
    QCOMPARE(f->size(), QSize(602, 372));
    QVERIFY(m_device->calls.isEmpty());
    QVERIFY(m_notifier->messages.isEmpty());
}

void TestListForm::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("category");
    const QString file = QStringLiteral("ファイル"), edit = QStringLiteral("編集");
    auto row = [](const char *name, const char *caption, const char *hint, QKeySequence key, int image,
                   const QString &category) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption) << QString::fromUtf8(hint) << key
                            << image << category;
    };
    row("New", "新規作成(&N)", "新規作成", QKeySequence(Qt::CTRL | Qt::Key_N), 0, file);
    row("Open", "開く(&O)", "開く", QKeySequence(Qt::CTRL | Qt::Key_O), 1, file);
    row("Save", "上書き保存(&S)", "上書き保存", QKeySequence(Qt::CTRL | Qt::Key_S), 2, file);
    row("SaveAs", "名前を付けて保存(&A)...", "名前を付けて保存", {}, 3, file);
    row("OpenR", "Ruputerから開く(&R)", "Ruputerから開く", QKeySequence(Qt::CTRL | Qt::Key_R), 4, file);
    row("SaveR", "Ruputerに保存(&W)", "Ruputerに保存", {}, 5, file);
    row("ExitPgm", "終了(&X)", "終了", {}, 6, file);
    row("Add", "追加(&A)", "追加", QKeySequence(Qt::Key_Insert), 7, edit);
    row("Cpy", "複写して追加(&C)", "複写して追加", QKeySequence(Qt::CTRL | Qt::Key_C), 8, edit);
    row("Upd", "修正(&U)", "修正", QKeySequence(Qt::Key_Return), 9, edit);
    row("Del", "削除(&D)", "削除", QKeySequence(Qt::Key_Delete), 10, edit);
    row("RupOption", "Ruputerでの動作設定", "Ruputerでの動作設定", {}, 15, edit);
    row("Option", "設定(&C)", "設定", {}, 12, QString());
    row("SearchforHelpOn", "ﾄﾋﾟｯｸの検索(&S)...", "ﾄﾋﾟｯｸの検索", {}, 13, QString());
    row("About", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", "ﾊﾞｰｼﾞｮﾝ情報", {}, 14, QString());
}

void TestListForm::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(QKeySequence, shortcut);
    QFETCH(int, image);
    QFETCH(QString, category);

    TListForm *f = makeForm();
    auto *action = f->findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->toolTip(), hint);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(action->property("ImageIndex").toInt(), image);
    QCOMPARE(action->property("Category").toString(), category);
    QCOMPARE(action->shortcutContext(), Qt::WindowShortcut);
}

void TestListForm::menusAndToolBar()
{
    // At the limit and without a selection the edit commands do nothing, so
    // their shortcuts can be pressed here without opening the editor.
    const QString path = m_env->path(QStringLiteral("full.tmd"));
    writeFile(path, itemFile(titles(TListForm::MaxItems)));
    TListForm *f = makeForm(path);
    auto names = [](const QList<QAction *> &actions) {
        QStringList out;
        for (QAction *a : actions)
            out << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        return out;
    };
    QCOMPARE(names(f->File1->actions()),
        (QStringList {"New", "Open", "Save", "SaveAs", "|", "OpenR", "SaveR", "|", "ExitPgm"}));
    QCOMPARE(names(f->Edit1->actions()), (QStringList {"Add", "Cpy", "Upd", "Del", "RupOption"}));
    QCOMPARE(names(f->Option1->actions()), (QStringList {"Option"}));
    QCOMPARE(names(f->Help1->actions()), (QStringList {"SearchforHelpOn", "About"}));
    QCOMPARE(names(f->ToolBar->actions()),
        (QStringList {"New", "Open", "Save", "SaveAs", "|", "OpenR", "SaveR", "|", "ExitPgm", "|", "Add", "Cpy", "Upd",
            "Del", "|", "RupOption", "|", "Option", "|", "SearchforHelpOn", "About"}));
    QCOMPARE(f->ToolBar->height(), 30);
    QCOMPARE(names(f->PopupMenu->actions()), (QStringList {"Add", "Cpy", "Upd", "Del"}));
    QCOMPARE(f->PopupMenu->defaultAction(), f->Upd);
    QCOMPARE(f->MainMenu->cornerWidget(Qt::TopRightCorner), f->MenuStatus);
    QCOMPARE(f->File1->title(), QStringLiteral("ﾌｧｲﾙ(&F)"));
    QCOMPARE(f->Option1->title(), QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));

    // F1 in the window asks for the window's help.
    MessageBoxNotifier unused;
    InstallHelp(unused);
    f->show();
    QVERIFY(QTest::qWaitForWindowActive(f));
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

void TestListForm::titleAndEnabledRules_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("save");
    QTest::addColumn<bool>("saveAs");
    QTest::addColumn<bool>("saveR");

    QTest::newRow("new") << "新規"
                         << "" << false << "Tidemark - 新規" << false << false << false;
    QTest::newRow("new modified") << "新規"
                                  << "" << true << "Tidemark - 新規(修正)" << true << true << false;
    QTest::newRow("file") << "/d/a.tmd"
                          << "" << false << "Tidemark - /d/a.tmd" << false << true << false;
    QTest::newRow("file modified") << "/d/a.tmd"
                                   << "" << true << "Tidemark - /d/a.tmd(修正)" << true << true << false;
    QTest::newRow("device") << "/p/TODO.TMD"
                            << "B:\\TODO.TMD" << false << "Tidemark - Ruputer:B:\\TODO.TMD" << false << true << true;
    QTest::newRow("device modified") << "/p/TODO.TMD"
                                     << "B:\\TODO.TMD" << true << "Tidemark - Ruputer:B:\\TODO.TMD(修正)" << true
                                     << true << true;
}

void TestListForm::titleAndEnabledRules()
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

void TestListForm::backupNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("backup");
    QTest::newRow("tmd") << "/d/a.tmd"
                         << "/d/a.old";
    QTest::newRow("no extension") << "/d/a"
                                  << "/d/a.old";
    QTest::newRow("old") << "/d/a.old"
                         << "/d/a.ol2";
    QTest::newRow("OLD differs in case") << "/d/a.OLD"
                                         << "/d/a.old";
    QTest::newRow("dot in folder only") << "/d.x/a"
                                        << "/d.x/a.old";
    QTest::newRow("csv") << "/d/b.c.csv"
                         << "/d/b.c.old";
    QTest::newRow("new") << "新規"
                         << "";
}

void TestListForm::backupNames()
{
    QFETCH(QString, name);
    QFETCH(QString, backup);
    TListForm *f = makeForm();
    f->SetFileName(name);
    QCOMPARE(f->FileName, name);
    QCOMPARE(f->BackupName, backup);
}

void TestListForm::twoSavesMakeOneBackup()
{
    const QString path = m_env->path(QStringLiteral("a.tmd"));
    const QByteArray original = itemFile({QStringLiteral("元")});
    writeFile(path, original);
    TListForm *f = makeForm(path);
    QCOMPARE(f->Data->count(), 1);

    f->SetModified(true);
    QVERIFY(f->SaveExecute());
    QCOMPARE(readFile(m_env->path(QStringLiteral("a.old"))), original);
    QVERIFY(QFile::exists(path));
    QVERIFY(f->BackupDone);
    QVERIFY(!f->Modified);
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + path);

    // The second save overwrites the file and leaves the backup alone.
    f->Data->at(0)->Title = QStringLiteral("二回目");
    f->SetModified(true);
    QVERIFY(f->SaveExecute());
    QCOMPARE(readFile(m_env->path(QStringLiteral("a.old"))), original);
    QVERIFY(readFile(path).contains(Cp932::encode(QStringLiteral("二回目"))));
    QVERIFY(m_notifier->errors.isEmpty());
}

void TestListForm::failedSaveKeepsEarlierBackup()
{
    const QString path = m_env->path(QStringLiteral("a.tmd"));
    const QString backup = m_env->path(QStringLiteral("a.old"));
    const QByteArray original = itemFile({QStringLiteral("良い"), QStringLiteral("二")});
    writeFile(path, original);
    auto form = std::make_unique<FailingListForm>(path);
    FailingListForm *f = form.get();
    m_form = std::move(form);
    QCOMPARE(f->Data->count(), 2);
    f->SetModified(true);

    f->failures = 2;
    QVERIFY(!f->SaveExecute());
    QCOMPARE(readFile(backup), original);
    QCOMPARE(readFile(path), QByteArray("leftover"));
    QVERIFY(f->Modified);
    // The next save must not move what the failed one left over the backup.
    QVERIFY(!f->SaveExecute());
    QCOMPARE(readFile(backup), original);
    QCOMPARE(m_notifier->errors, (QStringList {QStringLiteral("書き込めません"), QStringLiteral("書き込めません")}));

    QVERIFY(f->SaveExecute());
    QCOMPARE(readFile(backup), original);
    QCOMPARE(readFile(path).size(), original.size());
    QVERIFY(!f->Modified);
}

void TestListForm::saveOnNewDocumentAsksForName()
{
    TListForm *f = makeForm();
    f->SetModified(true);
    QVERIFY(!f->SaveExecute());
    QCOMPARE(m_dialogSaves, QList<bool> {true});
    QCOMPARE(m_dialogPresets, QStringList {QStringLiteral("*.tmd")});
    QCOMPARE(f->FileName, QStringLiteral("新規"));
    QVERIFY(f->Modified);

    const QString path = m_env->path(QStringLiteral("n.tmd"));
    answerFileDialog(path);
    QVERIFY(f->SaveExecute());
    QCOMPARE(f->FileName, path);
    QCOMPARE(readFile(path).left(8), QByteArray("TideMk20"));
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + path);
    // Save As later offers the current name.
    f->SaveAs->trigger();
    QCOMPARE(m_dialogPresets.last(), path);
}

void TestListForm::discardConfirmation_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("goesOn");
    for (const char *command : {"New", "Open", "OpenR"}) {
        QTest::addRow("%s yes", command) << command << int(Notifier::Yes) << true;
        QTest::addRow("%s no", command) << command << int(Notifier::No) << false;
    }
}

void TestListForm::discardConfirmation()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, goesOn);

    const QString path = m_env->path(QStringLiteral("a.tmd"));
    writeFile(path, itemFile({QStringLiteral("一"), QStringLiteral("二")}));
    TListForm *f = makeForm(path);
    f->SetModified(true);
    m_notifier->answers << Notifier::Button(answer);
    m_notifier->inputs << std::optional<QString>(); // OpenR: cancel the name prompt
    f->findChild<QAction *>(command)->trigger();

    QCOMPARE(m_notifier->confirmations,
        QStringList {QStringLiteral("現在編集中のファイルは保存されません。よろしいですか？")});
    QCOMPARE(m_notifier->confirmButtons.first(), Notifier::Yes | Notifier::No);
    QCOMPARE(m_notifier->confirmDefaults.first(), Notifier::Yes);
    QCOMPARE(m_notifier->sounds.first(), Notifier::Sound::Question);
    if (command == QLatin1String("New") && goesOn) {
        QCOMPARE(f->FileName, QStringLiteral("新規"));
        QCOMPARE(f->Data->count(), 0);
        QVERIFY(!f->Modified);
    } else {
        if (command == QLatin1String("Open"))
            QCOMPARE(m_dialogPresets.size(), goesOn ? 1 : 0);
        if (command == QLatin1String("OpenR"))
            QCOMPARE(m_notifier->inputPrompts.size(), goesOn ? 1 : 0);
        // Nothing was chosen, so the document is as it was.
        QCOMPARE(f->FileName, path);
        QCOMPARE(f->Data->count(), 2);
        QVERIFY(f->Modified);
    }
}

void TestListForm::closeConfirmation_data()
{
    QTest::addColumn<QString>("document"); // new, file, device
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("dialogAnswers"); // Save As dialog chooses a name
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

void TestListForm::closeConfirmation()
{
    QFETCH(QString, document);
    QFETCH(int, answer);
    QFETCH(bool, dialogAnswers);
    QFETCH(bool, uploadWorks);
    QFETCH(bool, closes);
    QFETCH(bool, saved);

    const QString path = m_env->path(QStringLiteral("a.tmd"));
    const QByteArray original = itemFile({QStringLiteral("一")});
    QString savedPath = path;
    TListForm *f = nullptr;
    if (document == QLatin1String("new")) {
        f = makeForm();
        savedPath = m_env->path(QStringLiteral("chosen.tmd"));
        if (dialogAnswers)
            answerFileDialog(savedPath);
    } else if (document == QLatin1String("file")) {
        writeFile(path, original);
        f = makeForm(path);
    } else {
        m_device->deviceFile = original;
        Settings().writeString(QStringLiteral("Option"), QStringLiteral("RupFile"), QStringLiteral("B:\\A.TMD"));
        Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupFileMode"), false);
        f = makeForm();
        f->OpenRExecute();
        QCOMPARE(f->RupFileName, QStringLiteral("B:\\A.TMD"));
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

    QCOMPARE(
        m_notifier->confirmations.last(), QStringLiteral("現在編集中のファイルは保存されていません。保存しますか？"));
    QCOMPARE(m_notifier->confirmButtons.last(), Notifier::Yes | Notifier::No | Notifier::Cancel);
    QCOMPARE(m_notifier->confirmDefaults.last(), Notifier::Yes);
    QCOMPARE(m_notifier->sounds.contains(Notifier::Sound::Question), true);
    QCOMPARE(f->isVisible(), !closes);
    QCOMPARE(f->Modified, !saved);
    if (document == QLatin1String("new"))
        QCOMPARE(QFile::exists(savedPath), saved);
    else if (!saved && document == QLatin1String("file"))
        QCOMPARE(readFile(savedPath), before);
    if (document == QLatin1String("device"))
        QCOMPARE(m_device->functions().contains(QStringLiteral("u_upload")), true);
}

void TestListForm::commandLineFile()
{
    const QString path = m_env->path(QStringLiteral("start.tmd"));
    writeFile(path, itemFile({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
    TListForm *f = makeForm(path);
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + path);
    QCOMPARE(f->DataList->rowCount(), 3);
    // One sort after the rows were complete.
    QCOMPARE(f->DataList->row(0)->caption(), QStringLiteral("a"));
    QCOMPARE(f->DataList->row(0)->subItem(2), QStringLiteral("2026年12月11日"));
    QCOMPARE(f->MenuStatus->text(), countText(3));
    QVERIFY(!f->Modified);
    QVERIFY(!f->Save->isEnabled());
    QVERIFY(f->SaveAs->isEnabled());
    QVERIFY(m_notifier->messages.isEmpty());

    // A relative argument names the same file in full.
    const QString old = QDir::currentPath();
    QDir::setCurrent(m_env->path(QString()));
    TListForm *g = makeForm(QStringLiteral("start.tmd"));
    QDir::setCurrent(old);
    QCOMPARE(g->FileName, path);
}

void TestListForm::commandLineMissingFileSkipsAutoOpen()
{
    Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupAutoOpen"), true);
    const QString path = m_env->path(QStringLiteral("missing.tmd"));
    TListForm *f = makeForm(path);
    QTRY_COMPARE(m_notifier->messages.size(), 1);
    QCOMPARE(m_notifier->messages.first(), QStringLiteral("ファイルが見つかりません\"%1\"").arg(path));
    QCOMPARE(f->FileName, QStringLiteral("新規"));
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
    QVERIFY(m_device->calls.isEmpty());
    QVERIFY(m_notifier->inputPrompts.isEmpty());
}

void TestListForm::autoOpenFromDevice()
{
    Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupAutoOpen"), true);
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("RupFile"), QStringLiteral("B:\\TODO.TMD"));
    m_notifier->inputs << std::optional<QString>(QStringLiteral("B:\\TODO.TMD"));
    m_device->deviceFile = itemFile({QStringLiteral("端末")});
    TListForm *f = makeForm();
    QTRY_COMPARE(f->RupFileName, QStringLiteral("B:\\TODO.TMD"));
    // "RupFileMode" defaults to asking, with the stored name preset.
    QCOMPARE(m_notifier->inputPrompts, QStringList {QStringLiteral("ファイル名を指定してください")});
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:B:\\TODO.TMD"));
    QCOMPARE(f->DataList->rowCount(), 1);
}

void TestListForm::countShowsLimit_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("text");
    QTest::newRow("5") << 5 << QStringLiteral("現在   5件 / 最大 200件");
    QTest::newRow("12") << 12 << QStringLiteral("現在  12件 / 最大 200件");
    QTest::newRow("200") << 200 << QStringLiteral("現在 200件 / 最大 200件");
}

void TestListForm::countShowsLimit()
{
    QFETCH(int, items);
    QFETCH(QString, text);
    const QString path = m_env->path(QStringLiteral("n.tmd"));
    writeFile(path, itemFile(titles(items)));
    TListForm *f = makeForm(path);
    QCOMPARE(f->Data->count(), items);
    QCOMPARE(f->DataList->rowCount(), items);
    QCOMPARE(f->MenuStatus->text(), text);
    QCOMPARE(f->ItemCountText(), text);
    QCOMPARE(TListForm::MaxItems, 200);
}

void TestListForm::failedLoadLeavesEmptyDocument()
{
    const QString good = m_env->path(QStringLiteral("good.tmd"));
    writeFile(good, itemFile({QStringLiteral("一"), QStringLiteral("二")}));
    const QString bad = m_env->path(QStringLiteral("bad.tmd"));
    QByteArray truncated = itemFile({QStringLiteral("一"), QStringLiteral("二")});
    truncated.replace(0, 8, "NotOurs!");
    writeFile(bad, truncated);

    TListForm *f = makeForm(good);
    f->SetModified(true);
    answerFileDialog(bad);
    m_notifier->answers << Notifier::Yes;
    f->Open->trigger();
    QCOMPARE(m_notifier->errors.size(), 1);
    QCOMPARE(f->Data->count(), 0);
    QCOMPARE(f->DataList->rowCount(), 0);
    QVERIFY(!f->Modified);
    QCOMPARE(f->FileName, bad);
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - ") + bad);
    QCOMPARE(f->MenuStatus->text(), countText(0));
}

void TestListForm::openFromDeviceWithoutPrompt()
{
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("RupFile"), QStringLiteral("B:\\SUB\\TODO.TMD"));
    Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupFileMode"), false);
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
}

void TestListForm::openFromDeviceCancelledPrompt()
{
    TListForm *f = makeForm();
    m_notifier->inputs << std::optional<QString>();
    f->OpenR->trigger();
    QCOMPARE(m_notifier->inputPrompts.size(), 1);
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

void TestListForm::saveToDeviceAfterSaveAsSendsCurrentItems()
{
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("RupFile"), QStringLiteral("TODO.TMD"));
    Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupFileMode"), false);
    m_device->deviceFile = itemFile({QStringLiteral("古い")});
    TListForm *f = makeForm();
    f->OpenRExecute();
    QCOMPARE(f->Data->count(), 1);

    f->Data->at(0)->Title = QStringLiteral("新しい");
    f->RefreshItemRow(f->DataList->row(0));
    f->SetModified(true);
    const QString elsewhere = m_env->path(QStringLiteral("elsewhere.csv"));
    answerFileDialog(elsewhere);
    QVERIFY(f->SaveAsExecute());
    QCOMPARE(f->RupFileName, QStringLiteral("TODO.TMD"));
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:TODO.TMD"));

    f->SetModified(true);
    m_device->calls.clear();
    QVERIFY(f->SaveRExecute());
    QCOMPARE(m_device->functions(), (QStringList {"u_nego", "u_upload", "u_end"}));
    const QString sent = m_device->calls.at(1).first;
    QCOMPARE(m_device->calls.at(1).second, QStringLiteral("TODO.TMD"));
    // What goes to the device is an item file holding the edited title.
    const QByteArray bytes = readFile(sent);
    QCOMPARE(bytes.left(8), QByteArray("TideMk20"));
    QVERIFY(bytes.contains(Cp932::encode(QStringLiteral("新しい"))));
    QVERIFY(readFile(elsewhere).contains(Cp932::encode(QStringLiteral("新しい"))));
    QVERIFY(!f->Modified);
    QVERIFY(f->BackupDone);
}

void TestListForm::failedUploadKeepsChanges()
{
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("RupFile"), QStringLiteral("TODO.TMD"));
    Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupFileMode"), false);
    m_device->deviceFile = itemFile({QStringLiteral("一")});
    TListForm *f = makeForm();
    f->OpenRExecute();
    f->SetModified(true);
    m_device->plan(QStringLiteral("u_upload"), {9});
    QVERIFY(!f->SaveRExecute());
    QVERIFY(f->Modified);
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - Ruputer:TODO.TMD(修正)"));
}

void TestListForm::newAfterDeviceDropsAssociation()
{
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("RupFile"), QStringLiteral("TODO.TMD"));
    Settings().writeBool(QStringLiteral("Option"), QStringLiteral("RupFileMode"), false);
    m_device->deviceFile = itemFile({QStringLiteral("一")});
    TListForm *f = makeForm();
    f->OpenRExecute();
    QVERIFY(f->SaveR->isEnabled());
    f->New->trigger();
    QCOMPARE(f->windowTitle(), QStringLiteral("Tidemark - 新規"));
    QVERIFY(!f->SaveR->isEnabled());
    QVERIFY(f->RupFileName.isEmpty());
    QVERIFY(f->LocalFileName.isEmpty());
}

void TestListForm::toolBarSetting_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("flat");
    QTest::newRow("normal") << 0 << true << false;
    QTest::newRow("flat") << 1 << true << true;
    QTest::newRow("hidden") << 2 << false << true;
    QTest::newRow("other value") << 7 << true << true;
}

void TestListForm::toolBarSetting()
{
    QFETCH(int, first);
    QFETCH(bool, visible);
    QFETCH(bool, flat);
    Settings().writeInteger(QStringLiteral("Option"), QStringLiteral("ToolBtn"), first);
    TListForm *f = makeForm();
    f->show();
    QCOMPARE(f->ToolBar->isVisible(), visible);
    auto *button = qobject_cast<QToolButton *>(f->ToolBar->widgetForAction(f->New));
    QCOMPARE(button->autoRaise(), flat);

    // A later 0 or 1 shows it again.
    Settings().writeInteger(QStringLiteral("Option"), QStringLiteral("ToolBtn"), 0);
    f->ApplyOptions();
    QVERIFY(f->ToolBar->isVisible());
    QVERIFY(!button->autoRaise());
}

void TestListForm::fontSettings_data()
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

void TestListForm::fontSettings()
{
    QFETCH(QString, style);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("FontStyle"), style);
    Settings().writeString(QStringLiteral("Option"), QStringLiteral("FontName"), QStringLiteral("ＭＳ ゴシック"));
    Settings().writeInteger(QStringLiteral("Option"), QStringLiteral("FontSize"), 11);
    TListForm *f = makeForm();
    const QFont font = f->DataList->font();
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), italic);
    QCOMPARE(font.family(), QStringLiteral("ＭＳ ゴシック"));
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

void TestListForm::positionAndSortSurviveRestart()
{
    const QString path = m_env->path(QStringLiteral("a.tmd"));
    writeFile(path, itemFile({QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
    {
        TListForm *f = makeForm(path);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->setGeometry(40, 50, 700, 400);
        f->DataList->setColumnWidth(2, 90);
        f->DataList->setSortColumn(0);
        f->DataList->setSortMode(smDescending);
        QVERIFY(f->close());
        m_form.reset();
    }
    const QString stored
        = Settings().readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm.DataList"), QString());
    QCOMPARE(stored.split(u',').value(2), QStringLiteral("90"));
    QCOMPARE(Settings().readString(QStringLiteral("WindowPos"), QStringLiteral("ListForm.DataList.Sort"), QString()),
        QStringLiteral("1,0"));

    TListForm *g = makeForm(path);
    QCOMPARE(g->DataList->SortMode(), smDescending);
    QCOMPARE(g->DataList->SortColumn(), 0);
    QCOMPARE(g->DataList->columnWidth(2), 90);
    // Filled after the restore: sorted once in the stored order.
    QCOMPARE(g->DataList->row(0)->caption(), QStringLiteral("c"));
    g->show();
    QVERIFY(QTest::qWaitForWindowExposed(g));
    QCOMPARE(g->normalGeometry().size(), QSize(700, 400));
}

QTEST_MAIN(TestListForm)
#include "tst_listform.moc"
