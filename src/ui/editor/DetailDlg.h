#pragma once

#include "data/ItemRec.h"

#include <QDialog>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class ByteLimitedMemo;
class TCheckBoxEx;
class TDateEdit;
class TEditEx;
class TSaveWindowPos;
class TUpDown;
class HolidayRules;
class ScheduleEvaluator;
class QTimer;
struct THeadRec;

// The modal editor of one reminder item. It keeps its own working copy of the
// item (WorkItem), shows every field of it, also those the chosen kind does
// not use, so that a change of kind starts from the item's other values, and
// writes the controls back into it when OK passes the checks.
//
// Every control carries its component name as objectName. Changing a check
// box or a radio button from code runs its handler as a click would.
class TDetailDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TDetailDlg(QWidget *parent = nullptr);
    ~TDetailDlg() override;

    // Presets the display period of a new item from the document header.
    void SetDisplayDefaults(const THeadRec &head);
    // Copies `item` (of any kind) into WorkItem and shows it.
    void LoadItem(const TItemRec &item);
    // The item being edited; after OK it holds the stored controls, in the
    // class of the chosen kind.
    const TItemRec &WorkItem() const { return *m_workItem; }

    // Handlers, named after their controls and events.
    void FormCreate();
    void FormShow();
    void StoreItem();
    void HelpBtnClick();
    void RTypeClick();
    void TextChange();
    void CBTitleOptChange();
    void CbOSDateClick();
    void CbOEDateClick();
    void CbDEveryMonthClick();
    void CbDMonthClick();
    void EDDateChange();
    void UDDDateMouseUp();
    void UDMouseDown(QLineEdit *field);
    void DDateExit(QLineEdit *field);
    void CbDSDayClick(QCheckBox *box);
    void RYWeekClick();
    void CbYDayClick();
    void CbYSHoliClick();
    void RDisplayClick();
    void LAfterClick();
    void SelAll(QLineEdit *field);
    void UpdateOKButton();
    void OKBtnClick();

    // Day value of a day field (1 or 2): 0 while its text is empty, else its
    // spinner's position.
    int DayValue(int index) const;

    // The bottom line: why OK cannot be pressed or was refused, otherwise the
    // next target days of the item as the controls describe it now.
    QString ScheduleLineText();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectHandlers();
    void setTabOrderByPosition();
    void fitMemoLines();
    void spreadMonthBoxes();
    // Refuses the OK press: beep, focus to `field`.
    void refuse(QWidget *field);
    // The item as the controls describe it, without touching WorkItem.
    std::unique_ptr<TItemRec> previewItem() const;
    // Why OK is disabled; empty while it is enabled.
    QString incompleteReason() const;
    void controlsChanged();
    void updateScheduleLine();

    std::unique_ptr<TItemRec> m_workItem;
    bool SettingMonths = false;
    bool SyncingEveryMonth = false;
    bool m_shown = false;
    bool m_loading = false;
    bool m_refusing = false;
    QString m_refusal;
    std::unique_ptr<HolidayRules> m_holidays;
    std::unique_ptr<ScheduleEvaluator> m_schedule;
    QTimer *m_scheduleTimer = nullptr;

    TSaveWindowPos *SaveWindowPos1 = nullptr;

    QLineEdit *Text = nullptr;
    QComboBox *CBTitleOpt = nullptr;
    TEditEx *ETitleDiff = nullptr;
    TUpDown *UDTitleDiff = nullptr;
    QLabel *LTitleDiff = nullptr;
    ByteLimitedMemo *Memo = nullptr;

    QWidget *PType = nullptr;
    QRadioButton *ROnce = nullptr;
    QRadioButton *RDate = nullptr;
    QRadioButton *RDay = nullptr;
    QRadioButton *RIrregular = nullptr;

    QGroupBox *GOnce = nullptr;
    QLabel *LOSDate = nullptr;
    TCheckBoxEx *CbOSDate = nullptr;
    TDateEdit *OSDate = nullptr;
    QWidget *POEDate = nullptr;
    TCheckBoxEx *CbOEDate = nullptr;
    TDateEdit *OEDate = nullptr;

    QGroupBox *GDate = nullptr;
    QCheckBox *CbDEveryMonth = nullptr;
    std::array<QCheckBox *, 13> CbDMonth {}; // 1..12
    TEditEx *EDDate1 = nullptr;
    TUpDown *UDDDate1 = nullptr;
    TEditEx *EDDate2 = nullptr;
    TUpDown *UDDDate2 = nullptr;
    std::array<QCheckBox *, 7> CbDS {}; // CbDSMon .. CbDSSun
    QCheckBox *CbDSHoli = nullptr;
    QWidget *GDShift = nullptr;
    QRadioButton *RDSBefore = nullptr;
    QRadioButton *RDSAfter = nullptr;

    QGroupBox *GDay = nullptr;
    QRadioButton *RYWeekly = nullptr;
    QRadioButton *RYOddWeek = nullptr;
    QRadioButton *RYEvenWeek = nullptr;
    QLabel *LYBiweekly = nullptr;
    std::array<QCheckBox *, 7> CbY {}; // CbYMon .. CbYSun
    QCheckBox *CbYSHoli = nullptr;
    QWidget *GYShift = nullptr;
    QRadioButton *RYSBefore = nullptr;
    QRadioButton *RYSAfter = nullptr;

    QGroupBox *GDisplay = nullptr;
    QLabel *LDisplay = nullptr;
    QWidget *PDisplay = nullptr;
    TEditEx *EBefore = nullptr;
    TUpDown *UDBefore = nullptr;
    QRadioButton *RAfterDay = nullptr;
    TEditEx *EAfter = nullptr;
    TUpDown *UDAfter = nullptr;
    QLabel *LAfter = nullptr;
    QRadioButton *RAfterCheck = nullptr;
    TCheckBoxEx *CbLDate = nullptr;
    TDateEdit *LDate = nullptr;

    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *HelpBtn = nullptr;
    QLabel *LNextTargets = nullptr;
};
