#include "data/CSVOptionDlg.h"

#include "data/Notifier.h"
#include "data/TextCodec.h"
#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "ui/controls/DialogForm.h"
#include "ui/controls/HelpWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace {

const QString Comma = QStringLiteral("カンマ");
const QString Tab = QStringLiteral("タブ");
const QString DoubleQuote = QStringLiteral("ダブル");
const QString SingleQuote = QStringLiteral("シングル");
const QString LfItem = QStringLiteral("LF(0A)");
const QString BackslashN = QStringLiteral("\\n");

QComboBox *makeCombo(QWidget *parent, const char *name, const QStringList &items, const QRect &geometry)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setGeometry(geometry);
    return combo;
}

// A character setting in its list, which names two characters: their item,
// or the character itself for any other code.
void showChar(QComboBox *combo, int code, int first, int second)
{
    if (code == first)
        combo->setCurrentIndex(0);
    else if (code == second)
        combo->setCurrentIndex(1);
    else
        combo->setEditText(TCSVOptionDlg::CharText(code));
}

// The code of the character chosen or typed in such a list.
int chosenChar(const QComboBox *combo, const QString &firstItem, int first, const QString &secondItem, int second)
{
    const QString text = combo->currentText();
    return text == firstItem ? first : text == secondItem ? second : TCSVOptionDlg::CharCode(text);
}

} // namespace

using namespace DialogForm;

TCSVOptionDlg::TCSVOptionDlg(QWidget *parent)
    : QDialog(parent)
{
    setUpFixedDialog(
        this, QStringLiteral("CSVOptionDlg"), QStringLiteral("CSV読み書きの設定"), HelpContext::CsvSettings, 337, 165);

    CBCommaChar = makeCombo(this, "CBCommaChar", {Comma, Tab}, QRect(148, 12, 105, 22));
    CBQuoteChar = makeCombo(this, "CBQuoteChar", {DoubleQuote, SingleQuote}, QRect(148, 40, 105, 22));
    CBCRChar = makeCombo(this, "CBCRChar", {LfItem, BackslashN}, QRect(148, 68, 105, 22));
    makeLabel(QStringLiteral("区切り文字"), 16, 16, this)->setBuddy(CBCommaChar);
    makeLabel(QStringLiteral("クォーテーション文字"), 16, 44, this)->setBuddy(CBQuoteChar);
    makeLabel(QStringLiteral("メモの改行文字"), 16, 72, this)->setBuddy(CBCRChar);
    limitToOneCharacter(CBCommaChar);
    limitToOneCharacter(CBQuoteChar);

    CBSpaceQuote = makeCheck("CBSpaceQuote", QStringLiteral("空白を含んでいたときもクォーテーションでくくる"),
        QRect(16, 100, 313, 17), this);

    // OK keeps the auto-default role that Cancel and Help drop.
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(96, 132, 73, 23);
    OKBtn->setDefault(true);
    CancelBtn = makeButton("CancelBtn", QStringLiteral("ｷｬﾝｾﾙ"), QRect(176, 132, 73, 23), this);
    HelpBtn = makeButton("HelpBtn", QStringLiteral("ヘルプ(&H)"), QRect(256, 132, 73, 23), this);

    connect(OKBtn, &QPushButton::clicked, this, &TCSVOptionDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TCSVOptionDlg::HelpBtnClick);

    FormCreate();
    // Position (and the active page) remembered between runs.
    rememberPosition(this);
}

QString TCSVOptionDlg::CharText(int code)
{
    if (code < 1 || code > 255)
        return QString();
    // Through the code page, so a byte that is no character of its own still
    // comes back as the same byte on OK.
    return Cp932::decode(QByteArray(1, char(code)));
}

int TCSVOptionDlg::CharCode(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const QByteArray bytes = Cp932::encode(QStringView(text).left(1));
    return bytes.size() == 1 ? int(quint8(bytes[0])) : 0;
}

// The separator and the quotation character are single bytes of the CSV
// text: the field takes one character that code page 932 writes as one
// byte. Typing over a chosen item replaces it; deleting from it empties it.
void TCSVOptionDlg::limitToOneCharacter(QComboBox *combo)
{
    QLineEdit *edit = combo->lineEdit();
    auto previous = std::make_shared<QString>(edit->text());
    connect(edit, &QLineEdit::textChanged, this, [previous](const QString &text) { *previous = text; });
    connect(edit, &QLineEdit::textEdited, this, [combo, edit, previous](const QString &text) {
        const QString before = *previous;
        if (combo->findText(text, Qt::MatchExactly) >= 0 || text.isEmpty())
            return;
        QString result = text;
        if (text.size() > 1 || combo->findText(before, Qt::MatchExactly) >= 0) {
            qsizetype head = 0;
            while (head < text.size() && head < before.size() && text[head] == before[head])
                ++head;
            qsizetype tail = 0;
            while (tail < text.size() - head && tail < before.size() - head
                && text[text.size() - 1 - tail] == before[before.size() - 1 - tail])
                ++tail;
            const QString inserted = text.mid(head, text.size() - head - tail);
            result = inserted.isEmpty() ? QString() : inserted.right(1);
        }
        if (!result.isEmpty() && Cp932::encode(result).size() != 1)
            result = before;
        if (result != text) {
            edit->setText(result);
            edit->setCursorPosition(int(result.size()));
        }
    });
}

void TCSVOptionDlg::FormCreate()
{
    SettingsFile &ini = Settings();

    showChar(CBCommaChar, ReadSetting(ini, SettingKeys::CommaChar), ',', '\t');
    showChar(CBQuoteChar, ReadSetting(ini, SettingKeys::QuoteChar), '"', '\'');

    const QString cr = ReadSetting(ini, SettingKeys::CRChar);
    // An empty text stands for the line feed too (see ApplyCSVOption).
    if (cr == QLatin1String("LF") || cr.isEmpty())
        CBCRChar->setCurrentIndex(0);
    else if (cr == BackslashN)
        CBCRChar->setCurrentIndex(1);
    else
        CBCRChar->setEditText(cr);

    CBSpaceQuote->setChecked(ReadSetting(ini, SettingKeys::SpaceQuote));
}

void TCSVOptionDlg::OKBtnClick()
{
    const int comma = chosenChar(CBCommaChar, Comma, ',', Tab, '\t');
    const int quote = chosenChar(CBQuoteChar, DoubleQuote, '"', SingleQuote, '\'');
    if (comma == quote) {
        // A file written so would not read back.
        Notifier::instance().sound(Notifier::Sound::Beep);
        CBQuoteChar->setFocus();
        if (QLineEdit *edit = CBQuoteChar->lineEdit())
            edit->selectAll();
        return;
    }

    SettingsFile &ini = Settings();
    WriteSetting(ini, SettingKeys::CommaChar, comma);
    WriteSetting(ini, SettingKeys::QuoteChar, quote);

    const QString cr = CBCRChar->currentText();
    WriteSetting(ini, SettingKeys::CRChar, cr == LfItem || cr.isEmpty() ? QStringLiteral("LF") : cr);

    WriteSetting(ini, SettingKeys::SpaceQuote, CBSpaceQuote->isChecked());
    accept();
}

void TCSVOptionDlg::HelpBtnClick()
{
    Notifier::instance().showHelp(HelpContext::CsvSettings);
}

void TCSVOptionDlg::keyPressEvent(QKeyEvent *event)
{
    if (isHelpKey(event)) {
        HelpBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
