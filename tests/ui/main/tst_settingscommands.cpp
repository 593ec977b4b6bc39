#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "data/Data.h"
#include "data/TextCodec.h"
#include "settings/AppSettings.h"
#include "settings/OptionDlg.h"
#include "settings/SettingsFile.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/OpenDialogEx.h"
#include "ui/controls/RadioGroup.h"
#include "ui/main/ListForm.h"
#include "ui/main/SortListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QtEndian>

namespace {

// One once-item record after the 32-byte header, from the record layout.
QByteArray itemFile(const QString &title)
{
    QByteArray bytes(32, '\0');
    bytes.replace(0, 9, QByteArray("TideMk20\0", 9));
    QByteArray r(160, '\0');
    const QByteArray encoded = Cp932::encode(title);
    r.replace(6, encoded.size(), encoded);
    qToLittleEndian<qint16>(2026, r.data() + 106);
    r[108] = 12;
    r[109] = 24;
    return bytes + r;
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
        if (!modal || modal == previous) {
            onNextModal(step, previous);
            return;
        }
        step(modal);
    });
}

} // namespace

class TestSettingsCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void deviceSettingsOkMarksModified();
    void deviceSettingsCancelChangesNothing();
    void settingsApplyAtOnce();
    void cancelledSettingsChangeNothing();
    void csvSettingsFromSaveAsDialogUsedBySave();

private:
    TListForm *openForm(const QString &argument = QString());

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notifier;
    std::unique_ptr<TListForm> m_form;
};

void TestSettingsCommands::initTestCase()
{
    InstallFontSubstitutes();
}

void TestSettingsCommands::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_notifier = std::make_unique<ScriptedNotifier>();
}

void TestSettingsCommands::cleanup()
{
    m_form.reset();
    m_notifier.reset();
    m_env.reset();
}

TListForm *TestSettingsCommands::openForm(const QString &argument)
{
    m_form = std::make_unique<TListForm>(argument);
    m_form->show();
    return m_form.get();
}

void TestSettingsCommands::deviceSettingsOkMarksModified()
{
    const QString path = m_env->path(QStringLiteral("doc.tmd"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(itemFile(QStringLiteral("燃えるごみ")));
    f.close();
    TListForm *form = openForm(path);
    QVERIFY(!form->Modified);
    QVERIFY(!form->windowTitle().endsWith(QStringLiteral("(修正)")));

    bool seen = false;
    onNextModal([&](QWidget *dlg) {
        seen = dlg->objectName() == QLatin1String("RupOptionDlg");
        child<QPushButton>(dlg, "OKBtn")->click();
    });
    form->RupOption->trigger();
    QVERIFY(seen);
    QVERIFY(form->Modified);
    QVERIFY(form->windowTitle().endsWith(QStringLiteral("(修正)")));
}

void TestSettingsCommands::deviceSettingsCancelChangesNothing()
{
    TListForm *form = openForm();
    const auto before = form->Data->Head;
    onNextModal([](QWidget *dlg) {
        child<QCheckBox>(dlg, "CBDateDsp")->setChecked(false);
        child<QPushButton>(dlg, "CancelBtn")->click();
    });
    form->RupOptionExecute();
    QVERIFY(!form->Modified);
    QVERIFY(form->Data->Head == before);

    onNextModal([](QWidget *dlg) {
        child<QCheckBox>(dlg, "CBDateDsp")->setChecked(false);
        child<QPushButton>(dlg, "OKBtn")->click();
    });
    form->RupOptionExecute();
    QCOMPARE(int(form->Data->Head.DateDsp()), 1);
}

void TestSettingsCommands::settingsApplyAtOnce()
{
    TListForm *form = openForm();
    QVERIFY(form->ToolBar->isVisible());
    QFont chosen(QStringLiteral("ＭＳ ゴシック"));
    chosen.setPointSize(14);
    chosen.setBold(true);
    onNextModal([&](QWidget *dlg) {
        auto *options = qobject_cast<TOptionDlg *>(dlg);
        QVERIFY(options);
        child<TRadioGroup>(dlg, "RGToolBtn")->setItemIndex(2);
        options->ShowFontSample(chosen);
        child<QPushButton>(dlg, "OKBtn")->click();
    });
    form->Option->trigger();
    QVERIFY(!form->ToolBar->isVisible());
    QCOMPARE(form->DataList->font().family(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(form->DataList->font().pointSize(), 14);
    QVERIFY(form->DataList->font().bold());
    QVERIFY(!form->Modified);
}

void TestSettingsCommands::cancelledSettingsChangeNothing()
{
    TListForm *form = openForm();
    const QFont before = form->DataList->font();
    onNextModal([](QWidget *dlg) {
        child<TRadioGroup>(dlg, "RGToolBtn")->setItemIndex(2);
        child<QPushButton>(dlg, "CancelBtn")->click();
    });
    form->OptionExecute();
    QVERIFY(form->ToolBar->isVisible());
    QCOMPARE(form->DataList->font(), before);
    QVERIFY(!Settings().valueExists(QStringLiteral("Option"), QStringLiteral("ToolBtn")));
}

void TestSettingsCommands::csvSettingsFromSaveAsDialogUsedBySave()
{
    const QString source = m_env->path(QStringLiteral("doc.tmd"));
    QFile f(source);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(itemFile(QStringLiteral("資源ごみ 回収")));
    f.close();
    TListForm *form = openForm(source);
    QCOMPARE(form->Data->count(), 1);

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
    QVERIFY(form->SaveAsExecute());
    QVERIFY(csvDialogSeen);

    QFile out(target);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = out.readAll().split('\n');
    QVERIFY(lines.size() >= 2);
    // Tab-separated, and the title with a space unquoted.
    QVERIFY2(lines[0].startsWith(Cp932::encode(QStringLiteral("タイトル\t号数オプション\t"))), lines[0].constData());
    QVERIFY2(lines[1].startsWith(Cp932::encode(QStringLiteral("資源ごみ 回収\t"))), lines[1].constData());
}

QTEST_MAIN(TestSettingsCommands)
#include "tst_settingscommands.moc"
