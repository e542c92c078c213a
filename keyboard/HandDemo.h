#pragma once
// The hands demonstration's arithmetic: two hand pictures slide up from below
// the keyboard picture, 10 pixels a frame, until the fingers rest on the home
// row; the home-key captions appear with the last frame and go once more than
// three seconds have passed since the start. The caller passes the time in
// (milliseconds of a monotonic clock), so tests can use a fake one.

#include <QtGlobal>

class HandDemo {
public:
    static constexpr qint16 kStep = 10;
    static constexpr qint16 kLeftX = 64;
    static constexpr qint16 kRightX = 372;
    static constexpr qint16 kStartY = 400;  // below the visible picture (281 high)
    static constexpr qint16 kArrivedY = 110; // a next place at or above this is not drawn
    static constexpr qint16 kLastFrameY = 125;
    static constexpr qint64 kCaptionMs = 3000;
    // One frame per tick of about a display refresh: the 28 frames take about
    // half a second, so the learner sees the hands slide.
    static constexpr int kFrameMs = 16;

    // What one tick asks of the picture.
    struct Frame {
        bool hideCaptions = false; // more than three seconds since the start
        bool draw = false;         // move both hands from fromY up to toY
        bool showCaptions = false; // the last frame: the hands have arrived
        qint16 fromY = 0;
        qint16 toY = 0;
    };

    // Starts from below the picture; width and height are the hand pictures' size.
    void start(qint64 nowMs, qint16 width, qint16 height);

    // One animation step.
    Frame tick(qint64 nowMs);

    // Places in pixels of the keyboard picture.
    qint16 handStep = kStep;
    qint16 leftHandX = kLeftX;
    qint16 rightHandX = kRightX;
    qint16 handY = kStartY;
    qint16 handWidth = 0;
    qint16 handHeight = 0;
    qint64 handDemoStart = 0;
};
