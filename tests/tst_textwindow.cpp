#include "FormTestUtil.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "app/Fonts.h"
#include "app/Shapes.h"
#include "practice/Lessons.h"
#include "practice/TextWindow.h"

class TestTextWindow : public QObject {
    Q_OBJECT
private slots:
    void menusHoldEveryItem()
    {
        Form1 f;
        QCOMPARE(f.mnuBase.size(), 19);
        QCOMPARE(f.mnuDoc.size(), 19);
        QCOMPARE(f.mnuClassDoc.size(), 11);
        QCOMPARE(f.mnuB->actions().size(), 18);
        QCOMPARE(f.mnuBase[1]->text(), QStringLiteral("第一課ㄇㄋ配ㄠㄤ"));
        QCOMPARE(f.mnuBase[18]->text(), QStringLiteral("綜合練習_子思【中庸】【第一章】"));
        QCOMPARE(f.mnuDoc[3]->text(), QStringLiteral("李白【將進酒】"));
        QCOMPARE(f.mnuClassDoc[10]->text(), QStringLiteral("張載【西銘】"));
        QCOMPARE(f.mnuBase[3]->objectName(), QStringLiteral("mnuBase(3)"));
        // Items appear in index order.
        QCOMPARE(f.mnuD->actions().indexOf(f.mnuDoc[7]), 6);
        for (int i = 1; i <= 10; ++i)
            QCOMPARE(f.mnuClassDoc[i]->text(), Lessons::caption(Lessons::Menu::ClassDoc, i));
    }

    void choosingALesson_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::newRow("lesson 1") << 1 << QStringLiteral("Quillory注音打字練習_第一課ㄇㄋ配ㄠㄤ");
        QTest::newRow("lesson 17 keeps both underscores")
            << 17 << QStringLiteral("Quillory注音打字練習_綜合練習_孔子【大學之道經文】");
    }
    void choosingALesson()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        FormHarness h;
        QVERIFY(h.show());
        h.form.Timer1->start(); // choosing an item stops the clock even outside a run
        h.form.mnuBase[index]->trigger();
        QCOMPARE(h.form.windowTitle(), title);
        QVERIFY(!h.form.Timer1->isActive());
        QVERIFY(h.form.positionCount() > 0);
        QVERIFY(h.form.cmdStart->isEnabled());
        QVERIFY(h.form.cmdEnd->isEnabled());
        QVERIFY(h.form.cmdSandH->isEnabled());
        QCOMPARE(QApplication::focusWidget(), h.form.cmdStart);
        // The run's displays are emptied.
        QCOMPARE(h.form.Label1->text(), QString());
        QCOMPARE(h.form.lblRight->text(), QString());
        QCOMPARE(h.form.Picture1[0]->barWidth(), 0);
    }

    void lessonOnePositions()
    {
        Form1 f;
        f.mnuBase_Click(1);
        // 28 tokens: 20 with a tone mark (3 symbols), 8 first-tone or neutral.
        int expected = 0;
        QString text = GetBaseText(1);
        TokenTable t;
        SplitLessonText(t, text);
        for (const QString &r : t.readings)
            expected += r.size() + (QStringLiteral("ˊˇˋ˙").contains(r.back()) ? 0 : 1);
        QCOMPARE(f.positionCount(), expected);
        QCOMPARE(f.textLayout.positions[0].symbol, QStringLiteral("ㄇ"));
        QCOMPARE(f.textLayout.positions[0].left, 4);
        QCOMPARE(f.textLayout.positions[0].top, 29);
    }

    void oneLineText()
    {
        Form1 f;
        TokenTable t = tableOf({{u"中", u"ㄓㄨㄥ"}, {u"文", u"ㄨㄣˊ"}, {u"，", u""}});
        QVERIFY(f.LoadPracticeText(t));
        // 113 pixels high, raised to the frame's 130; nothing to scroll.
        QCOMPARE(f.textLayout.sheetHeight, 113);
        QCOMPARE(f.picWindow->picWd->height(), 130);
        QCOMPARE(f.picWindow->VScroll1->maximum(), 0);
        QCOMPARE(f.picWindow->VScroll1->minimum(), 0);
        QCOMPARE(f.picWindow->VScroll1->singleStep(), 28);
        QCOMPARE(f.picWindow->VScroll1->pageStep(), 130);
        QCOMPARE(f.picWindow->VScroll1->height(), 127);
    }

    void longTextScrolls()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuClassDoc_Click(3);
        const int height = h.form.textLayout.sheetHeight;
        QVERIFY(height > 1000);
        QCOMPARE(h.form.picWindow->picWd->height(), height);
        QCOMPARE(h.form.picWindow->VScroll1->maximum(), height - 130);
        QCOMPARE(h.form.picWindow->VScroll1->value(), 0);
        h.form.picWindow->VScroll1->setValue(250);
        QCOMPARE(h.form.picWindow->sheetPos(), QPoint(0, -250));
        // A position far below comes into view, at the bottom of the frame.
        h.form.ScrollToPos(200);
        const int t = h.form.picWindow->sheetPos().y() + h.form.textLayout.positions[199].top;
        QVERIFY(t + 56 <= 130);
        QVERIFY(t >= 0);
        // One above the frame comes back with a third of a line above it: the
        // first position (top 29) lands one pixel above the frame's top.
        h.form.ScrollToPos(1);
        QCOMPARE(h.form.picWindow->VScroll1->value(), 1);
        // The last position comes into view without passing the bar's maximum.
        h.form.ScrollToPos(qint16(h.form.positionCount()));
        const int last = h.form.textLayout.positions.back().top;
        QCOMPARE(h.form.picWindow->VScroll1->value(), last + 56 - 130);
        QVERIFY(h.form.picWindow->VScroll1->value() <= h.form.picWindow->VScroll1->maximum());
    }

    void reloadingReplacesEverything()
    {
        Form1 f;
        f.mnuBase_Click(17);
        const int many = f.positionCount();
        f.picWindow->VScroll1->setValue(100);
        f.mnuBase_Click(1);
        QVERIFY(f.positionCount() < many);
        QCOMPARE(f.textLayout.words.size(), std::size_t(28));
        QCOMPARE(f.picWindow->VScroll1->value(), 0);
        QCOMPARE(f.picWindow->sheetPos(), QPoint(0, 0));
    }

    void paintsTheCells()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1);
        const QImage img = h.form.picWindow->picWd->grab().toImage();
        // Position 1's symbol cell is light cyan; the character row above is white.
        const QRect title = h.form.picWindow->picWd->titleRect(1);
        QCOMPARE(img.pixelColor(title.right() - 1, title.bottom() - 1), QColor(0xC0, 0xFF, 0xFF));
        QCOMPARE(img.pixelColor(title.right() - 1, 2), QColor(Qt::white));
        // The character 忙 leaves ink in its cell; an echo not yet shown leaves none.
        bool ink = false;
        const QRect word = h.form.picWindow->picWd->wordRect(1);
        for (int x = word.left(); x <= word.right(); ++x)
            for (int y = word.top(); y <= word.bottom(); ++y)
                ink |= img.pixelColor(x, y).lightness() < 128;
        QVERIFY(ink);
        const QRect echo = h.form.picWindow->picWd->echoRect(1);
        QCOMPARE(img.pixelColor(echo.center()), QColor(Qt::white));
        // Once shown, the echo label is yellow.
        h.form.setEchoVisible(1, true);
        const QImage after = h.form.picWindow->picWd->grab(echo).toImage();
        QCOMPARE(after.pixelColor(1, 1), QColor(0xFF, 0xFF, 0x00));
    }

    void zhuyinFitsItsCell()
    {
        // Every symbol and tone mark stays inside its 17-pixel cell.
        Form1 f;
        TokenTable t;
        for (int i = 1; i <= KeyCatalogue::kZhuyinEntries; ++i)
            t.append(QStringLiteral("中"), QString(KeyCatalogue::zhuyinSymbols[i]) + QStringLiteral("ˋ"));
        QVERIFY(f.LoadPracticeText(t));
        const QFontMetrics fm(Fonts::kai(13));
        for (int i = 1; i <= KeyCatalogue::kZhuyinEntries; ++i) {
            const QRect ink = fm.boundingRect(QString(KeyCatalogue::zhuyinSymbols[i]));
            QVERIFY2(ink.left() >= 0 && ink.right() < 17,
                     qPrintable(QString(KeyCatalogue::zhuyinSymbols[i])));
        }
    }

    void textBeyondTheLimitsChangesNothing()
    {
        FormHarness h;
        h.form.mnuBase_Click(2);
        const QString title = h.form.windowTitle();
        const int positions = h.form.positionCount();
        h.form.lblRight->setText(QStringLiteral("12"));
        TokenTable t;
        t.append(QStringLiteral("長"), QString(40000, QChar(u'ㄅ')));
        QVERIFY(!h.form.LoadPracticeText(t, QStringLiteral("long.txt")));
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(h.messages[0].icon, QMessageBox::Warning);
        QVERIFY(h.messages[0].text.contains(QStringLiteral("long.txt")));
        QCOMPARE(h.form.windowTitle(), title);
        QCOMPARE(h.form.positionCount(), positions);
        QCOMPARE(h.form.lblRight->text(), QStringLiteral("12"));
    }

    void sheetPaintsOnlyWhatIsExposed()
    {
        // A 5000-token text lays out and a scrolled repaint stays cheap: the
        // sheet is one widget, its cells are data.
        Form1 f;
        TokenTable t;
        for (int i = 0; i < 5000; ++i)
            t.append(QStringLiteral("中"), QStringLiteral("ㄓㄨㄥˋ"));
        QVERIFY(f.LoadPracticeText(t));
        QCOMPARE(f.positionCount(), 20000);
        QVERIFY(f.picWindow->picWd->findChildren<QWidget *>().isEmpty());
        f.picWindow->VScroll1->setValue(f.picWindow->VScroll1->maximum() / 2);
        QCOMPARE(f.picWindow->sheetPos().y(), -f.picWindow->VScroll1->value());
    }
};

QTEST_MAIN(TestTextWindow)
#include "tst_textwindow.moc"
