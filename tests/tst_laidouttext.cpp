#include <QPainter>
#include <QtTest>

#include "view/CountLabel.h"
#include "view/Fonts.h"
#include "view/LaidOutText.h"

// A caption laid out once must draw the pixels QPainter::drawText draws for
// it, wherever its box is moved by whole pixels and at any density.
class TestLaidOutText : public QObject {
    Q_OBJECT
private slots:
    void drawsWhatDrawTextDraws_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QFont>("font");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QSize>("box");
        const int legend = Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip;
        const int cell = Qt::AlignLeft | Qt::AlignTop;
        // Legends centred on their keys, overhanging their boxes.
        QTest::newRow("symbol") << QStringLiteral("ㄅ") << Fonts::ming(14.25) << legend << QSize(21, 19);
        QTest::newRow("letter wider than its box") << QStringLiteral("W") << Fonts::arial(9.75, true) << legend
                                                   << QSize(12, 16);
        QTest::newRow("key name") << QStringLiteral("Backspace") << Fonts::ming(11.25, true) << legend
                                  << QSize(68, 15);
        QTest::newRow("space bar") << QStringLiteral("□第一聲") << Fonts::kai(14.25) << legend << QSize(76, 19);
        // Captions wrapped and cut at their box.
        QTest::newRow("wrapped caption") << QStringLiteral("左手食指基準鍵") << Fonts::ming(9.75)
                                         << int(Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap) << QSize(61, 29);
        // The text window's symbol and echo cells, cut at the cell.
        QTest::newRow("tone") << QStringLiteral("ˋ") << Fonts::kai(13) << cell << QSize(17, 25);
        QTest::newRow("symbol cell") << QStringLiteral("ㄓ") << Fonts::kai(13) << cell << QSize(17, 25);
        // The text's characters, free to overhang their cells.
        QTest::newRow("character") << QStringLiteral("鬱") << Fonts::kai(15.75)
                                   << int(Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip) << QSize(0, 25);
        QTest::newRow("longer than its cell") << QStringLiteral("ㄓㄨㄥ") << Fonts::kai(13) << cell << QSize(17, 25);
    }
    void drawsWhatDrawTextDraws()
    {
        QFETCH(QString, text);
        QFETCH(QFont, font);
        QFETCH(int, flags);
        QFETCH(QSize, box);
        for (const qreal dpr : {1.0, 2.0}) {
            auto image = [dpr] {
                QImage img(QSize(120, 60) * dpr, QImage::Format_RGB32);
                img.setDevicePixelRatio(dpr);
                img.setDotsPerMeterX(3780);
                img.setDotsPerMeterY(3780);
                img.fill(QColor(0xC0, 0xFF, 0xFF));
                return img;
            };
            const QImage device = image();
            const LaidOutText laidOut(text, font, &device, box, flags);
            for (const QPoint at : {QPoint(30, 10), QPoint(31, 17), QPoint(4, 3)}) {
                QImage expected = image();
                QImage actual = image();
                {
                    QPainter p(&expected);
                    p.setFont(font);
                    p.drawText(QRect(at, box), flags, text);
                }
                {
                    QPainter p(&actual);
                    laidOut.draw(p, at);
                }
                QVERIFY2(actual == expected, qPrintable(QStringLiteral("density %1 at %2,%3").arg(dpr).arg(at.x()).arg(at.y())));
            }
        }
    }

    // A count label draws a number in the pixels a QLabel draws for it.
    void countDrawsWhatQLabelDraws_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::newRow("window's font") << Fonts::ming(9.75);
        QTest::newRow("bold") << Fonts::arial(12, true);
        QTest::newRow("kai") << Fonts::kai(13);
    }
    void countDrawsWhatQLabelDraws()
    {
        QFETCH(QFont, font);
        QWidget window;
        window.setFont(font);
        QLabel plain(&window);
        CountLabel count(&window);
        for (QLabel *l : {&plain, static_cast<QLabel *>(&count)}) {
            l->setGeometry(0, 0, 77, 13);
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            l->setAutoFillBackground(true);
        }
        QStringList texts;
        for (int n = 0; n <= 1000; ++n)
            texts << QString::number(n);
        texts << QStringLiteral("32767") << QStringLiteral("12345678901234567890") << QString() << QStringLiteral("1 2");
        for (const QString &text : texts) {
            plain.setText(text);
            count.setText(text);
            QCOMPARE(count.drawsDigits(), !text.isEmpty() && !text.contains(u' '));
            QVERIFY2(count.grab().toImage() == plain.grab().toImage(), qPrintable(text));
        }
    }
};

QTEST_MAIN(TestLaidOutText)
#include "tst_laidouttext.moc"
