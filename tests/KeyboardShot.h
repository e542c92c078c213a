#pragma once
// Reading the pixels of a view in its own coordinates, whatever the screen's
// pixel density: rendered afresh, or as the screen shows it.

#include <QCoreApplication>
#include <QImage>
#include <QScreen>
#include <QtMath>
#include <QWidget>

#include "practice/Palette.h"

inline QRgb rgbOf(VbColor c)
{
    return qRgb(Palette::red(c), Palette::green(c), Palette::blue(c));
}

// What the screen shows of a widget: its window's backing store as the
// widget's own repaints left it once the pending updates are painted. Unlike
// QWidget::grab(), nothing is rendered afresh for the picture. Parts of the
// widget that its parents clip show what covers them.
inline QImage onScreen(QWidget *w)
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    const qreal dpr = w->devicePixelRatioF();
    const QImage all = w->screen()->grabWindow(w->window()->winId()).toImage();
    QImage mine = all.copy(QRect(w->mapTo(w->window(), QPoint()) * dpr, w->size() * dpr));
    mine.setDevicePixelRatio(dpr);
    return mine;
}

struct KeyboardShot {
    QImage image;
    qreal dpr = 1;

    // shown: as the screen shows the widget (it must be in a shown window).
    explicit KeyboardShot(QWidget *w, bool shown = false)
        : image((shown ? onScreen(w) : w->grab().toImage()).convertToFormat(QImage::Format_RGB32)),
          dpr(image.devicePixelRatio())
    {
    }

    // The colour of the picture's pixel (x, y): its top left device pixel.
    QRgb at(int x, int y) const
    {
        return image.pixel(qFloor(x * dpr), qFloor(y * dpr)) | 0xFF000000;
    }
    bool is(int x, int y, VbColor c) const { return at(x, y) == rgbOf(c); }

    // Share of the pixels of a square around (x, y) that have colour c.
    double shareOf(int x, int y, int half, VbColor c) const
    {
        int hits = 0, all = 0;
        for (int dy = -half; dy <= half; ++dy) {
            for (int dx = -half; dx <= half; ++dx) {
                hits += is(x + dx, y + dy, c) ? 1 : 0;
                ++all;
            }
        }
        return double(hits) / all;
    }

    // True when every device pixel of the picture's pixel (x, y) has one colour.
    bool crisp(int x, int y) const
    {
        const int d = qRound(dpr);
        const QRgb first = image.pixel(x * d, y * d);
        for (int j = 0; j < d; ++j) {
            for (int i = 0; i < d; ++i) {
                if (image.pixel(x * d + i, y * d + j) != first)
                    return false;
            }
        }
        return true;
    }

    bool operator==(const KeyboardShot &o) const { return image == o.image; }
};

inline QString describe(QRgb c)
{
    return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

// Hand pixels are skin or nail coloured: warm, light, red above blue.
inline bool looksLikeSkin(QRgb c)
{
    return qRed(c) >= 190 && qRed(c) >= qGreen(c) && qGreen(c) >= qBlue(c) && qRed(c) - qBlue(c) >= 25;
}
