#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

// The CSV settings: separator, quotation character, the text that stands
// for a memo line break, and whether spaces force quoting. Reads section
// "CSVOption" when created and writes it on OK; Cancel writes nothing.
class TCSVOptionDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TCSVOptionDlg(QWidget *parent = nullptr);

    // Settings keys as a character: the combo-box text for a stored code, and
    // the code for a typed text (0 when empty).
    static QString CharText(int code);
    static int CharCode(const QString &text);

public Q_SLOTS:
    void OKBtnClick();
    void HelpBtnClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void limitToOneCharacter(QComboBox *combo);

    QComboBox *CBCommaChar;
    QComboBox *CBQuoteChar;
    QComboBox *CBCRChar;
    QCheckBox *CBSpaceQuote;
    QPushButton *OKBtn;
    QPushButton *CancelBtn;
    QPushButton *HelpBtn;
};
