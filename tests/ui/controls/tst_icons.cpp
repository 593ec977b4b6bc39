#include "ui/controls/Icons.h"

#include <QSet>
#include <QTest>

class TestIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyActionHasItsGlyph();
    void indexElevenHasNone();
    void glyphsDiffer();
    void appIconSizes();
};

void TestIcons::everyActionHasItsGlyph()
{
    const QStringList names = ToolIconNames();
    QCOMPARE(names.size(), 16);
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
    }
    QVERIFY(ToolIcon(QStringLiteral("Nothing")).isNull());
}

void TestIcons::indexElevenHasNone()
{
    QVERIFY(ToolIcon(11).isNull());
    QVERIFY(ToolIcon(16).isNull());
    QVERIFY(ToolIcon(-1).isNull());
}

void TestIcons::glyphsDiffer()
{
    QSet<QByteArray> seen;
    for (const QString &name : ToolIconNames()) {
        if (name.isEmpty())
            continue;
        const QImage image = DrawIcon(name, 16);
        seen.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(seen.size(), 15);
}

void TestIcons::appIconSizes()
{
    const QIcon icon = AppIcon();
    for (int size : {16, 32, 48, 256})
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
