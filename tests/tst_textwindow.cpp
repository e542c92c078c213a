#include "FormTestUtil.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "view/AppInfo.h"
#include "view/FontPages.h"
#include "view/Fonts.h"
#include "app/Shapes.h"
#include "practice/Lessons.h"
#include "practice/TextWindow.h"

namespace {

// Each position as "symbol@left,top".
QStringList cells(const TextLayout &l)
{
    QStringList out;
    for (const PositionCell &p : l.positions)
        out << QStringLiteral("%1@%2,%3").arg(p.symbol).arg(p.left).arg(p.top);
    return out;
}

// 5000 tokens of 中, a text of many lines.
TokenTable longText()
{
    TokenTable t;
    for (int i = 0; i < 5000; ++i)
        t.append(QStringLiteral("中"), QStringLiteral("ㄓㄨㄥˋ"));
    return t;
}

} // namespace

class TestTextWindow : public QObject {
    Q_OBJECT
private slots:
    // Every item of the three lesson menus, in index order, chosen as the
    // learner chooses it: the window takes the item's caption and lays out
    // the item's own text, the clock stops, the run's displays empty and
    // Start is ready. The menus are filled once the window is on the screen.
    void everyMenuItemLoadsItsText()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        QTRY_COMPARE(f.mnuB->actions().size(), Lessons::count(Lessons::Menu::Base));
        const std::tuple<QMenu *, QList<QAction *> *, Lessons::Menu> menus[] = {
            {f.mnuB, &f.mnuBase, Lessons::Menu::Base},
            {f.mnuD, &f.mnuDoc, Lessons::Menu::Doc},
            {f.mnuC, &f.mnuClassDoc, Lessons::Menu::ClassDoc}};
        for (const auto &[menu, items, which] : menus) {
            QCOMPARE(menu->actions().size(), Lessons::count(which));
            for (int i = 1; i <= Lessons::count(which); ++i) {
                QCOMPARE(menu->actions().at(i - 1), items->at(i));
                f.Timer1->start();
                f.lblRight->setText(QStringLiteral("5"));
                f.Picture1[0]->setBarWidth(900);
                items->at(i)->trigger();
                QCOMPARE(f.windowTitle(), AppInfo::title() + QLatin1Char('_') + Lessons::caption(which, i));
                QString text = Lessons::parts(which, i).join(QString());
                TokenTable t;
                SplitLessonText(t, text);
                TextLayout want;
                QCOMPARE(LayOutText(t, LayoutGeometry{}, want), LayoutLimit::None);
                QCOMPARE(cells(f.textLayout), cells(want));
                QVERIFY(!f.Timer1->isActive());
                QCOMPARE(f.lblRight->text(), QString());
                QCOMPARE(f.Label1->text(), QString());
                QCOMPARE(f.Picture1[0]->barWidth(), 0);
                QVERIFY(f.cmdStart->isEnabled() && f.cmdEnd->isEnabled() && f.cmdSandH->isEnabled());
                QCOMPARE(QApplication::focusWidget(), f.cmdStart);
            }
        }
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

    // Through the longest text, typed to its report, the current position
    // stays in view: when a position begins, and when a key is typed while
    // the learner has scrolled it away.
    void currentPositionStaysInView()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        f.mnuClassDoc_Click(3); // the longest text
        QScrollBar *bar = f.picWindow->VScroll1;
        const int height = f.textLayout.sheetHeight;
        QVERIFY(height > 1000);
        QCOMPARE(f.picWindow->picWd->height(), height);
        QCOMPARE(bar->maximum(), height - 130);
        auto shownAt = [&](int pos) { return f.picWindow->sheetPos().y() + f.textLayout.positions[pos - 1].top; };
        f.cmdStart->click();
        // Scrolled down, a key typed at the first position brings it back
        // with a third of a line above it: one pixel of scrolling is left.
        bar->setValue(250);
        QCOMPARE(f.picWindow->sheetPos(), QPoint(0, -250));
        h.key('q');
        QCOMPARE(bar->value(), 1);
        const QString keys = keysForText(f);
        h.type(keys.left(199));
        QCOMPARE(f.curPos, qint16(200));
        QVERIFY(shownAt(200) >= 0 && shownAt(200) + 56 <= 130);
        bar->setValue(0); // far above: it comes back at the bottom of the frame
        h.key('q');
        QCOMPARE(shownAt(200) + 56, 130);
        bar->setValue(bar->maximum());
        h.key('q');
        QCOMPARE(shownAt(200), 28);
        // The last position comes into view without passing the bar's maximum.
        h.type(keys.mid(199, keys.size() - 200));
        QCOMPARE(bar->value(), f.textLayout.positions.back().top + 56 - 130);
        QVERIFY(bar->value() <= bar->maximum());
        h.tickAt(30'000);
        h.type(keys.right(1));
        QVERIFY(h.waitForMessage());
        QCOMPARE(f.run.rightCount, f.positionCount());
        QVERIFY(h.messages[0].text.startsWith(QStringLiteral("恭喜您打完本段文字!!\r\n您的速度是每秒")));
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

    // What the learner sees after real keystrokes, as the window painted it:
    // the characters in black, the symbols on light cyan, each typed symbol
    // echoed under its own on yellow, the current one on light red, the
    // echoes still to come not shown.
    void typedSymbolsAppearOnScreen()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1); // 忙ㄇㄤˊ 莽ㄇㄤˇ …
        h.form.cmdStart->click();
        h.type(keysForText(h.form).left(4));
        h.key('q'); // ㄆ where ㄤ is expected
        TextSheet *sheet = h.form.picWindow->picWd;
        const QImage img = onScreen(sheet);
        auto ink = [&](QRect r) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += qGray(img.pixel(x, y)) < 128;
            return n;
        };
        auto back = [&](QRect r) { return img.pixel(r.right() - 1, r.bottom() - 1) | 0xFF000000; };
        QVERIFY(ink(sheet->wordRect(1)) > 20);
        QCOMPARE(back(sheet->wordRect(1)), rgbOf(Palette::White));
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(back(sheet->titleRect(k)), rgbOf(Palette::LightCyan));
            QVERIFY(ink(sheet->titleRect(k)) > 2);
            const QRect echo = sheet->echoRect(k);
            QCOMPARE(back(echo), rgbOf(k <= 4 ? Palette::Yellow : k == 5 ? Palette::LightRed : Palette::White));
            QVERIFY2((ink(echo) > 2) == (k <= 5), qPrintable(QStringLiteral("echo %1").arg(k)));
        }
    }

    // Scrolled to the middle of a 5000-token text, the frame shows the cells
    // of that part of the text.
    void scrolledSheetShowsItsCells()
    {
        FormHarness h;
        QVERIFY(h.show());
        TokenTable t = longText();
        QVERIFY(h.form.LoadPracticeText(t));
        h.form.picWindow->VScroll1->setValue(h.form.picWindow->VScroll1->maximum() / 2 + 5);
        const int y = h.form.picWindow->sheetPos().y();
        QCOMPARE(y, -h.form.picWindow->VScroll1->value());
        const QImage img = onScreen(h.form.picWindow->picWd);
        int seen = 0;
        for (const PositionCell &p : h.form.textLayout.positions) {
            if (p.top + y < 0 || p.top + y + kCellHeight > 126)
                continue;
            ++seen;
            QCOMPARE(img.pixel(p.left + 15, p.top + 23) | 0xFF000000, rgbOf(Palette::LightCyan));
        }
        QVERIFY(seen >= 40); // a line of symbols at least
    }

    // Once the learner types, the lines in view and the next are kept as
    // pictures. What the window shows stays what painting the cells shows:
    // echoes typed fast, before the kept lines catch up, echoes typed after
    // a pause, a scroll that brings a kept line into view, and a new run over
    // the same text, which clears every echo. The scroll shows the bar's look
    // drawn ahead for where it goes.
    void keptLinesShowTheCells()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        f.mnuBase_Click(18);
        TextSheet *sheet = f.picWindow->picWd;
        // The same cells painted by a sheet that keeps nothing.
        auto agrees = [&] {
            TextSheet plain;
            plain.setTextLayout(&f.textLayout);
            plain.resize(sheet->size());
            const QRect view(QPoint(0, -sheet->y()), sheet->parentWidget()->size());
            const QImage drawn = plain.grab(view).toImage().convertToFormat(QImage::Format_RGB32);
            QImage shown = onScreen(sheet).copy(view).convertToFormat(QImage::Format_RGB32);
            shown.setDevicePixelRatio(drawn.devicePixelRatio());
            return shown == drawn;
        };
        f.cmdStart->click();
        const QString keys = keysForText(f);
        int perLine = 0;
        while (f.textLayout.positions[perLine].top == f.textLayout.positions[0].top)
            ++perLine;
        h.type(keys.left(3));
        h.key('q'); // a wrong key: its echo on light red
        QTRY_COMPARE(sheet->keptLines(), 3);
        QTRY_VERIFY(!sheet->preparing());
        h.type(keys.mid(3, perLine - 4));
        QVERIFY(agrees());
        QTest::qWait(100);
        const int top = sheet->y();
        const int looks = f.picWindow->VScroll1->keptLooks();
        h.type(keys.mid(perLine - 1, 2)); // onto the next line, which scrolls
        QVERIFY(sheet->y() < top);
        QVERIFY(agrees());
        // The scroll bar's look there was drawn ahead too.
        QCOMPARE(f.picWindow->VScroll1->keptLooks(), looks);
        QTRY_VERIFY(!sheet->preparing());
        QVERIFY(agrees());
        f.RunPractice(); // again, over the same text
        QVERIFY(agrees());
    }

    // The sheet shows nothing of the keyboard focus: another window raised
    // over the tutor and the tutor raised again repaint none of it.
    void focusChangesRepaintNothing()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(18);
        h.form.cmdStart->click();
        TextSheet *sheet = h.form.picWindow->picWd;
        QVERIFY(sheet->hasFocus());
        struct PaintCount : QObject {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } count;
        QTest::qWait(50);
        sheet->installEventFilter(&count);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        h.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.form));
        QTest::qWait(50);
        QVERIFY(sheet->hasFocus());
        QCOMPARE(count.paints, 0);
    }

    // The font files' pages are let go once the window is quiet, never while
    // the learner types: the release waits for a second without a keystroke.
    void fontPagesAreReleasedInAPause()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(18);
        h.form.cmdStart->click();
        const QString keys = keysForText(h.form);
        QVERIFY(onScreen(h.form.picWindow->picWd).width() > 0); // its glyphs read
        QVERIFY(FontPages::release() > 0); // the Kai font's file, at least
        FontPages::releaseSoon();
        for (int i = 0; i < 8; ++i) {
            h.type(keys.mid(i, 1));
            QTest::qWait(200);
            QVERIFY(FontPages::releasePending());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!FontPages::releasePending(), 3000);
    }

    // The lines below the view are prepared while the window is quiet, a
    // bounded number of them: in a long text the work ends, and starts
    // again, bounded, after a scroll.
    void preparingLinesAheadEnds()
    {
        FormHarness h;
        QVERIFY(h.show());
        TokenTable t = longText();
        QVERIFY(h.form.LoadPracticeText(t));
        TextSheet *sheet = h.form.picWindow->picWd;
        QTRY_VERIFY(!sheet->preparing());
        h.form.picWindow->VScroll1->setValue(h.form.picWindow->VScroll1->maximum() / 2);
        QTRY_VERIFY(sheet->preparing());
        QTRY_VERIFY(!sheet->preparing());
        QTest::qWait(100);
        QVERIFY(!sheet->preparing());
    }

    // The text window's scroll bar shows what QScrollBar draws, from the
    // looks it keeps: the next line's look is drawn while the window is
    // quiet, and shown when the bar moves there.
    void scrollBarShowsWhatQScrollBarDraws()
    {
        QWidget window;
        TextScrollBar kept(&window);
        QScrollBar plain(Qt::Vertical, &window);
        for (QScrollBar *bar : {static_cast<QScrollBar *>(&kept), &plain}) {
            // Away from the pointer, which would light the part under it.
            bar->setGeometry(bar == &plain ? 130 : 100, 100, 21, 125);
            bar->setRange(0, 300);
            bar->setPageStep(130);
            bar->setSingleStep(28);
            bar->setFocusPolicy(Qt::NoFocus);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(kept.grab().toImage(), plain.grab().toImage());
        for (int value : {kLineHeight, 2 * kLineHeight, 3 * kLineHeight, 300}) {
            QTest::qWait(100); // quiet: the next line's look is drawn
            const int looks = kept.keptLooks();
            kept.setValue(value);
            plain.setValue(value);
            QCOMPARE(kept.grab().toImage(), plain.grab().toImage());
            QCOMPARE(kept.keptLooks(), looks); // the look shown was drawn ahead
        }
        kept.setEnabled(false);
        plain.setEnabled(false);
        QCOMPARE(kept.grab().toImage(), plain.grab().toImage());
    }

    void zhuyinFitsItsCell()
    {
        // Every symbol and tone mark stays inside its 17-pixel cell.
        const QFontMetrics fm(Fonts::kai(13));
        for (int i = 1; i <= KeyCatalogue::kZhuyinEntries; ++i) {
            const QRect ink = fm.boundingRect(QString(KeyCatalogue::zhuyinSymbols[i]));
            QVERIFY2(ink.left() >= 0 && ink.right() < 17,
                     qPrintable(QString(KeyCatalogue::zhuyinSymbols[i])));
        }
    }
};

QTEST_MAIN(TestTextWindow)
#include "tst_textwindow.moc"
