#include "TestEnvironment.h"
#include "settings/AppSettings.h"
#include "settings/SaveWindowPos.h"
#include "settings/SettingsFile.h"

#include <QDialog>
#include <QHeaderView>
#include <QMainWindow>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

// Stands in for the sortable list: the component finds the sort order
// through these two properties.
class SortingTree : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(int SortColumn MEMBER sortColumn)
    Q_PROPERTY(int SortMode MEMBER sortMode)

public:
    int sortColumn = 0;
    int sortMode = 0;
};

struct MainForm
{
    QMainWindow window;
    SortingTree *list = new SortingTree;
    TSaveWindowPos *pos;

    MainForm()
    {
        window.setObjectName(QStringLiteral("ListForm"));
        window.resize(602, 372);
        list->setObjectName(QStringLiteral("DataList"));
        list->setColumnCount(7);
        const int widths[] = {135, 50, 75, 100, 75, 75, 75};
        for (int i = 0; i < 7; ++i)
            list->setColumnWidth(i, widths[i]);
        list->header()->setStretchLastSection(false);
        window.setCentralWidget(list);
        pos = new TSaveWindowPos(&window);
    }
    QList<int> widths() const
    {
        QList<int> result;
        for (int i = 0; i < list->columnCount(); ++i)
            result << list->columnWidth(i);
        return result;
    }
};

QRect centred(QSize size)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return QRect(QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2), size);
}

void writeKey(const QString &key, const QString &value)
{
    QVERIFY(Settings().writeString(QStringLiteral("WindowPos"), key, value));
}

QString readKey(const QString &key)
{
    return Settings().readString(QStringLiteral("WindowPos"), key, QStringLiteral("<none>"));
}

} // namespace

// Window placement, column widths, sort order and pages kept in "WindowPos".
class TestSaveWindowPos : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->resetSettings();
    }

    void restoredRect_data()
    {
        QTest::addColumn<QString>("stored"); // empty: no key
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<bool>("iconic"); // ResumeIconic
        const QRect centre = centred(QSize(602, 372));
        QTest::newRow("first start") << QString() << centre << false;
        QTest::newRow("eight fields") << "0,-1,-1,-1,-1,10,20,510" << centre << false;
        QTest::newRow("ten fields") << "0,-1,-1,-1,-1,10,20,510,320,7" << centre << false;
        QTest::newRow("empty") << "" << centre << false;
        QTest::newRow("no screen shows it") << "0,-1,-1,-1,-1,9000,9000,9602,9372" << centre << false;
        QTest::newRow("extreme numbers") << "0,-1,-1,-1,-1,-2147483648,-2147483648,2147483647,2147483647" << centre
                                         << false;
        QTest::newRow("extreme position") << "0,-1,-1,-1,-1,2147483000,10,2147483600,300" << centre << false;
        QTest::newRow("non-numeric fields keep the current value")
            << "0,-1,-1,-1,-1,x,20,y,320" << QRect(5, 20, 602, 300) << false;
        QTest::newRow("zero size keeps the current size")
            << "0,-1,-1,-1,-1,70,80,70,80" << QRect(70, 80, 602, 372) << false;
        QTest::newRow("minimized, ResumeIconic") << "1,-1,-1,-1,-1,70,80,470,380" << QRect(70, 80, 400, 300) << true;
        QTest::newRow("minimized reopens normal") << "1,-1,-1,-1,-1,70,80,470,380" << QRect(70, 80, 400, 300) << false;
    }
    void restoredRect()
    {
        QFETCH(QString, stored);
        if (!stored.isNull())
            writeKey(QStringLiteral("ListForm"), stored);
        QFETCH(bool, iconic);
        MainForm form;
        form.window.setGeometry(5, 6, 602, 372);
        form.pos->setResumeIconic(iconic);
        form.pos->RestorePlacement();
        QTEST(form.window.geometry(), "rect");
        QCOMPARE(form.window.windowState(), iconic ? Qt::WindowMinimized : Qt::WindowNoState);
        QCOMPARE(form.widths(), (QList<int> {135, 50, 75, 100, 75, 75, 75}));
    }

    void cycleWritesAndRestoresEverything()
    {
        {
            MainForm form;
            form.pos->RestorePlacement();
            form.window.setGeometry(10, 20, 500, 300);
            form.list->setColumnWidth(2, 90);
            form.list->setColumnWidth(6, 33);
            form.list->sortMode = 1;
            form.list->sortColumn = 3;
            form.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form.window));
            form.window.close();
        }
        QCOMPARE(readKey(QStringLiteral("ListForm")), QStringLiteral("0,-1,-1,-1,-1,10,20,510,320"));
        QCOMPARE(readKey(QStringLiteral("ListForm.Dock")), QStringLiteral(",500,300,500,300,10,20,500,300"));
        QCOMPARE(readKey(QStringLiteral("ListForm.DataList")), QStringLiteral("135,50,90,100,75,75,33"));
        QCOMPARE(readKey(QStringLiteral("ListForm.DataList.Sort")), QStringLiteral("1,3"));
        MainForm again;
        again.pos->RestorePlacement();
        QCOMPARE(again.window.geometry(), QRect(10, 20, 500, 300));
        QCOMPARE(again.widths(), (QList<int> {135, 50, 90, 100, 75, 75, 33}));
        QCOMPARE(again.list->sortMode, 1);
        QCOMPARE(again.list->sortColumn, 3);
    }

    void maximizedKeepsNormalRectangle()
    {
        {
            MainForm form;
            form.pos->RestorePlacement();
            form.window.setGeometry(50, 60, 400, 250);
            form.window.showMaximized();
            QTRY_VERIFY(form.window.isMaximized());
            form.window.close();
        }
        QCOMPARE(readKey(QStringLiteral("ListForm")), QStringLiteral("2,-1,-1,-1,-1,50,60,450,310"));
        MainForm again;
        again.pos->RestorePlacement();
        QVERIFY(again.window.windowState().testFlag(Qt::WindowMaximized));
        again.window.show();
        QTRY_VERIFY(again.window.isMaximized());
        again.window.showNormal();
        QTRY_COMPARE(again.window.geometry(), QRect(50, 60, 400, 250));
    }

    // Column widths: extra ones ignored, unreadable ones keep the current width.
    // Sort order: exactly two fields, an unreadable one keeps its value.
    void listKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QPoint>("sort"); // mode, column
        const auto row = [](const char *tag, const char *key, const char *value, QList<int> widths, QPoint sort) {
            QTest::newRow(tag) << QString::fromLatin1(key) << QString::fromLatin1(value) << widths << sort;
        };
        const QList<int> designed {135, 50, 75, 100, 75, 75, 75};
        row("three widths", "DataList", "111,122,133", {111, 122, 133, 100, 75, 75, 75}, {0, 2});
        row("nine widths", "DataList", "41,42,43,44,45,46,47,48,49", {41, 42, 43, 44, 45, 46, 47}, {0, 2});
        row("unreadable widths", "DataList", "60,,x,61", {60, 50, 75, 61, 75, 75, 75}, {0, 2});
        row("sort", "DataList.Sort", "1,4", designed, {1, 4});
        row("sort, one field", "DataList.Sort", "1", designed, {0, 2});
        row("sort, three fields", "DataList.Sort", "1,4,5", designed, {0, 2});
        row("sort, bad mode", "DataList.Sort", "z,4", designed, {0, 4});
    }
    void listKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        writeKey(QStringLiteral("ListForm.") + key, value);
        MainForm form;
        form.list->sortColumn = 2;
        form.pos->RestorePlacement();
        QTEST(form.widths(), "widths");
        QTEST(QPoint(form.list->sortMode, form.list->sortColumn), "sort");
    }

    void undockedDockValueRestoresSizes()
    {
        writeKey(QStringLiteral("ListForm.Dock"), QStringLiteral(",111,222,333,444,1,2,3,4"));
        MainForm form;
        form.pos->RestorePlacement();
        QCOMPARE(form.pos->LRDockWidth(), 111);
        QCOMPARE(form.pos->TBDockHeight(), 222);
        QCOMPARE(form.pos->UndockWidth(), 333);
        QCOMPARE(form.pos->UndockHeight(), 444);
        // Not docked anywhere: the window keeps its own placement.
        QCOMPARE(form.window.size(), QSize(602, 372));
        form.window.show();
        form.window.close();
        QVERIFY(readKey(QStringLiteral("ListForm.Dock")).startsWith(QStringLiteral(",111,222,333,444,")));
    }

    void dialogs()
    {
        // A dialog keeps its designed size and saves on OK and on Cancel alike.
        writeKey(QStringLiteral("DetailDlg"), QStringLiteral("0,-1,-1,-1,-1,15,25,615,525"));
        for (bool accept : {true, false}) {
            QDialog dialog;
            dialog.setObjectName(QStringLiteral("DetailDlg"));
            dialog.resize(300, 200);
            TSaveWindowPos pos(&dialog);
            pos.RestorePlacement();
            if (accept)
                QCOMPARE(dialog.geometry(), QRect(15, 25, 300, 200));
            dialog.setGeometry(12 + int(accept), 34, 300, 200);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (accept)
                dialog.accept();
            else
                QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(dialog.isHidden());
            QCOMPARE(readKey(QStringLiteral("DetailDlg")),
                QStringLiteral("0,-1,-1,-1,-1,%1,34,%2,234").arg(12 + int(accept)).arg(312 + int(accept)));
        }
    }

    void pageControlIndex_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("initial");
        QTest::addColumn<int>("expected");
        QTest::newRow("second") << "1" << 0 << 1;
        QTest::newRow("missing gives first") << "" << 2 << 0;
        QTest::newRow("beyond pages") << "7" << 2 << 2;
        QTest::newRow("negative") << "-1" << 2 << 2;
    }
    void pageControlIndex()
    {
        QFETCH(QString, stored);
        QFETCH(int, initial);
        if (!stored.isEmpty())
            writeKey(QStringLiteral("OptionDlg.PCOption"), stored);
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("OptionDlg"));
        auto *pages = new QTabWidget(&dialog);
        pages->setObjectName(QStringLiteral("PCOption"));
        for (int i = 0; i < 3; ++i)
            pages->addTab(new QWidget, QString::number(i));
        pages->setCurrentIndex(initial);
        TSaveWindowPos pos(&dialog);
        pos.RestorePlacement();
        QTEST(pages->currentIndex(), "expected");
        pages->setCurrentIndex(2);
        pos.SavePlacement();
        QCOMPARE(readKey(QStringLiteral("OptionDlg.PCOption")), QStringLiteral("2"));
    }

    void restoresAtFirstShowWhenNotCalled()
    {
        writeKey(QStringLiteral("ListForm"), QStringLiteral("0,-1,-1,-1,-1,40,50,440,350"));
        writeKey(QStringLiteral("ListForm.DataList"), QStringLiteral("60"));
        MainForm form;
        QVERIFY(!form.pos->restored());
        form.window.show();
        QVERIFY(form.pos->restored());
        QCOMPARE(form.window.geometry(), QRect(40, 50, 400, 300));
        QCOMPARE(form.list->columnWidth(0), 60);
        // A second show restores nothing again.
        form.window.hide();
        form.list->setColumnWidth(0, 70);
        form.window.show();
        QCOMPARE(form.list->columnWidth(0), 70);
    }

    void extraPart()
    {
        QString restored = QStringLiteral("<not called>");
        {
            MainForm form;
            form.pos->addPart(
                QStringLiteral("Splitter"), [] { return QStringLiteral("abc"); },
                [&](const QString &v) { restored = v; });
            form.pos->RestorePlacement();
            QCOMPARE(restored, QString());
            form.pos->SavePlacement();
        }
        QCOMPARE(readKey(QStringLiteral("ListForm.Splitter")), QStringLiteral("abc"));
        MainForm again;
        again.pos->addPart(
            QStringLiteral("Splitter"), [] { return QString(); }, [&](const QString &v) { restored = v; });
        again.pos->RestorePlacement();
        QCOMPARE(restored, QStringLiteral("abc"));
    }
};

QTEST_MAIN(TestSaveWindowPos)
#include "tst_savewindowpos.moc"
