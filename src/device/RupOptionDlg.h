#pragma once

#include "data/Data.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TEditEx;
class TRadioGroup;
class TUpDown;

// The device-side operation settings kept in the item file's header. The
// dialog edits some bytes of a header record; every other byte (signature,
// reserved bytes) passes through unchanged from the record it was filled
// with. The settings shown can be stored as the user's defaults and brought
// back from them.
class TRupOptionDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TRupOptionDlg(QWidget *parent = nullptr);

    // Takes the whole record and sets every control from it.
    void HeadToControls(const THeadRec &head);
    // The held record with the edited fields taken from the controls.
    void ControlsToHead(THeadRec &head) const;

    const THeadRec &heldHead() const { return HeldHead; }

public Q_SLOTS:
    void BtnIniSaveClick();
    void BtnIniLoadClick();
    void RDisplayClick();
    void LAfterClick();
    void HelpBtnClick();

    // Refused, with a beep, while a day field holds no number.
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildDisplayRow();
    bool daysValid();
    void fitToFont();
    TEditEx *makeDayEdit(const char *name, const QRect &geometry, QWidget *parent);

    THeadRec HeldHead;

    QCheckBox *CBDateDsp;
    QCheckBox *CBInputSbjct;
    QCheckBox *CBUpdateSbjct;
    TRadioGroup *RGTableLines;
    TRadioGroup *RGDetailLines;
    TRadioGroup *RGFirstMode;
    TRadioGroup *RGTableMode;
    QCheckBox *CBNoSpace;
    QGroupBox *GCursorMode;
    QRadioButton *RBCursor0;
    QRadioButton *RBCursor1;
    QGroupBox *GDetailTitle;
    QRadioButton *RBDetailTitle0;
    QRadioButton *RBDetailTitle1;
    QRadioButton *RBDetailTitle2;
    QCheckBox *CBIrregCount;
    QGroupBox *GDisplay;
    QLabel *LDisplay;
    QWidget *PDisplay;
    TEditEx *EBefore;
    TUpDown *UDBefore;
    QRadioButton *RAfterDay;
    TEditEx *EAfter;
    TUpDown *UDAfter;
    QLabel *LAfter;
    QRadioButton *RAfterCheck;
    QPushButton *BtnIniSave;
    QPushButton *BtnIniLoad;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QPushButton *HelpBtn;
};

// Runs the device-side settings dialog on the document's header. On OK the
// header is replaced (also when nothing differs) and the result is true.
bool EditHead(TData &data, QWidget *parent = nullptr);
