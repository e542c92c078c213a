// Prints what drawing the keyboard costs: the whole picture, one keystroke's
// key-top changes, and one frame of the hands, each with the paint that shows it. Run it on the offscreen
// platform or under X; it asserts nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <cstdio>

#include "keyboard/KeyboardView.h"

namespace {

template <typename Step>
void measure(const char *what, int rounds, Step &&step)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i)
        step(i);
    const double us = t.nsecsElapsed() / 1000.0 / rounds;
    std::printf("%-52s %9.1f us\n", what, us);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QImage target(KeyboardView::kWidth, KeyboardView::kHeight, QImage::Format_RGB32);

    measure("whole picture: new view, rendered and painted", 50, [&](int) {
        KeyboardView v;
        v.render(&target);
    });

    KeyboardView v;
    v.render(&target);
    // Changes are rendered when the view paints: each step ends with a paint
    // of the changed keys.
    const QRegion keys(QRect(80, 92, 350, 50));
    measure("keystroke: next-key border, pressed, released", 500, [&](int i) {
        const KeyNumber k = (i % 2) ? 65 : 74;
        v.setBorder(k, Palette::Red, 3);
        v.moveKeyTop(k, (k == 65 ? 85 : 381), 97);
        v.render(&target, QPoint(), keys);
        v.moveKeyTop(k, (k == 65 ? 84 : 380), 96);
        v.setBorder(k, Palette::Black, 1);
        v.render(&target, QPoint(), keys);
    });
    const QRegion shifts(QRect(0, 180, 745, 50));
    measure("Shift hint on and off", 500, [&](int i) {
        v.setFill(i % 2 ? 2 : 3, Palette::Red);
        v.render(&target, QPoint(), shifts);
        v.setFill(i % 2 ? 2 : 3, Palette::EnterShift);
        v.render(&target, QPoint(), shifts);
    });
    measure("layout change", 100, [&](int i) {
        v.applyLayout(i % 3);
        v.render(&target);
    });

    measure("hands frame: restore, mask and draw both hands", 500, [&](int i) {
        const int y = 280 - (i % 16) * 10;
        v.moveHands(64, 372, y + 10, y);
        v.render(&target);
    });
    v.clearHands();
    measure("repaint of the whole widget from the rendered picture", 100, [&](int) { v.render(&target); });
    return 0;
}
