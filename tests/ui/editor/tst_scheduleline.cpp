#include "EditorScript.h"
#include "ScriptedNotifier.h"
#include "TestEnvironment.h"
#include "ui/controls/Fonts.h"

#include <QLabel>
#include <QPushButton>
#include <memory>

// The editor's bottom line: the next target days of the item as it is being
// edited, or why OK cannot be pressed or was refused. Today is 2026-12-08, a
// Tuesday.
class TestScheduleLine : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedNotifier> m_notes;
    std::unique_ptr<TDetailDlg> m_dlg;

    QLabel *line() const { return Ctl<QLabel>(*m_dlg, QStringLiteral("LNextTargets")); }
    void open()
    {
        m_dlg->show();
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }

private Q_SLOTS:
    void initTestCase() { InstallFontSubstitutes(); }
    void init()
    {
        m_dlg.reset();
        m_notes.reset();
        m_env.reset();
        m_env = std::make_unique<TestEnvironment>();
        m_notes = std::make_unique<ScriptedNotifier>();
        m_dlg = std::make_unique<TDetailDlg>();
    }

    void preview_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        Row("new item", QString(), QStringLiteral("タイトルを入力してください"));
        Row("no month", QStringLiteral("Text=a"), QStringLiteral("月を選んでください"));
        Row("no day", QStringLiteral("Text=a CbDMonth12"), QStringLiteral("日を入力してください"));
        Row("month end", QStringLiteral("Text=a CbDMonth12 EDDate1=31"),
            QStringLiteral("次の対象日: 2026/12/31(木)、2027/12/31(金)、2028/12/31(日)"));
        Row("off the weekend", QStringLiteral("Text=a CbDMonth12 EDDate1=31 CbDSSat CbDSSun"),
            QStringLiteral("次の対象日: 2026/12/31(木)、2027/12/31(金)、2028/12/29(金) ←12/31(日) 曜日"));
        Row("later off the weekend", QStringLiteral("Text=a CbDMonth12 EDDate1=31 CbDSSat CbDSSun RDSAfter"),
            QStringLiteral("次の対象日: 2026/12/31(木)、2027/12/31(金)、2029/01/01(月) ←12/31(日) 曜日"));
        Row("off new year's day", QStringLiteral("Text=a CbDMonth1 EDDate1=1 CbDSHoli"),
            QStringLiteral("次の対象日: 2026/12/31(木) ←01/01(金) 祝日、2027/12/31(金) ←01/01(土) 祝日、"
                           "2028/12/31(日) ←01/01(月) 祝日"));
        Row("weekday from today", QStringLiteral("Text=a RDay CbYTue"),
            QStringLiteral("次の対象日: 2026/12/08(火)、2026/12/15(火)、2026/12/22(火)"));
        Row("odd weeks", QStringLiteral("Text=a RDay CbYTue RYOddWeek"),
            QStringLiteral("次の対象日: 2026/12/15(火)、2026/12/29(火)、2027/01/12(火)"));
        Row("no weekday", QStringLiteral("Text=a RDay"), QStringLiteral("曜日を選んでください"));
        Row("once", QStringLiteral("Text=a ROnce OSDate=2026/12/10"), QStringLiteral("次の対象日: 2026/12/10(木)"));
        Row("period", QStringLiteral("Text=a ROnce OSDate=2026/12/10 CbOEDate OEDate=2026/12/12"),
            QStringLiteral("次の対象日: 2026/12/10(木)〜12/12(土)"));
        Row("once, past", QStringLiteral("Text=a ROnce OSDate=2026/12/01"),
            QStringLiteral("次の対象日はありません（2026/12/01(火) は過ぎています）"));
        Row("irregular without start", QStringLiteral("Text=a RIrregular"),
            QStringLiteral("不定期: 開始日がないので対象日はありません"));
        Row("irregular", QStringLiteral("Text=a RIrregular CbOSDate OSDate=2027/02/03"),
            QStringLiteral("次の対象日: 2027/02/03(水)"));
    }

    void preview()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        open();
        Act(*m_dlg, steps);
        QTRY_COMPARE(line()->text(), expected);
    }

    void loadedItemIsShown()
    {
        auto item = NewItemOfKind(2);
        item->Title = QStringLiteral("燃えないゴミ");
        item->Weekdays[2] = true;
        item->WeekParity = 2;
        m_dlg->LoadItem(*item);
        open();
        QTRY_COMPARE(line()->text(), QStringLiteral("次の対象日: 2026/12/09(水)、2026/12/23(水)、2027/01/06(水)"));
    }

    void refusal_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        Row("end before start", QStringLiteral("Text=a ROnce OSDate=2026/12/10 CbOEDate OEDate=2026/12/09"),
            QStringLiteral("終了日が開始日より前です"));
        Row("first day out of range", QStringLiteral("Text=a CbDMonth1 EDDate2=3 EDDate1=45"),
            QStringLiteral("日は1から31で入力してください（31は末日）"));
        Row("second day out of range", QStringLiteral("Text=a CbDMonth1 EDDate1=3 EDDate2=45"),
            QStringLiteral("2つめの日は1から31で入力してください（31は末日）"));
        Row("title too long", QStringLiteral("ROnce Text<0123456789012345678901234567890123456789"),
            QStringLiteral("タイトルが長すぎます（32バイトまで）"));
        Row("days before emptied", QStringLiteral("Text=a ROnce EBefore<"),
            QStringLiteral("表示する前の日数は0から99で入力してください"));
    }

    void refusal()
    {
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        open();
        Act(*m_dlg, steps);
        QVERIFY(Ctl<QPushButton>(*m_dlg, QStringLiteral("OKBtn"))->isEnabled());
        m_notes->clear();
        Act(*m_dlg, QStringLiteral("OKBtn"));
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_notes->sounds.size(), 1);
        QCOMPARE(line()->text(), expected);
        // The reason stays while nothing changes, and goes with the next edit.
        QCoreApplication::processEvents();
        QCOMPARE(line()->text(), expected);
        Act(*m_dlg, QStringLiteral("CbLDate"));
        QTRY_VERIFY(line()->text() != expected);
    }

    void lineFitsTheDialog()
    {
        open();
        Act(*m_dlg, QStringLiteral("Text=a CbDMonth1 EDDate1=1 CbDSHoli"));
        QTRY_VERIFY(line()->text().startsWith(QStringLiteral("次の対象日")));
        QVERIFY(line()->geometry().bottom() < m_dlg->height());
        const QRect needed = line()->fontMetrics().boundingRect(
            QRect(0, 0, line()->width(), 1000), Qt::TextWordWrap | Qt::AlignLeft, line()->text());
        QVERIFY2(needed.height() <= line()->height(), qPrintable(QString::number(needed.height())));
        if (const QString dir = qEnvironmentVariable("TIDEMARK_SHOTS"); !dir.isEmpty())
            m_dlg->grab().save(dir + QStringLiteral("/editor-schedule-line.png"));
    }
};

QTEST_MAIN(TestScheduleLine)
#include "tst_scheduleline.moc"
