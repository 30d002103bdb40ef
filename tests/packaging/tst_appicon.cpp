#include "appicon.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

// The icon is compiled into a static library and reaches the program only if
// its resource is registered; an empty icon here means the window has none.
class TestAppIcon : public QObject
{
    Q_OBJECT

private slots:
    void everySizeIsBuiltIn_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }

    void everySizeIsBuiltIn()
    {
        QFETCH(int, size);
        const QIcon icon = applicationIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));

        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        // The middle of the picture is opaque; a picture that failed to load is not.
        QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
