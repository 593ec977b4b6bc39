#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <optional>

class QAction;
class QFont;
class QLabel;
class QMenu;
class QMenuBar;
class QToolBar;
class TData;
class TItemRec;
class TRuputerCom;
class TAboutBoxDlg;
class TSaveWindowPos;
class TSortListItem;
class TSortListView;

// The main window: owns the one open document (the collection, its file
// name, backup name, device association and modified flag), shows its items
// in DataList and runs every command through one set of actions shared by the
// main menu, the tool bar, the list's context menu and the shortcuts.
//
// The handlers of the edit commands (AddExecute, CpyExecute, UpdExecute,
// DelExecute) live in ListFormEditCommands.cpp, those of the device-side and
// application settings (RupOptionExecute, OptionExecute) in
// ListFormSettingsCommands.cpp.
class TListForm : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int MaxItems = 200;
    static const QString NewFileName; // "新規"

    // `argument`: the first command-line argument (empty when none). The
    // window is built and the document loaded here; the "file not found"
    // message and the automatic open from the device wait until the event
    // loop runs, after the window is shown.
    explicit TListForm(const QString &argument = QString(), QWidget *parent = nullptr);
    ~TListForm() override;

    // Shows the open (save == false) or save dialog preset with `fileName`;
    // the chosen path, or nothing when cancelled. Tests replace it.
    using FileDialogHook = std::function<std::optional<QString>(bool save, const QString &fileName)>;
    static void setFileDialogHook(FileDialogHook hook);

    // Document
    TData *Data = nullptr;
    QString FileName;
    QString BackupName;
    QString RupFileName;
    QString LocalFileName;
    bool Modified = false;
    bool BackupDone = false;

    // Components
    TSortListView *DataList = nullptr;
    QToolBar *ToolBar = nullptr;
    QMenuBar *MainMenu = nullptr;
    QMenu *File1 = nullptr;
    QMenu *Edit1 = nullptr;
    QMenu *Option1 = nullptr;
    QMenu *Help1 = nullptr;
    QLabel *MenuStatus = nullptr;
    QMenu *PopupMenu = nullptr;
    TRuputerCom *RupCom = nullptr;
    TSaveWindowPos *SaveWindowPos1 = nullptr;
    TAboutBoxDlg *AboutBoxDlg = nullptr;

    // Actions, in ImageList order
    QAction *New = nullptr;
    QAction *Open = nullptr;
    QAction *Save = nullptr;
    QAction *SaveAs = nullptr;
    QAction *OpenR = nullptr;
    QAction *SaveR = nullptr;
    QAction *ExitPgm = nullptr;
    QAction *Add = nullptr;
    QAction *Cpy = nullptr;
    QAction *Upd = nullptr;
    QAction *Del = nullptr;
    QAction *RupOption = nullptr;
    QAction *Option = nullptr;
    QAction *SearchforHelpOn = nullptr;
    QAction *About = nullptr;

    void SetModified(bool flag);
    void SetFileName(const QString &name);
    void ShowItemCount();
    QString ItemCountText() const;
    // Why Add and copy do nothing at the item limit.
    static QString ItemLimitHint();
    void ClearDocument();
    // False when the load failed (the error has been shown).
    bool OpenDocument();
    // False when the save failed (the error has been shown).
    bool SaveDocument();
    // The question before New, Open and OpenR drop unsaved changes.
    bool ConfirmDiscard();
    void LoadFontSettings(QFont &font) const;
    void ApplyOptions();

    // The item of the selected row, or null.
    TItemRec *SelectedItem() const;
    TSortListItem *SelectedRow() const;
    // Adds a row for `item` and fills it (sorted in place unless the list
    // is inside an update bracket).
    TSortListItem *AddItemRow(TItemRec *item);
    // Rewrites the row of `item` from the item.
    void RefreshItemRow(TSortListItem *row);

    // Backup path of `name`: extension replaced by ".old", or ".ol2" for a
    // file whose own extension is ".old"; empty for a new document.
    static QString BackupNameOf(const QString &name);
    // What follows the last path separator or drive colon.
    static QString DeviceNamePart(const QString &deviceFileName);

public Q_SLOTS:
    void NewExecute();
    void OpenExecute();
    // The three saves return true when the document was written (and sent).
    bool SaveExecute();
    bool SaveAsExecute();
    void OpenRExecute();
    bool SaveRExecute();
    void ExitPgmExecute();

    // Edit commands (ListFormEditCommands.cpp).
    void AddExecute();
    void CpyExecute();
    void UpdExecute();
    void DelExecute();
    // False, with a beep and a hint, when the document is full.
    bool RoomForAnother();
    // Settings commands (ListFormSettingsCommands.cpp).
    void RupOptionExecute();
    void OptionExecute();

    void SearchforHelpOnExecute();
    void AboutExecute();
    // The extra button of both file dialogs: the CSV settings.
    void OpenDialogButtonClick();

protected:
    // Writes the document to `path` (item file or CSV by extension); raises
    // AppError on failure.
    virtual void WriteDocument(const QString &path);
    void closeEvent(QCloseEvent *event) override;
    // True when the window may close.
    bool FormCloseQuery();

private:
    void FormCreate(const QString &argument);
    void startAfterShow();
    void createActions();
    void createMenus();
    void createToolBar();
    QAction *makeAction(const char *name, const QString &caption, const QString &hint, const QKeySequence &shortcut,
        int image, const QString &category);
    std::optional<QString> runFileDialog(bool save, const QString &fileName);

    QString m_argument;
    bool m_argumentMissing = false;
};
