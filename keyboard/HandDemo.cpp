#include "keyboard/HandDemo.h"

void HandDemo::start(qint64 nowMs, qint16 width, qint16 height)
{
    handDemoStart = nowMs;
    handStep = kStep;
    handWidth = width;
    handHeight = height;
    leftHandX = kLeftX;
    handY = kStartY;
    rightHandX = kRightX;
}

HandDemo::Frame HandDemo::tick(qint64 nowMs)
{
    Frame f;
    f.hideCaptions = nowMs - handDemoStart > kCaptionMs;
    const auto next = static_cast<qint16>(handY - handStep);
    if (next <= kArrivedY)
        return f; // arrived: only the captions' time is watched
    f.draw = true;
    f.showCaptions = next < kLastFrameY;
    f.fromY = handY;
    f.toY = next;
    handY = next;
    return f;
}
