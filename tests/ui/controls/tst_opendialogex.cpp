#include "ui/controls/HelpWindow.h"
#include "ui/controls/OpenDialogEx.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString ItemFilter
    = QStringLiteral("Tidemarkﾌｧｲﾙ (*.tmd)|*.tmd|CSV形式ﾌｧｲﾙ (*.csv)|*.csv|すべてのﾌｧｲﾙ (*.*)|*.*");

} // namespace

class TestOpenDialogEx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertFilter_data();
    void convertFilter();
    void filterIndex();
    void patternPresetSelectsFilter();
    void buttonBelowStandardControls();
    void buttonKeepsDialogOpen();
    void executeReturnsChosenPath();
    void saveDialogDoesNotAskAboutExistingFile();
    void cancelReturnsFalse();
    void helpContext();
};

void TestOpenDialogEx::convertFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("item file filter") << ItemFilter
                                      << QStringList {QStringLiteral("Tidemarkﾌｧｲﾙ (*.tmd)"),
                                             QStringLiteral("CSV形式ﾌｧｲﾙ (*.csv)"),
                                             QStringLiteral("すべてのﾌｧｲﾙ (*.*)")};
    QTest::newRow("description without patterns") << "Text|*.txt" << QStringList {QStringLiteral("Text (*.txt)")};
    QTest::newRow("several patterns") << "Images (*.png;*.bmp)|*.png;*.bmp"
                                      << QStringList {QStringLiteral("Images (*.png *.bmp)")};
    QTest::newRow("odd part dropped") << "A|*.a|B" << QStringList {QStringLiteral("A (*.a)")};
    QTest::newRow("empty") << "" << QStringList {};
}

void TestOpenDialogEx::convertFilter()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(TOpenDialogEx::convertFilter(filter), expected);
}

void TestOpenDialogEx::filterIndex()
{
    TOpenDialogEx dialog;
    dialog.setFilter(ItemFilter);
    QCOMPARE(dialog.FilterIndex(), 1);
    dialog.setFilterIndex(2);
    QCOMPARE(dialog.FilterIndex(), 2);
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("CSV形式ﾌｧｲﾙ (*.csv)"));
    dialog.setFilterIndex(9);
    QCOMPARE(dialog.FilterIndex(), 2);
}

void TestOpenDialogEx::patternPresetSelectsFilter()
{
    TOpenDialogEx dialog;
    dialog.setFilter(ItemFilter);
    dialog.setFileName(QStringLiteral("*.csv"));
    QCOMPARE(dialog.FilterIndex(), 2);
    dialog.setFileName(QStringLiteral("*.tmd"));
    QCOMPARE(dialog.FilterIndex(), 1);
    // The pattern does not end up as a file name.
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    QVERIFY(!edit->text().contains(u'*'));
}

void TestOpenDialogEx::buttonBelowStandardControls()
{
    TSaveDialogEx dialog;
    dialog.setButtonCaption(QStringLiteral("CSVの設定(&C)"));
    dialog.resize(640, 420);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.OptButton->objectName(), QStringLiteral("OptButton"));
    QCOMPARE(dialog.Panel->objectName(), QStringLiteral("Panel"));
    QCOMPARE(dialog.OptButton->text(), QStringLiteral("CSVの設定(&C)"));
    QCOMPARE(dialog.ButtonCaption(), QStringLiteral("CSVの設定(&C)"));
    QVERIFY(dialog.OptButton->isVisible());
    QVERIFY(dialog.OptButton->width() >= 88);

    auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    const QRect box(buttons->mapTo(&dialog, QPoint()), buttons->size());
    const QRect button(dialog.OptButton->mapTo(&dialog, QPoint()), dialog.OptButton->size());
    QVERIFY2(button.top() >= box.bottom(), "below the standard buttons");
    QVERIFY2(qAbs(button.right() - box.right()) <= 2, "at the right edge of the controls");
    QVERIFY(!dialog.OptButton->autoDefault());
}

void TestOpenDialogEx::buttonKeepsDialogOpen()
{
    TOpenDialogEx dialog;
    dialog.setButtonCaption(QStringLiteral("CSVの設定(&C)"));
    QList<QObject *> senders;
    bool visibleInHandler = false;
    connect(&dialog, &TOpenDialogEx::OnButtonClick, this, [&](TOpenDialogEx *sender) {
        senders << sender;
        visibleInHandler = dialog.isVisible();
    });
    bool stillOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::mouseClick(dialog.OptButton, Qt::LeftButton);
        QTest::mouseClick(dialog.OptButton, Qt::LeftButton);
        stillOpen = dialog.isVisible();
        dialog.reject();
    });
    QVERIFY(!dialog.Execute());
    QCOMPARE(senders, (QList<QObject *> {&dialog, &dialog}));
    QVERIFY(visibleInHandler);
    QVERIFY(stillOpen);
}

void TestOpenDialogEx::executeReturnsChosenPath()
{
    QTemporaryDir dir;
    TOpenDialogEx dialog;
    dialog.setFilter(ItemFilter);
    dialog.setDirectory(dir.path());
    const QString path = dir.filePath(QStringLiteral("新しい.tmd"));
    QTimer::singleShot(0, &dialog, [&] {
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        edit->setText(QStringLiteral("新しい.tmd"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    // A name that does not exist is accepted by the open dialog.
    QVERIFY(dialog.Execute());
    QCOMPARE(dialog.FileName(), path);
}

void TestOpenDialogEx::saveDialogDoesNotAskAboutExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.tmd"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TSaveDialogEx dialog;
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
    dialog.setFilter(ItemFilter);
    dialog.setFileName(path);
    QTimer::singleShot(0, &dialog, [&] { QMetaObject::invokeMethod(&dialog, "accept"); });
    QVERIFY(dialog.Execute());
    QCOMPARE(dialog.FileName(), path);
}

void TestOpenDialogEx::cancelReturnsFalse()
{
    TSaveDialogEx dialog;
    dialog.setFileName(QStringLiteral("/tmp/x.tmd"));
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QVERIFY(!dialog.Execute());
    QCOMPARE(dialog.FileName(), QStringLiteral("/tmp/x.tmd"));
}

void TestOpenDialogEx::helpContext()
{
    TOpenDialogEx dialog;
    dialog.setHelpContext(HelpContext::FileMenu);
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QCOMPARE(HelpContextOf(edit), 3020);
}

QTEST_MAIN(TestOpenDialogEx)
#include "tst_opendialogex.moc"
