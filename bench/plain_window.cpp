// A plain Qt Widgets program that shows what tidemark shows at start: the
// same menus and tool bar and a 200-row list of Japanese texts in seven
// columns, written with nothing but stock Qt. bench/startup.sh times it
// beside tidemark; like the program under TIDEMARK_EXIT_WHEN_SHOWN, it prints
// the steady-clock time of its first paint and quits.
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>

namespace {

class QuitWhenPainted : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The zero timer fires once the paint has been flushed.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        return false;
    }
};

struct Command
{
    const char *menu; // nullptr: same menu as the one before
    QString caption;
    QStyle::StandardPixmap icon;
    bool separatorBefore;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("無題 - Tidemark"));
    window.resize(602, 372);

    const Command commands[] = {
        {"ﾌｧｲﾙ(&F)", QStringLiteral("新規作成(&N)"), QStyle::SP_FileIcon, false},
        {nullptr, QStringLiteral("開く(&O)"), QStyle::SP_DialogOpenButton, false},
        {nullptr, QStringLiteral("上書き保存(&S)"), QStyle::SP_DialogSaveButton, false},
        {nullptr, QStringLiteral("名前を付けて保存(&A)..."), QStyle::SP_DriveHDIcon, false},
        {nullptr, QStringLiteral("Ruputerから開く(&R)"), QStyle::SP_ArrowDown, true},
        {nullptr, QStringLiteral("Ruputerに保存(&W)"), QStyle::SP_ArrowUp, false},
        {nullptr, QStringLiteral("終了(&X)"), QStyle::SP_DialogCloseButton, true},
        {"編集(&E)", QStringLiteral("追加(&A)"), QStyle::SP_FileDialogNewFolder, true},
        {nullptr, QStringLiteral("複写して追加(&C)"), QStyle::SP_FileDialogContentsView, false},
        {nullptr, QStringLiteral("修正(&U)"), QStyle::SP_FileDialogDetailedView, false},
        {nullptr, QStringLiteral("削除(&D)"), QStyle::SP_TrashIcon, false},
        {nullptr, QStringLiteral("Ruputerでの動作設定"), QStyle::SP_ComputerIcon, true},
        {"ｵﾌﾟｼｮﾝ(&O)", QStringLiteral("設定(&C)"), QStyle::SP_FileDialogListView, true},
        {"ﾍﾙﾌﾟ(&H)", QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), QStyle::SP_DialogHelpButton, true},
        {nullptr, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), QStyle::SP_MessageBoxInformation, false},
    };
    QToolBar *toolBar = window.addToolBar(QStringLiteral("ToolBar"));
    toolBar->setIconSize(QSize(16, 16));
    QMenu *menu = nullptr;
    for (const Command &c : commands) {
        if (c.menu)
            menu = window.menuBar()->addMenu(QString::fromUtf8(c.menu));
        auto *action = new QAction(window.style()->standardIcon(c.icon), c.caption, &window);
        menu->addAction(action);
        if (c.separatorBefore)
            toolBar->addSeparator();
        toolBar->addAction(action);
    }

    auto *list = new QTreeWidget(&window);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({QStringLiteral("タイトル"), QStringLiteral("オプション"), QStringLiteral("タイプ"),
        QStringLiteral("対　象　日"), QStringLiteral("前表示期間"), QStringLiteral("後表示期間"),
        QStringLiteral("最終処理日")});
    const int widths[] = {135, 50, 75, 100, 75, 75, 75};
    for (int c = 0; c < 7; ++c)
        list->setColumnWidth(c, widths[c]);
    const QString kinds[] = {
        QStringLiteral("一度・期間"), QStringLiteral("月日指定"), QStringLiteral("曜日指定"), QStringLiteral("不定期")};
    const QString targets[] = {QStringLiteral("2026年12月24日"), QStringLiteral("毎月15,末日"),
        QStringLiteral("奇数週月,水曜日"), QStringLiteral("2026年03月01日")};
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < 200; ++i) {
        const int k = i % 4;
        rows.append(new QTreeWidgetItem({QStringLiteral("予定の項目 %1").arg(i + 1),
            k == 1 ? QStringLiteral("+%1月").arg(i % 12) : QStringLiteral(" "), kinds[k], targets[k],
            QString::number(i % 10), QString::number(i % 5),
            QStringLiteral("2025年01月%1日").arg(i % 28 + 1, 2, 10, QLatin1Char('0'))}));
    }
    list->addTopLevelItems(rows);
    list->sortItems(0, Qt::AscendingOrder);
    window.setCentralWidget(list);

    QuitWhenPainted quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
