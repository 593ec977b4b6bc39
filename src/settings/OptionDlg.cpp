#include "settings/OptionDlg.h"

#include "calendar/HolidaySettings.h"
#include "data/Notifier.h"
#include "device/SerialRupLibrary.h"
#include "settings/AppSettings.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "ui/controls/DialogForm.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/RadioGroup.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

namespace {

// Room on the right of the port lists for the serial device of each port.
constexpr int DeviceColumn = 96;

// Tabs of one fixed width, as the page control was designed.
class FixedWidthTabBar : public QTabBar
{
public:
    FixedWidthTabBar(int width, QWidget *parent)
        : QTabBar(parent)
        , m_width(width)
    { }

protected:
    QSize tabSizeHint(int index) const override { return {m_width, QTabBar::tabSizeHint(index).height()}; }

private:
    int m_width;
};

class PageControl : public QTabWidget
{
public:
    PageControl(int tabWidth, QWidget *parent)
        : QTabWidget(parent)
    {
        setTabBar(new FixedWidthTabBar(tabWidth, this));
    }
};

// A drop-down list as narrow as the designed one: the text starts close to
// the frame, so "COM10" fits in 53 pixels.
class CompactComboBox : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const QString text = option.currentText;
        option.currentText.clear();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
        const QRect textRect(3, 0, qMax(0, arrow.left() - 3), height());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
    }
};

double logicalDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

// Point size also of a font given in pixels.
int pointSize(const QFont &font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    if (font.pixelSize() > 0)
        return qRound(font.pixelSize() * 72.0 / logicalDpi());
    return qRound(font.pointSizeF());
}

QComboBox *makeList(const char *name, const QStringList &items, const QRect &geometry, QWidget *parent)
{
    auto *combo = new CompactComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    combo->setFont(WindowsFont(QStringLiteral("ＭＳ ゴシック"), -12));
    combo->setMaxVisibleItems(11);
    // The dropped-down list shows whole items even where the box is narrow.
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
    combo->setGeometry(geometry);
    return combo;
}

// An editable list of the serial devices present; any other path (a
// pseudo-terminal, a device plugged in later) can be typed.
QComboBox *makeDeviceList(const char *name, const QRect &geometry, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    QList<QSerialPortInfo> present = QSerialPortInfo::availablePorts();
    std::sort(present.begin(), present.end(),
        [](const QSerialPortInfo &a, const QSerialPortInfo &b) { return a.systemLocation() < b.systemLocation(); });
    for (const QSerialPortInfo &info : std::as_const(present)) {
        combo->addItem(info.systemLocation());
        const QString about = QStringList {info.description(), info.manufacturer()}.join(u' ').trimmed();
        if (!about.isEmpty())
            combo->setItemData(combo->count() - 1, about, Qt::ToolTipRole);
    }
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
    combo->setGeometry(geometry);
    return combo;
}

} // namespace

using namespace DialogForm;

TOptionDlg::TOptionDlg(QWidget *parent)
    : QDialog(parent)
{
    setUpFixedDialog(this, QStringLiteral("OptionDlg"), QStringLiteral("オプション設定"), HelpContext::OptionMenu,
        362 + DeviceColumn, 284);

    PCOption = new PageControl(175, this);
    PCOption->setObjectName(QStringLiteral("PCOption"));
    PCOption->setGeometry(4, 4, 354 + DeviceColumn, 245);
    Ruputer = new QWidget;
    Ruputer->setObjectName(QStringLiteral("Ruputer"));
    Display = new QWidget;
    Display->setObjectName(QStringLiteral("Display"));
    PCOption->addTab(Ruputer, QStringLiteral("Ruputer通信"));
    PCOption->addTab(Display, QStringLiteral("表  示"));

    // Page "Ruputer通信"
    QStringList ports {QStringLiteral("なし")};
    for (int port = 1; port <= 10; ++port)
        ports << QStringLiteral("COM%1").arg(port);
    makeLabel(QStringLiteral("ドッキングステーション"), 12, 20, Ruputer);
    CBDock = makeList("CBDock", ports, QRect(164, 16, 53, 20), Ruputer);
    makeLabel(QStringLiteral("赤  外  線"), 12, 52, Ruputer);
    CBIrDA = makeList("CBIrDA", ports, QRect(164, 48, 53, 20), Ruputer);

    PPort = new QWidget(Ruputer);
    PPort->setObjectName(QStringLiteral("PPort"));
    PPort->setGeometry(220, 4, 53, 65);
    auto *label6 = new QLabel(QStringLiteral("初期使用"), PPort);
    label6->setObjectName(QStringLiteral("Label6"));
    label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label6->setGeometry(0, 0, 53, 14);
    RBDock = makeRadio("RBDock", QString(), QRect(20, 16, 17, 17), PPort);
    RBIrDA = makeRadio("RBIrDA", QString(), QRect(20, 48, 17, 17), PPort);
    RBDock->setChecked(true);

    auto *deviceLabel = new QLabel(QStringLiteral("シリアルデバイス"), Ruputer);
    deviceLabel->setObjectName(QStringLiteral("LDevice"));
    deviceLabel->setGeometry(278, 4, 160, 14);
    CBDockDevice = makeDeviceList("CBDockDevice", QRect(278, 16, 160, 20), Ruputer);
    CBIrDADevice = makeDeviceList("CBIrDADevice", QRect(278, 48, 160, 20), Ruputer);
    deviceLabel->setBuddy(CBDockDevice);

    makeLabel(QStringLiteral("スピード"), 12, 84, Ruputer);
    CBSpeed = makeList("CBSpeed",
        {QStringLiteral("38400bps"), QStringLiteral("19200bps"), QStringLiteral(" 9600bps"), QStringLiteral(" 4800bps"),
            QStringLiteral(" 2400bps"), QStringLiteral(" 1200bps"), QStringLiteral("  600bps"),
            QStringLiteral("  300bps")},
        QRect(140, 80, 77, 20), Ruputer);

    makeLabel(QStringLiteral("Ruputer側のファイル"), 12, 132, Ruputer);
    RBDefault = makeRadio("RBDefault", QStringLiteral("初期値"), QRect(132, 132, 61, 17), Ruputer);
    RBLock = makeRadio("RBLock", QStringLiteral("固定"), QRect(200, 132, 61, 17), Ruputer);
    RBDefault->setChecked(true);
    // Explicit groups: auto-exclusion would also reach into the panel.
    for (auto pair : {std::pair {RBDock, RBIrDA}, std::pair {RBDefault, RBLock}}) {
        auto *group = new QButtonGroup(this);
        group->addButton(pair.first);
        group->addButton(pair.second);
    }
    ERupFile = new QLineEdit(Ruputer);
    ERupFile->setObjectName(QStringLiteral("ERupFile"));
    ERupFile->setGeometry(12, 148, 321, 21);
    CBRupAutoOpen
        = makeCheck("CBRupAutoOpen", QStringLiteral("起動時に自動でRuputerから開く"), QRect(16, 180, 317, 17), Ruputer);

    setTabChain({CBDock, CBDockDevice, CBIrDA, CBIrDADevice, RBDock, RBIrDA, CBSpeed, RBDefault, RBLock, ERupFile,
        CBRupAutoOpen});

    // Page "表  示"
    FontBtn = makeButton("FontBtn", QStringLiteral("フォントの指定"), QRect(12, 8, 89, 25), Display);
    FontSample = new QLabel(Display);
    FontSample->setObjectName(QStringLiteral("FontSample"));
    FontSample->setGeometry(108, 8, 225, 57);
    FontSample->setAlignment(Qt::AlignCenter);
    RGToolBtn = new TRadioGroup(QStringLiteral("ツールバー "),
        {QStringLiteral("通常"), QStringLiteral("フラット"), QStringLiteral("なし")}, 3, Display);
    RGToolBtn->setObjectName(QStringLiteral("RGToolBtn"));
    RGToolBtn->setGeometry(12, 76, 321, 37);
    // Caption, frame and buttons whole in the installed font.
    RGToolBtn->ensurePolished();
    RGToolBtn->resize(RGToolBtn->width(), qMax(RGToolBtn->height(), RGToolBtn->neededHeight()));
    FontBtn->resize(qMax(FontBtn->width(), FontBtn->sizeHint().width()), FontBtn->height());
    CBHolidayLaw = makeCheck("CBHolidayLaw", QStringLiteral("祝日を現行の祝日法で判定する"),
        QRect(16, qMax(128, RGToolBtn->geometry().bottom() + 15), 317, 17), Display);

    OKBtn = makeButton("OKBtn", QStringLiteral("OK"), QRect(116 + DeviceColumn, 254, 73, 23), this);
    OKBtn->setDefault(true);
    CancelBtn = makeButton("CancelBtn", QStringLiteral("ｷｬﾝｾﾙ"), QRect(200 + DeviceColumn, 254, 73, 23), this);
    HelpBtn = makeButton("HelpBtn", QStringLiteral("ヘルプ(&H)"), QRect(284 + DeviceColumn, 254, 73, 23), this);

    FontDialog = new QFontDialog(this);
    FontDialog->setObjectName(QStringLiteral("FontDialog"));
    FontDialog->setOption(QFontDialog::DontUseNativeDialog);

    connect(CBDock, &QComboBox::currentIndexChanged, this, &TOptionDlg::CBPortChange);
    connect(CBIrDA, &QComboBox::currentIndexChanged, this, &TOptionDlg::CBPortChange);
    connect(CBDock, &QComboBox::currentIndexChanged, this, &TOptionDlg::ShowPortDevices);
    connect(CBIrDA, &QComboBox::currentIndexChanged, this, &TOptionDlg::ShowPortDevices);
    for (auto [list, device] : {std::pair {CBDock, CBDockDevice}, std::pair {CBIrDA, CBIrDADevice}}) {
        connect(device, &QComboBox::editTextChanged, this, [this, list, device](const QString &text) {
            const int port = list->currentIndex();
            if (port <= 0)
                return;
            m_devices[port] = text;
            // Both lists may name the same port: one device, shown in both.
            QComboBox *other = device == CBDockDevice ? CBIrDADevice : CBDockDevice;
            QComboBox *otherList = list == CBDock ? CBIrDA : CBDock;
            if (otherList->currentIndex() == port && other->currentText() != text) {
                const QSignalBlocker quiet(other);
                other->setEditText(text);
            }
        });
    }
    connect(FontBtn, &QPushButton::clicked, this, &TOptionDlg::FontBtnClick);
    connect(OKBtn, &QPushButton::clicked, this, &TOptionDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TOptionDlg::HelpBtnClick);

    FormCreate();
    // Position (and the active page) remembered between runs.
    rememberPosition(this);
}

void TOptionDlg::FormCreate()
{
    SettingsFile &ini = Settings();
    // An index outside the list shows no selection.
    const auto choose = [](QComboBox *combo, int index) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    };
    {
        const QSignalBlocker dock(CBDock);
        const QSignalBlocker irda(CBIrDA);
        choose(CBDock, ReadSetting(ini, SettingKeys::Dock));
        // The dialog's own default: no infrared link.
        choose(CBIrDA, ReadSetting(ini, SettingKeys::IrDAInDialog));
    }
    CBPortChange();
    ShowPortDevices();
    const bool dockFirst = ReadSetting(ini, SettingKeys::DefaultPort);
    RBDock->setChecked(dockFirst);
    RBIrDA->setChecked(!dockFirst);
    // With one link configured the stored choice must not point at the
    // other, which has no port.
    CBPortChange();

    choose(CBSpeed, ReadSetting(ini, SettingKeys::Speed) - 3);

    const bool defaultName = ReadSetting(ini, SettingKeys::RupFileMode);
    RBDefault->setChecked(defaultName);
    RBLock->setChecked(!defaultName);
    ERupFile->setText(ReadSetting(ini, SettingKeys::RupFile));
    CBRupAutoOpen->setChecked(ReadSetting(ini, SettingKeys::RupAutoOpen));

    // Without "FontName" the sample's own face counts: the dialogs' face.
    QFont font = FontSample->font();
    font.setFamily(QString::fromUtf16(DialogForm::Face));
    LoadFontSettings(font, Settings());
    ShowFontSample(font);

    RGToolBtn->setItemIndex(ReadSetting(ini, SettingKeys::ToolBtn));
    CBHolidayLaw->setChecked(HolidaySetFromSettings(ini) == HolidaySet::Law);
    FontSample->setAutoFillBackground(true);
    QPalette palette = FontSample->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    FontSample->setPalette(palette);
}

void TOptionDlg::CBPortChange()
{
    if (CBDock->currentIndex() != 0 && CBIrDA->currentIndex() != 0) {
        PPort->show();
        return;
    }
    PPort->hide();
    if (CBIrDA->currentIndex() != 0)
        RBIrDA->setChecked(true);
    else
        RBDock->setChecked(true);
}

void TOptionDlg::ShowPortDevices()
{
    for (auto [list, device] : {std::pair {CBDock, CBDockDevice}, std::pair {CBIrDA, CBIrDADevice}}) {
        const int port = list->currentIndex();
        const QSignalBlocker quiet(device);
        device->setEnabled(port > 0);
        if (port <= 0) {
            device->setEditText(QString());
            continue;
        }
        if (!m_devices.contains(port))
            m_devices.insert(port, SerialRupLibrary::deviceName(port));
        device->setEditText(m_devices.value(port));
    }
}

void TOptionDlg::FontBtnClick()
{
    FontDialog->setCurrentFont(FontSample->font());
    if (FontDialog->exec() != QDialog::Accepted)
        return;
    QFont chosen = FontDialog->selectedFont();
    // The dialog lists installed families only: the one that stands in for
    // the stored face keeps the stored name.
    if (chosen.family() == DisplayFont(m_font).family())
        chosen.setFamily(m_font.family());
    ShowFontSample(chosen);
}

void TOptionDlg::ShowFontSample(const std::optional<QFont> &font)
{
    if (font) {
        m_font = *font;
        FontSample->setFont(DisplayFont(m_font));
    }
    FontSample->setText(FontCaption(m_font));
}

QString TOptionDlg::FontCaption(const QFont &font)
{
    QString caption = font.family() + u' ';
    if (font.bold())
        caption += QStringLiteral("Bold ");
    if (font.italic())
        caption += QStringLiteral("Italic ");
    return caption + QString::number(pointSize(font)) + u'p';
}

QString TOptionDlg::FontStyleText(const QFont &font)
{
    QString style;
    if (font.bold())
        style += QStringLiteral("Bold,");
    if (font.italic())
        style += QStringLiteral("Italic,");
    style.chop(style.isEmpty() ? 0 : 1);
    return style;
}

void TOptionDlg::OKBtnClick()
{
    SettingsFile &ini = Settings();
    const QFont &font = m_font;
    WriteSetting(ini, SettingKeys::Dock, CBDock->currentIndex());
    WriteSetting(ini, SettingKeys::IrDA, CBIrDA->currentIndex());
    WriteSetting(ini, SettingKeys::DefaultPort, RBDock->isChecked());
    WriteSetting(ini, SettingKeys::Speed, CBSpeed->currentIndex() + 3);
    WriteSetting(ini, SettingKeys::RupFileMode, RBDefault->isChecked());
    WriteSetting(ini, SettingKeys::RupFile, ERupFile->text());
    WriteSetting(ini, SettingKeys::RupAutoOpen, CBRupAutoOpen->isChecked());
    WriteSetting(ini, SettingKeys::FontName, font.family());
    WriteSetting(ini, SettingKeys::FontSize, pointSize(font));
    WriteSetting(ini, SettingKeys::FontStyle, FontStyleText(font));
    WriteSetting(ini, SettingKeys::ToolBtn, RGToolBtn->ItemIndex());
    WriteSetting(ini, SettingKeys::HolidayLaw, CBHolidayLaw->isChecked());
    // Open calendars follow at once, even when the file could not be written.
    HolidaySetting::instance().announce(CBHolidayLaw->isChecked() ? HolidaySet::Law : HolidaySet::Classic);
    for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it) {
        const QString key = QStringLiteral("COM%1").arg(it.key());
        const QString device = it.value().trimmed();
        if (device == SerialRupLibrary::deviceName(it.key()))
            continue;
        // An emptied field gives the port back its default device.
        if (device.isEmpty())
            ini.deleteKey(QLatin1String(SettingKeys::PortsSection), key);
        else
            ini.writeString(QLatin1String(SettingKeys::PortsSection), key, device);
    }
    accept();
}

void TOptionDlg::HelpBtnClick()
{
    Notifier::instance().showHelp(HelpContext::OptionMenu);
}

void TOptionDlg::keyPressEvent(QKeyEvent *event)
{
    if (isHelpKey(event)) {
        HelpBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
