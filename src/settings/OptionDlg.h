#pragma once

#include <QDialog>
#include <QFont>
#include <QMap>
#include <optional>

class QCheckBox;
class QComboBox;
class QFontDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class TRadioGroup;
class TSaveWindowPos;

// The application settings (section "Option"): device ports, speed and the
// link tried first, the device file name, opening from the device at start,
// the item list's font and the tool-bar style. Filled from the settings file
// when created; OK writes the section, Cancel writes nothing.
class TOptionDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TOptionDlg(QWidget *parent = nullptr);

    // "<face> [Bold ][Italic ]<points>p"
    static QString FontCaption(const QFont &font);
    // "Bold", "Italic", "Bold,Italic" or empty.
    static QString FontStyleText(const QFont &font);

    QFontDialog *fontDialog() const { return FontDialog; }

public Q_SLOTS:
    void CBPortChange();
    // Shows the serial device of the port each list names.
    void ShowPortDevices();
    void FontBtnClick();
    void ShowFontSample(const std::optional<QFont> &font = std::nullopt);
    void OKBtnClick();
    void HelpBtnClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();

    QTabWidget *PCOption;
    QWidget *Ruputer;
    QWidget *Display;
    QComboBox *CBDock;
    QComboBox *CBIrDA;
    QWidget *PPort;
    // The serial device of the port chosen beside it ("[Ports] COMn").
    QComboBox *CBDockDevice;
    QComboBox *CBIrDADevice;
    QRadioButton *RBDock;
    QRadioButton *RBIrDA;
    QComboBox *CBSpeed;
    QRadioButton *RBDefault;
    QRadioButton *RBLock;
    QLineEdit *ERupFile;
    QCheckBox *CBRupAutoOpen;
    QPushButton *FontBtn;
    QLabel *FontSample;
    TRadioGroup *RGToolBtn;
    QCheckBox *CBHolidayLaw;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QPushButton *HelpBtn;
    QFontDialog *FontDialog;
    // The list font as the settings hold it: its face may be a Windows one,
    // which the sample shows in the installed family standing in for it.
    QFont m_font;
    // Serial device per port number as shown or typed so far; OK writes
    // those that differ from the settings.
    QMap<int, QString> m_devices;
};
