// One judged keystroke through the main window, as the platform delivers it:
// a key press and release sent to the window (the path real keys take, key
// preview included), then the posted repaint of what changed. A drill lesson
// is loaded and a run started; after a few keystrokes to warm the caches, N
// right keystrokes are fed and measured.
//
//   bench_keystroke [tutor|floor|again|prepare|paced|pauses] [N]
//
// As a learner reads the text before pressing Start, the window settles
// first: the looks its keys will take and the glyphs of the line below the
// view are prepared while it is idle. "prepare" counts that work, done once
// per text, instead of the keystrokes.
// "floor" sends the same keys to an empty main window of the same size: what
// Qt's own key delivery costs. "again" types the whole lesson once first and
// then measures the same keystrokes of a second run: the keyboard has then
// seen each key in each of its looks, and the text window every glyph.
// "paced" types at a learner's pace: after each keystroke the window is left
// quiet until the work it does in pauses (the next line kept as a picture, the
// scroll bar's next look) is done, and only the keystrokes are counted;
// "pauses" counts that work instead of the keystrokes.
// Under callgrind (--collect-atstart=no) only the N keystrokes are counted.
// Natively it prints the paint events and the painted area per keystroke and
// the time per keystroke; it asserts nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT // without valgrind's header: native runs only
#endif

#include "app/Form1.h"
#include "keyboard/KeyboardView.h"
#include "practice/KeyCatalogue.h"
#include "practice/TextWindow.h"

namespace {

constexpr int kWarmUp = 20;
constexpr int kBaseLesson = 18; // the last drill lesson: 351 positions

// Counts the paint events and the area they paint, per widget.
class PaintCounter : public QObject {
public:
    int events = 0;
    qint64 pixels = 0;
    std::map<QString, std::pair<int, qint64>> byWidget; // events, pixels

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            ++events;
            qint64 area = 0;
            for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
                area += qint64(r.width()) * r.height();
            pixels += area;
            auto &w = byWidget[watched->objectName().isEmpty()
                                   ? QString::fromLatin1(watched->metaObject()->className())
                                   : watched->objectName()];
            ++w.first;
            w.second += area;
        }
        return false;
    }
    void reset()
    {
        events = 0;
        pixels = 0;
        byWidget.clear();
    }
};

// The key that types a position's symbol.
char keyFor(const QString &symbol)
{
    if (symbol.size() == 1 && symbol[0].unicode() < 128)
        return char(symbol[0].unicode());
    const KeyNumber k = KeyOfSymbol(symbol);
    return (k >= 'A' && k <= 'Z') ? char(k + 32) : char(k);
}

void keystroke(QWindow *window, char key)
{
    QTest::keyClick(window, key);
    // The repaint is a posted event; timers are left alone, so the clock's
    // tick never falls inside the measurement.
    QCoreApplication::sendPostedEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool floor = argc > 1 && std::strcmp(argv[1], "floor") == 0;
    const bool again = argc > 1 && std::strcmp(argv[1], "again") == 0;
    const bool prepare = argc > 1 && std::strcmp(argv[1], "prepare") == 0;
    const bool pauses = argc > 1 && std::strcmp(argv[1], "pauses") == 0;
    const bool paced = pauses || (argc > 1 && std::strcmp(argv[1], "paced") == 0);
    const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;

    Form1 form;
    form.showMessage = [](QMessageBox::Icon, const QString &) {};
    form.monotonicMs = [] { return qint64(0); };
    form.mnuBase_Click(kBaseLesson);
    std::vector<char> keys;
    for (const PositionCell &c : form.textLayout.positions)
        keys.push_back(keyFor(c.symbol));
    if (static_cast<int>(keys.size()) < kWarmUp + n) {
        std::fprintf(stderr, "the lesson has %zu positions, fewer than %d\n", keys.size(), kWarmUp + n);
        return 1;
    }

    QMainWindow bare;
    QWidget *shown = &form;
    if (floor) {
        bare.setFixedSize(form.size());
        shown = &bare;
    }
    shown->show();
    if (!QTest::qWaitForWindowExposed(shown))
        return 1;
    QWindow *window = shown->windowHandle();
    if (!floor) {
        // The learner reads the text.
        if (prepare)
            CALLGRIND_TOGGLE_COLLECT;
        if (!QTest::qWaitFor([&] { return !form.picKey->looksWaiting() && !form.picWindow->picWd->preparing(); },
                             10000)) {
            std::fprintf(stderr, "the keyboard's looks or the text's lines were still waiting after 10 s\n");
            return 1;
        }
        QCoreApplication::sendPostedEvents();
        if (prepare) {
            CALLGRIND_TOGGLE_COLLECT;
            return 0;
        }
        form.cmdStart_Click();
        // The clock's tick is not part of a keystroke; in a drill lesson
        // nothing else follows the timer.
        form.Timer1->stop();
    }
    QCoreApplication::sendPostedEvents();

    if (again) {
        // The whole lesson, its report, and Start once more.
        for (const char k : keys)
            keystroke(window, k);
        QCoreApplication::sendPostedEvents();
        form.cmdStart_Click();
        form.Timer1->stop();
        QCoreApplication::sendPostedEvents();
    }
    // A pause after a keystroke: longer than the window waits for quiet, and
    // until what it prepares in quiet moments is done.
    auto pause = [&] {
        QTest::qWait(40);
        if (!QTest::qWaitFor([&] { return !form.picKey->looksWaiting() && !form.picWindow->picWd->preparing(); },
                             10000))
            std::fprintf(stderr, "the window was still preparing after a pause of 10 s\n");
        QCoreApplication::sendPostedEvents();
    };
    for (int i = 0; i < kWarmUp; ++i) {
        keystroke(window, keys[i]);
        if (paced)
            pause();
    }

    PaintCounter counter;
    app.installEventFilter(&counter);
    QElapsedTimer timer;
    timer.start();
    qint64 pausedNs = 0;
    if (!pauses)
        CALLGRIND_TOGGLE_COLLECT;
    for (int i = kWarmUp; i < kWarmUp + n; ++i) {
        keystroke(window, keys[i]);
        if (paced) {
            CALLGRIND_TOGGLE_COLLECT;
            const qint64 before = timer.nsecsElapsed();
            pause();
            pausedNs += timer.nsecsElapsed() - before;
            CALLGRIND_TOGGLE_COLLECT;
        }
    }
    if (!pauses)
        CALLGRIND_TOGGLE_COLLECT;
    const double us = (timer.nsecsElapsed() - pausedNs) / 1000.0 / n;
    app.removeEventFilter(&counter);

    const double windowPixels = double(shown->width()) * shown->height();
    std::printf("%s: %d keystrokes, %.2f paint events and %.0f painted pixels per keystroke "
                "(%.2f %% of the window), %.1f us per keystroke\n",
                floor ? "floor" : again ? "tutor, lesson typed before" : paced ? "tutor, with pauses" : "tutor", n, double(counter.events) / n, double(counter.pixels) / n,
                100.0 * counter.pixels / n / windowPixels, us);
    if (!floor) {
        std::printf("  per keystroke, paint events and pixels of each widget painted:\n");
        for (const auto &[name, painted] : counter.byWidget)
            std::printf("    %-16s %5.2f %8.0f\n", qPrintable(name), double(painted.first) / n,
                        double(painted.second) / n);
        std::printf("  right keystrokes counted: %d of %d\n", form.run.rightCount, kWarmUp + n);
    }
    return 0;
}
