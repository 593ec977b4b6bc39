#include "data/Notifier.h"
#include "data/TextCodec.h"
#include "ui/controls/AboutBox.h"
#include "ui/controls/CheckBoxEx.h"
#include "ui/controls/EditEx.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/HelpWindow.h"
#include "ui/controls/Icons.h"
#include "ui/controls/MessageBoxNotifier.h"
#include "ui/controls/OpenDialogEx.h"
#include "ui/controls/ScreenFit.h"
#include "ui/controls/UpDown.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString ItemFilter
    = QStringLiteral("Tidemarkﾌｧｲﾙ (*.tmd)|*.tmd|CSV形式ﾌｧｲﾙ (*.csv)|*.csv|すべてのﾌｧｲﾙ (*.*)|*.*");

QTextBrowser *helpBrowser()
{
    return THelpWindow::instance() ? THelpWindow::instance()->browser() : nullptr;
}

QUrl helpShown()
{
    return helpBrowser() ? helpBrowser()->source() : QUrl();
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Notifier::install(&m_notifier);
        InstallHelp(m_notifier);
        InstallFontSubstitutes();
    }

    void cleanupTestCase() { Notifier::install(nullptr); }

    void cleanup() { delete THelpWindow::instance(); }

    void editGrouping_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("grouped");
        auto row = [](const char *in, const char *out) { QTest::newRow(in) << QString(in) << QString(out); };
        row("", "");
        row("999", "999");
        row("9999", "9,999");
        row("1234567", "1,234,567");
        row("12,34,5", "12,345");
        row("abcdefg", "a,bcd,efg");
        row("-123", "-,123");
    }

    void editGrouping()
    {
        QFETCH(QString, input);
        QFETCH(QString, grouped);
        QCOMPARE(TEditEx::GroupThousands(input), grouped);

        // Text written with grouping on is shown grouped and read without commas;
        // turning grouping on regroups what is there; off keeps the text as it is.
        TEditEx on, off, later;
        on.setThousands(true);
        on.setText(input);
        QCOMPARE(on.text(), grouped);
        if (!input.contains(u','))
            QCOMPARE(on.Text(), input);
        off.setText(input);
        QCOMPARE(off.text(), input);
        QCOMPARE(off.Text(), input);
        later.setText(input);
        later.setThousands(true);
        QCOMPARE(later.text(), grouped);
    }

    void editTyping_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("typed"); // "\b" is Backspace
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("caretAfter");
        QTest::newRow("at the end") << "999" << 3 << "9"
                                    << "9,999" << 5;
        QTest::newRow("at the end, twice more") << "9,999" << 5 << "99"
                                                << "999,999" << 7;
        // "23,456" stood after the caret before typing; it still does.
        QTest::newRow("in the middle") << "123456" << 1 << "0"
                                       << "1,023,456" << 3;
        QTest::newRow("backspace") << "1234" << 5 << "\b"
                                   << "123" << 3;
    }

    void editTyping()
    {
        QFETCH(QString, start);
        QFETCH(int, caret);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, caretAfter);
        TEditEx edit;
        edit.setThousands(true);
        edit.setText(start);
        edit.setCursorPosition(caret);
        for (QChar c : typed) {
            if (c == u'\b')
                QTest::keyClick(&edit, Qt::Key_Backspace);
            else
                QTest::keyClicks(&edit, QString(c));
        }
        QCOMPARE(edit.text(), shown);
        QCOMPARE(edit.cursorPosition(), caretAfter);
    }

    void editEnterReachesDefaultButton()
    {
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        auto *edit = new TEditEx(&dialog);
        edit->setThousands(true);
        auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        layout->addWidget(edit);
        layout->addWidget(ok);
        connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        QSignalSpy clicked(ok, &QPushButton::clicked);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        edit->setFocus();
        edit->setText(QStringLiteral("1234"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(edit->text(), QStringLiteral("1,234"));
    }

    void checkBoxLinksControl()
    {
        {
            TCheckBoxEx box;
            QVERIFY(box.Checked());
            QCOMPARE(box.EnableControl(), nullptr);
            QLineEdit field;
            box.setChecked(false);
            box.setEnableControl(&field); // takes the current state
            QVERIFY(!field.isEnabled());
            // Writing a state, even the same one, puts the field back in line.
            for (bool written : {false, true, true, false}) {
                field.setEnabled(!written);
                box.setChecked(written);
                QCOMPARE(field.isEnabled(), written);
            }
            // Click() comes before the field follows.
            box.setChecked(true);
            QList<bool> seen;
            connect(&box, &TCheckBoxEx::Click, &box, [&] { seen << field.isEnabled(); });
            box.setChecked(false);
            QCOMPARE(seen, QList<bool> {true});
            QVERIFY(!field.isEnabled());
            // Grayed leaves the field as it is.
            box.setTristate(true);
            box.setCheckState(Qt::PartiallyChecked);
            QVERIFY(!field.isEnabled());
            box.setCheckState(Qt::Checked);
            box.setCheckState(Qt::PartiallyChecked);
            QVERIFY(field.isEnabled());
        }
        {
            TCheckBoxEx box;
            auto *field = new QLineEdit;
            box.setEnableControl(field);
            delete field;
            QCOMPARE(box.EnableControl(), nullptr);
            box.setChecked(false);
            box.setChecked(true);
            QVERIFY(box.isChecked());
        }
        // A user's click takes the button's own path, not setChecked().
        TCheckBoxEx box(QStringLiteral("開始日"));
        QLineEdit field;
        box.setEnableControl(&field);
        box.click();
        QVERIFY(!box.isChecked());
        QVERIFY(!field.isEnabled());
        box.click();
        QVERIFY(box.isChecked());
        QVERIFY(field.isEnabled());
    }

    void upDownFollowsBuddyText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::newRow("in range") << QStringLiteral("42") << 42;
        QTest::newRow("spaces") << QStringLiteral(" 7 ") << 7;
        QTest::newRow("empty keeps previous") << QString() << 5;
        QTest::newRow("not a number keeps previous") << QStringLiteral("ab") << 5;
        QTest::newRow("above range keeps previous") << QStringLiteral("100") << 5;
        QTest::newRow("below range keeps previous") << QStringLiteral("-1") << 5;
    }

    void upDownFollowsBuddyText()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QWidget parent;
        auto *edit = new QLineEdit(&parent);
        TUpDown ud(&parent);
        ud.setRange(0, 99);
        ud.setAssociate(edit);
        ud.setPosition(5);
        QCOMPARE(edit->text(), QStringLiteral("5"));
        edit->setText(text);
        QCOMPARE(ud.position(), position);
    }

    void upDownSteps_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("expected");
        QTest::newRow("99 up") << 0 << 99 << true << 99 << true << 0;
        QTest::newRow("0 down") << 0 << 99 << true << 0 << false << 99;
        QTest::newRow("-99 down") << -99 << 99 << true << -99 << false << 99;
        QTest::newRow("middle") << 0 << 31 << true << 10 << true << 11;
        QTest::newRow("no wrap stops") << 0 << 3 << false << 3 << true << 3;
    }

    void upDownSteps()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, wrap);
        QFETCH(int, start);
        QFETCH(bool, up);
        QFETCH(int, expected);
        QLineEdit edit;
        TUpDown ud;
        ud.setRange(min, max);
        ud.setWrap(wrap);
        ud.setAssociate(&edit);
        ud.setPosition(start);
        QSignalSpy clicked(&ud, &TUpDown::clicked);
        up ? ud.stepUp() : ud.stepDown();
        QCOMPARE(ud.position(), expected);
        QCOMPARE(edit.text(), QString::number(expected));
        QCOMPARE(clicked.count(), 1);
        ud.setPosition(min - 5);
        QCOMPARE(ud.position(), min);
    }

    void upDownKeysMouseAndPlace()
    {
        // The buddy is created first, so it is destroyed while the spinner lives.
        QWidget parent;
        auto *edit = new QLineEdit(&parent);
        edit->setGeometry(10, 20, 60, 21);
        auto *ud = new TUpDown(&parent);
        ud->setRange(0, 99);
        ud->setWrap(true);
        ud->setAssociate(edit);
        QCOMPARE(edit->geometry().right() + 1, ud->geometry().left());
        QCOMPARE(ud->geometry().right(), 69);
        QCOMPARE(ud->geometry().top(), 20);
        QCOMPARE(ud->height(), 21);

        ud->setPosition(1);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("2"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(edit->text(), QStringLiteral("99"));

        ud->setPosition(10);
        parent.show();
        QSignalSpy pressed(ud, &TUpDown::mousePressed);
        QSignalSpy released(ud, &TUpDown::mouseReleased);
        QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, 2));
        QCOMPARE(ud->position(), 11);
        QTest::mouseClick(ud, Qt::LeftButton, {}, QPoint(ud->width() / 2, ud->height() - 2));
        QCOMPARE(ud->position(), 10);
        QCOMPARE(pressed.count(), 2);
        QCOMPARE(released.count(), 2);
    }

    void icons()
    {
        const QStringList names = ToolIconNames();
        QCOMPARE(names.size(), 16);
        QSet<QByteArray> seen;
        for (int i = 0; i < names.size(); ++i) {
            if (i == 11)
                continue;
            const QIcon icon = ToolIcon(i);
            QVERIFY2(!icon.isNull(), qPrintable(names.at(i)));
            QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
            // Something is drawn, and not all over.
            const QImage image = DrawIcon(names.at(i), 16);
            int opaque = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(opaque > 30 && opaque < 256, qPrintable(names.at(i)));
            seen.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
        }
        QCOMPARE(seen.size(), 15); // all different
        for (int none : {11, 16, -1})
            QVERIFY(ToolIcon(none).isNull());
        QVERIFY(ToolIcon(QStringLiteral("Nothing")).isNull());
        for (int size : {16, 32, 48, 64})
            QVERIFY(AppIcon().availableSizes().contains(QSize(size, size)));
    }

    void displayFont_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("shown");
        QTest::newRow("proportional") << QStringLiteral("ＭＳ Ｐゴシック") << JapaneseUiFamily();
        QTest::newRow("latin name") << QStringLiteral("MS PGothic") << JapaneseUiFamily();
        QTest::newRow("fixed") << QStringLiteral("ＭＳ ゴシック") << JapaneseFixedFamily();
        QTest::newRow("mincho") << QStringLiteral("ＭＳ 明朝") << JapaneseFixedFamily();
        QTest::newRow("installed face") << QStringLiteral("DejaVu Sans") << QStringLiteral("DejaVu Sans");
    }

    void displayFont()
    {
        QFETCH(QString, face);
        QFETCH(QString, shown);
        QFont font(face);
        font.setPixelSize(12);
        font.setBold(true);
        font.setItalic(true);
        const QFont display = DisplayFont(font);
        QCOMPARE(display.families(), QStringList {shown});
        QCOMPARE(WindowsFont(face, -12).families(), QStringList {shown});
        QCOMPARE(display.pixelSize(), 12);
        QVERIFY(display.bold());
        QVERIFY(display.italic());
        // Shown in a family Qt knows, so it never searches for a stand-in.
        QVERIFY(QFontDatabase::families().contains(shown, Qt::CaseInsensitive));
        // Characters of CP932 that the family lacks still come from another
        // font ("≒" is not in Noto Sans CJK JP), not as a missing glyph.
        QTextLayout layout(QStringLiteral("≒"), display);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        QCOMPARE(runs.size(), 1);
        QVERIFY(runs.first().glyphIndexes().value(0) != 0);
    }

    void fileDialogFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char *name, const QString &filter, const QStringList &expected) {
            QTest::newRow(name) << filter << expected;
        };
        row("item file filter", ItemFilter,
            {QStringLiteral("Tidemarkﾌｧｲﾙ (*.tmd) (*.tmd)"), QStringLiteral("CSV形式ﾌｧｲﾙ (*.csv) (*.csv)"),
                QStringLiteral("すべてのﾌｧｲﾙ (*.*) (*)")});
        row("description without patterns", "Text|*.txt", {"Text (*.txt)"});
        row("several patterns", "Images|*.png;*.bmp", {"Images (*.png *.bmp)"});
        row("all files among others", "Any|*.a;*.*", {"Any (*.a *)"});
        row("odd part dropped", "A|*.a|B", {"A (*.a)"});
        row("empty", "", {});
    }

    void fileDialogFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(TOpenDialogEx::convertFilter(filter), expected);
    }

    void fileDialogFilterIndex()
    {
        TOpenDialogEx dialog;
        dialog.setFilter(ItemFilter);
        QCOMPARE(dialog.FilterIndex(), 1);
        dialog.setFilterIndex(2);
        QCOMPARE(dialog.FilterIndex(), 2);
        dialog.setFilterIndex(9);
        QCOMPARE(dialog.FilterIndex(), 2);
        // A pattern as the file name selects its filter and is not kept as a name.
        dialog.setFileName(QStringLiteral("*.tmd"));
        QCOMPARE(dialog.FilterIndex(), 1);
        dialog.setFileName(QStringLiteral("*.csv"));
        QCOMPARE(dialog.FilterIndex(), 2);
        dialog.setFileName(QStringLiteral("*.*"));
        QCOMPARE(dialog.FilterIndex(), 3);
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        QVERIFY(!edit->text().contains(u'*'));
        dialog.setHelpContext(HelpContext::FileMenu);
        QCOMPARE(HelpContextOf(edit), 3020);
    }

    void fileDialogExtraButton()
    {
        TSaveDialogEx save;
        save.setButtonCaption(QStringLiteral("CSVの設定(&C)"));
        save.resize(640, 420);
        save.show();
        QVERIFY(QTest::qWaitForWindowExposed(&save));
        QCOMPARE(save.OptButton->objectName(), QStringLiteral("OptButton"));
        QCOMPARE(save.Panel->objectName(), QStringLiteral("Panel"));
        QCOMPARE(save.OptButton->text(), QStringLiteral("CSVの設定(&C)"));
        QVERIFY(save.OptButton->isVisible());
        QVERIFY(save.OptButton->width() >= 88);
        QVERIFY(!save.OptButton->autoDefault());
        auto *buttons = save.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        const QRect box(buttons->mapTo(&save, QPoint()), buttons->size());
        const QRect button(save.OptButton->mapTo(&save, QPoint()), save.OptButton->size());
        QVERIFY2(button.top() >= box.bottom(), "below the standard buttons");
        QVERIFY2(qAbs(button.right() - box.right()) <= 2, "at the right edge of the controls");

        // Pressing it calls the handler and leaves the dialog open.
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

    // The user sees each description as the program words it, and "*.*"
    // lists every file, with a dot in its name or not.
    void fileDialogShowsEveryFileForAll()
    {
        QTemporaryDir dir;
        for (const char *name : {"a.tmd", "b.csv", "TODO"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        TOpenDialogEx dialog;
        dialog.setFilter(ItemFilter);
        dialog.setDirectory(dir.path());
        auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        QCOMPARE(shown,
            (QStringList {QStringLiteral("Tidemarkﾌｧｲﾙ (*.tmd)"), QStringLiteral("CSV形式ﾌｧｲﾙ (*.csv)"),
                QStringLiteral("すべてのﾌｧｲﾙ (*.*)")}));

        auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
        QVERIFY(view);
        auto listed = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                names << view->model()->index(row, 0, root).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(listed(), QStringList {QStringLiteral("a.tmd")});
        dialog.setFilterIndex(3);
        QTRY_COMPARE(
            listed(), (QStringList {QStringLiteral("TODO"), QStringLiteral("a.tmd"), QStringLiteral("b.csv")}));
    }

    void fileDialogExecute()
    {
        QTemporaryDir dir;
        TOpenDialogEx open;
        open.setFilter(ItemFilter);
        open.setDirectory(dir.path());
        QTimer::singleShot(0, &open, [&] {
            auto *edit = open.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            edit->setText(QStringLiteral("新しい.tmd"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        // A name that does not exist is accepted by the open dialog.
        QVERIFY(open.Execute());
        QCOMPARE(open.FileName(), dir.filePath(QStringLiteral("新しい.tmd")));

        // The save dialog does not ask about an existing file; Escape keeps the name.
        const QString path = dir.filePath(QStringLiteral("a.tmd"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TSaveDialogEx save;
        QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
        save.setFilter(ItemFilter);
        save.setFileName(path);
        QTimer::singleShot(0, &save, [&] { QTest::keyClick(&save, Qt::Key_Escape); });
        QVERIFY(!save.Execute());
        QCOMPARE(save.FileName(), path);
        QTimer::singleShot(0, &save, [&] { QMetaObject::invokeMethod(&save, "accept"); });
        QVERIFY(save.Execute());
        QCOMPARE(save.FileName(), path);
    }

    void aboutBox()
    {
        TAboutBoxDlg dlg;
        dlg.setProductName(QStringLiteral("Tidemark"));
        dlg.setVersion(QStringLiteral("Version 2.10"));
        dlg.setAuthorLine(TidemarkAuthorLine());
        dlg.setComments(QString());
        QStringList texts, names;
        bool hasIcon = false;
        Qt::Key key = Qt::Key_Return;
        connect(&dlg, &TAboutBoxDlg::shown, this, [&](TAboutBox *box) {
            texts = {box->ProductName->text(), box->Version->text(), box->AuthorLine->text(), box->Comments->text()};
            hasIcon = !box->ProgramIcon->pixmap().isNull();
            for (const QWidget *w : box->findChildren<QWidget *>())
                names << w->objectName();
            QTimer::singleShot(0, box, [box, key] { QTest::keyClick(box, key); });
        });
        QVERIFY(dlg.Execute());
        for (const char *name :
            {"Panel1", "ProgramIcon", "ProductName", "Version", "AuthorLine", "Comments", "OKButton"})
            QVERIFY2(names.contains(QLatin1String(name)), name);
        QCOMPARE(texts,
            (QStringList {
                QStringLiteral("Tidemark"), QStringLiteral("Version 2.10"), TidemarkAuthorLine(), QString()}));
        QVERIFY(!TidemarkAuthorLine().isEmpty());
        // Every caption can be written in the files' code page.
        QVERIFY(Cp932::canEncode(TidemarkAuthorLine()));
        QVERIFY(hasIcon);
        // Without a product name the application's title is shown; Escape gives false.
        QApplication::setApplicationDisplayName(QStringLiteral("Tidemark"));
        dlg.setProductName(QString());
        key = Qt::Key_Escape;
        QVERIFY(!dlg.Execute());
        QCOMPARE(texts.value(0), QStringLiteral("Tidemark"));
    }

    void helpPages_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("heading");
        auto row = [](int context, const char *page, const char *heading) {
            QTest::addRow("%d", context) << context << QString(page) << QString::fromUtf8(heading);
        };
        row(0, "index.html", "目次");
        row(3010, "mainwindow.html", "メイン画面");
        row(3020, "file.html", "ファイル");
        row(3030, "edit.html", "編集");
        row(3040, "options.html", "設定");
        row(3050, "editor.html", "項目");
        row(3070, "csv.html", "CSV");
        row(3080, "device.html", "Ruputer");
        row(3090, "schedule.html", "予定表");
        row(1234, "index.html", "目次"); // unknown
    }

    void helpPages()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        QFETCH(QString, heading);
        QCOMPARE(HelpUrl(context), QUrl(QStringLiteral("qrc:/help/") + page));
        QFile file(QStringLiteral(":/help/") + page);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(html.size() > 400);
        const qsizetype h1 = html.indexOf(QStringLiteral("<h1>"));
        QVERIFY(h1 >= 0);
        QVERIFY2(html.mid(h1, html.indexOf(QStringLiteral("</h1>")) - h1).contains(heading), qPrintable(page));
        // The contents page links every section.
        if (context == 0) {
            for (int section : {3010, 3020, 3030, 3040, 3050, 3070, 3080, 3090})
                QVERIFY(html.contains(QStringLiteral("href=\"%1\"").arg(HelpUrl(section).fileName())));
        }

        Notifier::instance().showHelp(context);
        THelpWindow *first = THelpWindow::instance();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->objectName(), QStringLiteral("HelpWindow"));
        QCOMPARE(helpShown(), HelpUrl(context));
        QVERIFY(!helpBrowser()->toPlainText().isEmpty());
        // A second request reuses the one window.
        Notifier::instance().showHelp(3010);
        QCOMPARE(THelpWindow::instance(), first);
        QCOMPARE(helpShown(), HelpUrl(3010));
    }

    // A window shown is kept inside the available screen, frame included:
    // placed partly outside it moves in, too large it shrinks (as far as its
    // minimum allows), and one nobody placed is centred.
    void windowsFitTheScreen_data()
    {
        QTest::addColumn<QRect>("placed"); // an invalid rectangle: not placed
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<bool>("expectShrunk");
        QTest::newRow("below the bottom edge") << QRect(100, 500, 300, 300) << QSize() << false;
        QTest::newRow("left of the screen") << QRect(-200, 50, 300, 200) << QSize() << false;
        QTest::newRow("taller than the screen") << QRect(10, 10, 300, 2000) << QSize() << true;
        QTest::newRow("not placed, too large") << QRect(0, 0, 3000, 2000) << QSize() << true;
        QTest::newRow("fixed size, off the screen") << QRect(700, 500, 300, 200) << QSize(300, 200) << false;
    }
    void windowsFitTheScreen()
    {
        QFETCH(QRect, placed);
        QFETCH(QSize, minimum);
        QFETCH(bool, expectShrunk);
        InstallScreenFit();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget window;
        if (minimum.isValid())
            window.setFixedSize(minimum);
        if (placed.topLeft() == QPoint(0, 0))
            window.resize(placed.size());
        else
            window.setGeometry(placed);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(area.contains(window.frameGeometry()),
            qPrintable(QStringLiteral("%1,%2 %3x%4")
                           .arg(window.frameGeometry().x())
                           .arg(window.frameGeometry().y())
                           .arg(window.frameGeometry().width())
                           .arg(window.frameGeometry().height())));
        QCOMPARE(window.size() != placed.size(), expectShrunk);
        if (placed.topLeft() == QPoint(0, 0))
            QVERIFY(qAbs(window.geometry().center().x() - area.center().x()) <= 8);
    }

    void helpF1FollowsParents()
    {
        QWidget window;
        auto *group = new QWidget(&window);
        auto *edit = new QLineEdit(group);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        // Without a context anywhere F1 opens the contents.
        QCOMPARE(HelpContextOf(edit), 0);
        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(helpShown(), HelpUrl(0));
        SetHelpContext(&window, 3040);
        QCOMPARE(HelpContextOf(edit), 3040);
        SetHelpContext(group, 3070);
        QCOMPARE(HelpContextOf(edit), 3070);
    }

    void helpF1InDialogAndMenu()
    {
        QDialog dialog;
        SetHelpContext(&dialog, 3050);
        auto *layout = new QVBoxLayout(&dialog);
        auto *edit = new QLineEdit(&dialog);
        layout->addWidget(edit);
        QTimer::singleShot(0, &dialog, [&] {
            edit->setFocus();
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : edit, Qt::Key_F1);
            dialog.reject();
        });
        dialog.exec();
        QCOMPARE(helpShown(), HelpUrl(3050));
        // The dialog was not closed or answered by the key.
        QCOMPARE(edit->text(), QString());

        QWidget window;
        window.show();
        QMenu menu(&window);
        SetHelpContext(&menu, 3020);
        menu.addAction(QStringLiteral("開く(&O)"));
        menu.popup(QPoint(10, 10));
        QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
        QTest::keyClick(&menu, Qt::Key_F1);
        QCOMPARE(helpShown(), HelpUrl(3020));
        menu.close();
    }

    void helpUsableWhileModalDialogIsOpen()
    {
        QWidget main;
        main.show();
        QDialog dialog(&main);
        bool parentedToDialog = false;
        QUrl afterClick, afterBack;
        bool backEnabled = false;
        QTimer::singleShot(0, &dialog, [&] {
            THelpWindow *help = THelpWindow::ShowHelp(3040);
            parentedToDialog = help->parentWidget() == &dialog;
            // A click reaches the help window although the dialog is modal.
            QTest::mouseClick(help->findChild<QPushButton *>(QStringLiteral("ContentsBtn")), Qt::LeftButton);
            afterClick = help->browser()->source();
            auto *back = help->findChild<QPushButton *>(QStringLiteral("BackBtn"));
            backEnabled = back->isEnabled();
            QTest::mouseClick(back, Qt::LeftButton);
            afterBack = help->browser()->source();
            Notifier::instance().showHelp(3050);
            dialog.accept();
        });
        dialog.exec();
        QVERIFY(parentedToDialog);
        QCOMPARE(afterClick, HelpUrl(0));
        QVERIFY(backEnabled);
        QCOMPARE(afterBack, HelpUrl(3040));
        // After the dialog closes the help window stays, on its own.
        QVERIFY(THelpWindow::instance());
        QCOMPARE(THelpWindow::instance()->parentWidget(), nullptr);
        QVERIFY(THelpWindow::instance()->isVisible());
        QCOMPARE(helpShown(), HelpUrl(3050));
    }

private:
    MessageBoxNotifier m_notifier;
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
