#pragma once

#include <QFileDialog>

class QPushButton;

// Qt's own (non-native) open-file dialog with one extra push button placed
// below the standard controls, at their right edge. Pressing the button
// emits OnButtonClick and leaves the dialog open.
//
//     TOpenDialogEx dlg(this);
//     dlg.setObjectName("OpenDialog");
//     dlg.setFilter("Tidemarkﾌｧｲﾙ (*.tmd)|*.tmd|すべてのﾌｧｲﾙ (*.*)|*.*");
//     dlg.setButtonCaption("CSVの設定(&C)");
//     connect(&dlg, &TOpenDialogEx::OnButtonClick, ...);
//     if (dlg.Execute()) open(dlg.FileName());
//
// Without options the dialog checks nothing: a name that does not exist is
// accepted (open) and an existing file is not questioned (save).
class TOpenDialogEx : public QFileDialog
{
    Q_OBJECT
    Q_PROPERTY(QString ButtonCaption READ ButtonCaption WRITE setButtonCaption)

public:
    explicit TOpenDialogEx(QWidget *parent = nullptr);
    ~TOpenDialogEx() override;

    QString ButtonCaption() const;
    void setButtonCaption(const QString &caption);

    // Filters as pairs "description|patterns|description|patterns", patterns
    // separated by ";". FilterIndex counts from 1.
    void setFilter(const QString &filter);
    int FilterIndex() const;
    void setFilterIndex(int index);

    // Before Execute: the preset name (a pattern such as "*.tmd" only selects
    // the matching filter); afterwards: the chosen path.
    QString FileName() const;
    void setFileName(const QString &name);

    // Extension (without dot) added to a name typed without one.
    void setDefaultExt(const QString &ext) { setDefaultSuffix(ext); }
    void setTitle(const QString &title) { setWindowTitle(title); }
    // The help opened by F1 inside the dialog.
    void setHelpContext(int context);

    // Shows the dialog modally; true when a file name was confirmed.
    bool Execute();

    QWidget *Panel = nullptr;
    QPushButton *OptButton = nullptr;

    // Turns a "description|patterns|..." filter into Qt's name filters.
    static QStringList convertFilter(const QString &filter);

Q_SIGNALS:
    void OnButtonClick(TOpenDialogEx *sender);

protected:
    virtual void DoButtonClick();

private:
    QString m_fileName;
};

// Loads Qt's own Japanese texts (the file dialogs' labels and buttons, the
// standard buttons) when they are installed; call once after QApplication.
void InstallQtTranslations();

// The same dialog for saving.
class TSaveDialogEx : public TOpenDialogEx
{
    Q_OBJECT

public:
    explicit TSaveDialogEx(QWidget *parent = nullptr);
};
