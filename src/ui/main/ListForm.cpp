#include "ui/main/ListForm.h"

#include "data/AppError.h"
#include "data/CSVOptionDlg.h"
#include "data/Data.h"
#include "data/DocumentSaveFile.h"
#include "data/ItemRec.h"
#include "data/Notifier.h"
#include "device/RuputerCom.h"
#include "settings/AppSettings.h"
#include "settings/SaveWindowPos.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "ui/controls/AboutBox.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/Icons.h"
#include "ui/controls/OpenDialogEx.h"
#include "ui/main/SortListView.h"
#include "ui/schedule/ScheduleWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <optional>

namespace {

TListForm::FileDialogHook &fileDialogHook()
{
    static TListForm::FileDialogHook hook;
    return hook;
}

const QString FileFilter
    = QStringLiteral("Tidemarkﾌｧｲﾙ (*.tmd)|*.tmd|CSV形式ﾌｧｲﾙ (*.csv)|*.csv|すべてのﾌｧｲﾙ (*.*)|*.*");

QString countText(int count)
{
    return QString::asprintf("現在 %3d件 / 最大 %3d件", count, TListForm::MaxItems);
}

} // namespace

const QString TListForm::NewFileName = QStringLiteral("新規");

void TListForm::setFileDialogHook(FileDialogHook hook)
{
    fileDialogHook() = std::move(hook);
}

TListForm::TListForm(const QString &argument, QWidget *parent)
    : QMainWindow(parent)
    , m_argument(argument)
{
    setObjectName(QStringLiteral("ListForm"));
    SetHelpContext(this, HelpContext::MainWindow);
    FormCreate(argument);
}

TListForm::~TListForm()
{
    // Rows refer to the items; they go first.
    if (DataList)
        DataList->clearRows();
    delete Data;
}

void TListForm::FormCreate(const QString &argument)
{
    InitSettings();

    setFont(WindowsFont(QStringLiteral("ＭＳ Ｐゴシック"), -12));
    resize(602, 372);

    DataList = new TSortListView(this);
    DataList->setObjectName(QStringLiteral("DataList"));
    AddItemListColumns(*DataList);
    // The selection shows only while the list has the focus.
    QPalette palette = DataList->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::Text));
    DataList->setPalette(palette);
    setCentralWidget(DataList);

    RupCom = new TRuputerCom(this);
    RupCom->setObjectName(QStringLiteral("RupCom"));
    AboutBoxDlg = new TAboutBoxDlg(this);
    AboutBoxDlg->setObjectName(QStringLiteral("AboutBoxDlg"));

    createActions();
    createMenus();
    createToolBar();

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    SetHelpContext(PopupMenu, HelpContext::EditMenu);
    PopupMenu->addActions({Add, Cpy, Upd, Del});
    PopupMenu->addSeparator();
    PopupMenu->addAction(Schedule);
    PopupMenu->setDefaultAction(Upd); // drawn bold
    DataList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DataList, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { PopupMenu->popup(DataList->viewport()->mapToGlobal(pos)); });
    connect(DataList, &QTreeWidget::itemDoubleClicked, this, [this] { UpdExecute(); });

    QFont listFont = DataList->font();
    LoadFontSettings(listFont);
    DataList->setFont(DisplayFont(listFont));
    // Wide enough to show every column, as long as no stored size says
    // otherwise.
    {
        int columns = 2 * DataList->frameWidth() + DataList->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        for (int column = 0; column < DataList->columnCount(); ++column)
            columns += DataList->columnWidth(column);
        resize(qMax(width(), columns), height());
    }
    ApplyOptions();
    SetFileName(NewFileName);
    Data = new TData(Settings());
    ClearDocument();

    // Window position, column widths and sort order, before the list is
    // filled so that it sorts once in the stored order.
    SaveWindowPos1 = new TSaveWindowPos(this);
    SaveWindowPos1->setObjectName(QStringLiteral("SaveWindowPos1"));
    SaveWindowPos1->setResumeIconic(false);
    SaveWindowPos1->setDefaultPosition(TSaveWindowPos::dpScreenCenter);
    SaveWindowPos1->RestorePlacement();

    if (!argument.isEmpty()) {
        const QFileInfo info(argument);
        if (info.exists() && !info.isDir()) {
            RupFileName.clear();
            LocalFileName.clear();
            SetFileName(info.absoluteFilePath());
            OpenDocument();
        } else {
            m_argumentMissing = true;
        }
    }
    // Messages and device transfers wait for the window to be up.
    QTimer::singleShot(0, this, &TListForm::startAfterShow);
}

void TListForm::startAfterShow()
{
    if (m_argumentMissing) {
        Notifier::instance().showMessage(FileErrorMessage(FileAction::Find, m_argument));
        return; // a missing file never leads on to the automatic open
    }
    if (m_argument.isEmpty() && ReadSetting(Settings(), SettingKeys::RupAutoOpen))
        OpenRExecute();
}

QAction *TListForm::makeAction(const char *name, const QString &caption, const QString &hint,
    const QKeySequence &shortcut, int image, const QString &category)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    action->setIcon(ToolIcon(image));
    action->setProperty("ImageIndex", image);
    action->setProperty("Category", category);
    // The shortcuts act wherever the focus is in the main window.
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    return action;
}

void TListForm::createActions()
{
    const QString file = QStringLiteral("ファイル");
    const QString edit = QStringLiteral("編集");
    New = makeAction(
        "New", QStringLiteral("新規作成(&N)"), QStringLiteral("新規作成"), QKeySequence(Qt::CTRL | Qt::Key_N), 0, file);
    Open = makeAction(
        "Open", QStringLiteral("開く(&O)"), QStringLiteral("開く"), QKeySequence(Qt::CTRL | Qt::Key_O), 1, file);
    Save = makeAction("Save", QStringLiteral("上書き保存(&S)"), QStringLiteral("上書き保存"),
        QKeySequence(Qt::CTRL | Qt::Key_S), 2, file);
    SaveAs = makeAction(
        "SaveAs", QStringLiteral("名前を付けて保存(&A)..."), QStringLiteral("名前を付けて保存"), {}, 3, file);
    ICalExport = makeAction("ICalExport", QStringLiteral("iCalendar形式で書き出し..."),
        QStringLiteral("iCalendar形式で書き出し"), {}, -1, file);
    ICalExport->setIcon(QIcon());
    OpenR = makeAction("OpenR", QStringLiteral("Ruputerから開く(&R)"), QStringLiteral("Ruputerから開く"),
        QKeySequence(Qt::CTRL | Qt::Key_R), 4, file);
    SaveR = makeAction("SaveR", QStringLiteral("Ruputerに保存(&W)"), QStringLiteral("Ruputerに保存"), {}, 5, file);
    ExitPgm = makeAction("ExitPgm", QStringLiteral("終了(&X)"), QStringLiteral("終了"), {}, 6, file);
    Add = makeAction("Add", QStringLiteral("追加(&A)"), QStringLiteral("追加"), QKeySequence(Qt::Key_Insert), 7, edit);
    Cpy = makeAction("Cpy", QStringLiteral("複写して追加(&C)"), QStringLiteral("複写して追加"),
        QKeySequence(Qt::CTRL | Qt::Key_C), 8, edit);
    // The menu names the key as the keyboard does: "Enter", not Qt's "Return".
    Upd = makeAction(
        "Upd", QStringLiteral("修正(&U)\tEnter"), QStringLiteral("修正"), QKeySequence(Qt::Key_Return), 9, edit);
    Upd->setIconText(QStringLiteral("修正"));
    // Enter on the keypad as well as Return.
    Upd->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    Del = makeAction("Del", QStringLiteral("削除(&D)"), QStringLiteral("削除"), QKeySequence(Qt::Key_Delete), 10, edit);
    RupOption = makeAction(
        "RupOption", QStringLiteral("Ruputerでの動作設定"), QStringLiteral("Ruputerでの動作設定"), {}, 15, edit);
    Schedule = makeAction("Schedule", QStringLiteral("予定表(&S)"),
        QStringLiteral("いつ対象日になり、いつ表示されるか"), {}, -1, QStringLiteral("表示"));
    Schedule->setIcon(QIcon());
    Option = makeAction("Option", QStringLiteral("設定(&C)"), QStringLiteral("設定"), {}, 12, QString());
    SearchforHelpOn = makeAction(
        "SearchforHelpOn", QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), QStringLiteral("ﾄﾋﾟｯｸの検索"), {}, 13, QString());
    About = makeAction("About", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), {}, 14, QString());

    connect(New, &QAction::triggered, this, &TListForm::NewExecute);
    connect(Open, &QAction::triggered, this, &TListForm::OpenExecute);
    connect(Save, &QAction::triggered, this, &TListForm::SaveExecute);
    connect(SaveAs, &QAction::triggered, this, &TListForm::SaveAsExecute);
    connect(ICalExport, &QAction::triggered, this, &TListForm::ICalExportExecute);
    connect(OpenR, &QAction::triggered, this, &TListForm::OpenRExecute);
    connect(SaveR, &QAction::triggered, this, &TListForm::SaveRExecute);
    connect(ExitPgm, &QAction::triggered, this, &TListForm::ExitPgmExecute);
    connect(Add, &QAction::triggered, this, &TListForm::AddExecute);
    connect(Cpy, &QAction::triggered, this, &TListForm::CpyExecute);
    connect(Upd, &QAction::triggered, this, &TListForm::UpdExecute);
    connect(Del, &QAction::triggered, this, &TListForm::DelExecute);
    connect(RupOption, &QAction::triggered, this, &TListForm::RupOptionExecute);
    connect(Schedule, &QAction::triggered, this, &TListForm::ScheduleExecute);
    connect(Option, &QAction::triggered, this, &TListForm::OptionExecute);
    connect(SearchforHelpOn, &QAction::triggered, this, &TListForm::SearchforHelpOnExecute);
    connect(About, &QAction::triggered, this, &TListForm::AboutExecute);
}

void TListForm::createMenus()
{
    MainMenu = menuBar();
    MainMenu->setObjectName(QStringLiteral("MainMenu"));

    File1 = MainMenu->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    File1->setObjectName(QStringLiteral("File1"));
    SetHelpContext(File1, HelpContext::FileMenu);
    File1->addActions({New, Open, Save, SaveAs, ICalExport});
    File1->addSeparator();
    File1->addActions({OpenR, SaveR});
    File1->addSeparator();
    File1->addAction(ExitPgm);

    Edit1 = MainMenu->addMenu(QStringLiteral("編集(&E)"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    SetHelpContext(Edit1, HelpContext::EditMenu);
    Edit1->addActions({Add, Cpy, Upd, Del, RupOption});

    View1 = MainMenu->addMenu(QStringLiteral("表示(&V)"));
    View1->setObjectName(QStringLiteral("View1"));
    SetHelpContext(View1, HelpContext::Schedule);
    View1->addAction(Schedule);

    Option1 = MainMenu->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    Option1->setObjectName(QStringLiteral("Option1"));
    SetHelpContext(Option1, HelpContext::OptionMenu);
    Option1->addAction(Option);

    Help1 = MainMenu->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->addActions({SearchforHelpOn, About});

    // The count text at the right end of the menu bar; it is not a command.
    MenuStatus = new QLabel(MainMenu);
    MenuStatus->setObjectName(QStringLiteral("MenuStatus"));
    MenuStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MenuStatus->setContentsMargins(6, 0, 8, 0);
    MenuStatus->setAutoFillBackground(false);
    MainMenu->setCornerWidget(MenuStatus, Qt::TopRightCorner);
    MenuStatus->setToolTip(ItemLimitHint());
    // The menu bar gives its corner the width of the text shown first; in a
    // proportional font "  0" is narrower than "200". Room for the widest
    // count keeps every count whole.
    int widest = 0;
    for (int count = 0; count <= MaxItems; ++count)
        widest = qMax(widest, MenuStatus->fontMetrics().horizontalAdvance(countText(count)));
    const QMargins margins = MenuStatus->contentsMargins();
    MenuStatus->setFixedWidth(widest + margins.left() + margins.right() + 2 * MenuStatus->margin() + 2);
}

void TListForm::createToolBar()
{
    ToolBar = addToolBar(QStringLiteral("ToolBar"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setFixedHeight(30);
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    ToolBar->addActions({New, Open, Save, SaveAs});
    ToolBar->addSeparator();
    ToolBar->addActions({OpenR, SaveR});
    ToolBar->addSeparator();
    ToolBar->addAction(ExitPgm);
    ToolBar->addSeparator();
    ToolBar->addActions({Add, Cpy, Upd, Del});
    ToolBar->addSeparator();
    ToolBar->addAction(RupOption);
    ToolBar->addSeparator();
    ToolBar->addAction(Option);
    ToolBar->addSeparator();
    ToolBar->addActions({SearchforHelpOn, About});
    ToolBar->setProperty("Flat", true);
}

void TListForm::LoadFontSettings(QFont &font) const
{
    ::LoadFontSettings(font, Settings());
}

void TListForm::ApplyOptions()
{
    const SettingsFile &settings = Settings();
    const int toolBtn = ReadSetting(settings, SettingKeys::ToolBtn);
    if (toolBtn == 0 || toolBtn == 1) {
        const bool flat = toolBtn == 1;
        ToolBar->setProperty("Flat", flat);
        for (QAction *action : ToolBar->actions())
            if (auto *button = qobject_cast<QToolButton *>(ToolBar->widgetForAction(action)))
                button->setAutoRaise(flat);
        ToolBar->setVisible(true);
    } else if (toolBtn == 2) {
        ToolBar->setVisible(false);
    }

    ApplyDeviceOptions(*RupCom, settings);
}

QString TListForm::BackupNameOf(const QString &name)
{
    if (name == NewFileName)
        return {};
    const qsizetype slash = name.lastIndexOf(u'/');
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot > slash ? name.mid(dot) : QString();
    const QString base = name.left(name.size() - extension.size());
    if (extension.compare(u".tmd", Qt::CaseInsensitive) == 0)
        return base + QStringLiteral(".old");
    if (extension == u".old")
        return base + QStringLiteral(".ol2");
    // Any other document keeps its whole name, so that "x.csv" and "x.tmd"
    // beside each other never share a backup.
    return name + QStringLiteral(".bak");
}

QString TListForm::DeviceNamePart(const QString &deviceFileName)
{
    qsizetype cut = -1;
    for (QChar c : {u'/', u'\\', u':'})
        cut = qMax(cut, deviceFileName.lastIndexOf(c));
    return deviceFileName.mid(cut + 1);
}

void TListForm::SetFileName(const QString &name)
{
    FileName = name;
    BackupName = BackupNameOf(name);
}

void TListForm::SetModified(bool flag)
{
    Modified = flag;
    Save->setEnabled(flag);
    SaveAs->setEnabled(FileName != NewFileName || flag);
    QString titlePart;
    if (RupFileName.isEmpty()) {
        titlePart = FileName;
        SaveR->setEnabled(false);
    } else {
        titlePart = QStringLiteral("Ruputer:") + RupFileName;
        SaveR->setEnabled(true);
    }
    setWindowTitle(QStringLiteral("Tidemark - ") + titlePart + (flag ? QStringLiteral("(修正)") : QString()));
    ShowItemCount();
    Q_EMIT documentChanged();
}

QString TListForm::ItemCountText() const
{
    return countText(Data ? Data->count() : 0);
}

QString TListForm::ItemLimitHint()
{
    return QStringLiteral("1 つの文書に入れられる項目は %1 件までです").arg(MaxItems);
}

void TListForm::ShowItemCount()
{
    MenuStatus->setText(ItemCountText());
}

void TListForm::ClearDocument()
{
    DataList->clearRows();
    Data->Clear();
    SetModified(false);
    BackupDone = false;
}

TSortListItem *TListForm::AddItemRow(TItemRec *item)
{
    TSortListItem *row = DataList->addRow();
    row->setItem(item);
    RefreshItemRow(row);
    return row;
}

void TListForm::RefreshItemRow(TSortListItem *row)
{
    row->refresh();
}

bool TListForm::OpenDocument()
{
    ClearDocument();
    ApplyCSVOption(*Data, Settings());
    try {
        Data->LoadFromFile(FileName);
    } catch (const AppError &error) {
        // Nothing half-read stays behind the empty list.
        Data->Clear();
        ShowItemCount();
        Notifier::instance().showError(error.message());
        return false;
    }
    if (Data->count() > MaxItems) {
        // Taking only the first items would lose the rest at the next save;
        // the file stays as it is instead.
        const int count = Data->count();
        Data->Clear();
        ShowItemCount();
        Notifier::instance().showError(QStringLiteral(
            "このファイルには %1 件の項目があります。1 つの文書に入れられるのは %2 件までのため、開けません")
                                           .arg(count)
                                           .arg(MaxItems));
        return false;
    }
    DataList->BeginUpdate();
    for (int i = 0; i < Data->count(); ++i)
        AddItemRow(Data->at(i));
    DataList->EndUpdate();
    ShowItemCount();
    Q_EMIT documentChanged();
    return true;
}

bool TListForm::SaveDocument()
{
    // The previous file becomes the backup only once the new one is complete:
    // a failed save leaves the document and the earlier backup as they were.
    std::optional<BackupCopy> backup;
    if (!BackupDone && !BackupName.isEmpty() && QFileInfo(FileName).isFile()) {
        backup.emplace(FileName, BackupName);
        if (!backup->prepare())
            backup.reset();
    }
    ApplyCSVOption(*Data, Settings());
    try {
        WriteDocument(FileName);
    } catch (const AppError &error) {
        Notifier::instance().showError(error.message());
        return false;
    }
    if (backup)
        backup->commit();
    BackupDone = true;
    SetModified(false);
    return true;
}

void TListForm::WriteDocument(const QString &path)
{
    Data->SaveToFile(path);
}

bool TListForm::ConfirmDiscard()
{
    if (!Modified)
        return true;
    Notifier &notifier = Notifier::instance();
    notifier.sound(Notifier::Sound::Question);
    return notifier.confirm(QStringLiteral("現在編集中のファイルは保存されません。よろしいですか？"),
               Notifier::Yes | Notifier::No, Notifier::Yes)
        == Notifier::Yes;
}

std::optional<QString> TListForm::runFileDialog(bool save, const QString &fileName, const QString &exportFilter)
{
    if (fileDialogHook())
        return fileDialogHook()(save, fileName);

    std::unique_ptr<TOpenDialogEx> dialog;
    if (save) {
        dialog = std::make_unique<TSaveDialogEx>(this);
        dialog->setObjectName(QStringLiteral("SaveDialog"));
        dialog->setTitle(QStringLiteral("名前をつけて保存"));
    } else {
        dialog = std::make_unique<TOpenDialogEx>(this);
        dialog->setObjectName(QStringLiteral("OpenDialog"));
    }
    if (save && !exportFilter.isEmpty()) {
        dialog->setFilter(exportFilter);
        dialog->setFilterIndex(1);
        dialog->setHelpContext(HelpContext::ICalendarExport);
        dialog->setTitle(QStringLiteral("iCalendar形式で書き出し"));
        dialog->setDefaultExt(QStringLiteral("ics"));
        dialog->Panel->hide();
    } else {
        dialog->setFilter(FileFilter);
        dialog->setFilterIndex(1);
        dialog->setHelpContext(HelpContext::FileMenu);
        dialog->setButtonCaption(QStringLiteral("CSVの設定(&C)"));
        connect(dialog.get(), &TOpenDialogEx::OnButtonClick, this, &TListForm::OpenDialogButtonClick);
    }
    dialog->setFileName(fileName);
    if (!dialog->Execute())
        return std::nullopt;
    return dialog->FileName();
}

void TListForm::NewExecute()
{
    if (!ConfirmDiscard())
        return;
    RupFileName.clear();
    LocalFileName.clear();
    SetFileName(NewFileName);
    ClearDocument();
}

void TListForm::OpenExecute()
{
    if (!ConfirmDiscard())
        return;
    const std::optional<QString> path = runFileDialog(false, QStringLiteral("*.tmd"));
    if (!path)
        return;
    RupFileName.clear();
    LocalFileName.clear();
    SetFileName(*path);
    OpenDocument();
}

bool TListForm::SaveExecute()
{
    if (FileName == NewFileName)
        return SaveAsExecute();
    return SaveDocument();
}

bool TListForm::SaveAsExecute()
{
    const std::optional<QString> path
        = runFileDialog(true, FileName == NewFileName ? QStringLiteral("*.tmd") : FileName);
    if (!path)
        return false;
    const QString previousName = FileName;
    const bool previousBackupDone = BackupDone;
    SetFileName(*path);
    if (SaveDocument())
        return true;
    // Nothing was written there: the document keeps its name, and the title
    // and the next Save keep meaning the same file.
    SetFileName(previousName);
    BackupDone = previousBackupDone;
    return false;
}

void TListForm::OpenRExecute()
{
    if (!ConfirmDiscard())
        return;
    QString name = ReadSetting(Settings(), SettingKeys::RupFile);
    if (name.isEmpty() || ReadSetting(Settings(), SettingKeys::RupFileMode)) {
        QString entered = name;
        if (!Notifier::instance().inputText(
                QStringLiteral("Ruputerから開く"), QStringLiteral("ファイル名を指定してください"), entered))
            return;
        name = entered;
    }
    // Without a file name there is nothing to fetch (and no local copy).
    if (DeviceNamePart(name).isEmpty())
        return;
    const QString localPath = ProgramDir() + DeviceNamePart(name);
    if (!RupCom->Download(localPath, name))
        return;
    RupFileName = name;
    LocalFileName = localPath;
    SetFileName(localPath);
    OpenDocument();
}

bool TListForm::SaveRExecute()
{
    if (RupFileName.isEmpty())
        return false;
    try {
        WriteDocument(FileName);
        // After Save As the document lives elsewhere (perhaps as CSV); the
        // local copy that goes to the device must hold the same items.
        if (LocalFileName != FileName)
            WriteDocument(LocalFileName);
    } catch (const AppError &error) {
        Notifier::instance().showError(error.message());
        return false;
    }
    if (!RupCom->Upload(LocalFileName, RupFileName))
        return false;
    BackupDone = true;
    SetModified(false);
    return true;
}

void TListForm::ExitPgmExecute()
{
    close();
}

bool TListForm::FormCloseQuery()
{
    if (!Modified)
        return true;
    Notifier &notifier = Notifier::instance();
    notifier.sound(Notifier::Sound::Question);
    const Notifier::Button answer
        = notifier.confirm(QStringLiteral("現在編集中のファイルは保存されていません。保存しますか？"),
            Notifier::Yes | Notifier::No | Notifier::Cancel, Notifier::Yes);
    if (answer == Notifier::No)
        return true;
    if (answer != Notifier::Yes)
        return false;
    // A cancelled dialog or a failed save or upload keeps the window and
    // the changes.
    return RupFileName.isEmpty() ? SaveExecute() : SaveRExecute();
}

void TListForm::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery()) {
        // Closed rather than destroyed with us, so that it keeps its place.
        if (m_schedule && m_schedule->isVisible())
            m_schedule->close();
        event->accept();
    } else {
        event->ignore();
    }
}

TSortListItem *TListForm::SelectedRow() const
{
    return DataList->selectedRow();
}

TItemRec *TListForm::SelectedItem() const
{
    TSortListItem *row = DataList->selectedRow();
    return row ? row->item() : nullptr;
}

void TListForm::SearchforHelpOnExecute()
{
    Notifier::instance().showHelp(HelpContext::Contents);
}

void TListForm::AboutExecute()
{
    AboutBoxDlg->setProductName(QStringLiteral("Tidemark"));
    AboutBoxDlg->setVersion(QStringLiteral("Version 2.10"));
    AboutBoxDlg->setAuthorLine(TidemarkAuthorLine());
    AboutBoxDlg->setComments(QString());
    AboutBoxDlg->Execute();
}

void TListForm::OpenDialogButtonClick()
{
    TCSVOptionDlg dialog(QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this);
    dialog.exec();
}
