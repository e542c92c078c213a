// The main window's keyboard handlers: layouts, the Shift hint, the hands
// demonstration and the show/hide-keyboard button.

#include "app/Form1.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"
#include "run/KeyMap.h"

void Form1::wireKeyboard()
{
    // One frame of the hands per display refresh: the 28 frames then take
    // about half a second. A 1 ms timer would play them in a blink.
    tmrHand->setInterval(HandDemo::kFrameMs);
    tmrHand->setTimerType(Qt::PreciseTimer);
    // The hands read the window's monotonic clock unless a test gives them their own.
    handClock = [this] { return monotonicMs(); };

    for (int i = 0; i < KeyboardArt::kLayoutCount; ++i)
        connect(optKey[i], &QRadioButton::clicked, this, [this, i] { optKey_Click(i); });
    connect(cmdSandH, &QPushButton::clicked, this, &Form1::cmdSandH_Click);
    connect(mnuPos[1], &QAction::triggered, this, [this] { mnuPos_Click(1); });
    connect(mnuPos[2], &QAction::triggered, this, [this] { mnuPos_Click(2); });
    connect(picKey, &KeyboardView::clicked, this, &Form1::picKey_Click);
    connect(tmrHand, &QTimer::timeout, this, &Form1::tmrHand_Timer);
}

void Form1::optKey_Click(int index)
{
    if (index < 0 || index >= KeyboardArt::kLayoutCount)
        return;
    optKey[index]->setChecked(true);
    picKey->applyLayout(index);
    // The moved keys sink from, and return to, their new places.
    for (KeyNumber k : KeyboardArt::kMovableKeys) {
        const KeyRect r = picKey->keyTopRect(k);
        rest.set(k, r.left, r.top);
    }
    picKey->matchBigEnterToEnterKey();
}

void Form1::ShowShiftHint()
{
    if (!Timer1->isActive())
        return;
    const ShiftSide side = ShiftSideOf(expectedKey, IsCapsLockOn());
    picKey->setFill(2, side == ShiftSide::Left ? Palette::Red : Palette::EnterShift);
    picKey->setFill(3, side == ShiftSide::Right ? Palette::Red : Palette::EnterShift);
}

void Form1::StopHandDemo()
{
    tmrHand->stop();
    picKey->clearHands();
    picKey->setHomeCaptionsVisible(false);
}

void Form1::mnuPos_Click(int index)
{
    if (index != 1)
        return;
    if (tmrHand->isActive()) {
        StopHandDemo();
        return;
    }
    const QSize hand = picKey->handSize();
    handDemo.start(handClock(), static_cast<qint16>(hand.width()), static_cast<qint16>(hand.height()));
    tmrHand->start();
}

void Form1::tmrHand_Timer()
{
    const HandDemo::Frame f = handDemo.tick(handClock());
    if (f.hideCaptions)
        picKey->setHomeCaptionsVisible(false);
    if (!f.draw)
        return;
    if (f.showCaptions)
        picKey->setHomeCaptionsVisible(true);
    picKey->moveHands(handDemo.leftHandX, handDemo.rightHandX, f.fromY, f.toY);
}

void Form1::picKey_Click()
{
    if (tmrHand->isActive())
        StopHandDemo();
}

void Form1::cmdSandH_Click()
{
    if (!picKey->isHidden()) {
        if (tmrHand->isActive())
            StopHandDemo();
        picKey->hide();
        cmdSandH->setText(QStringLiteral("顯示鍵盤"));
        picWindow->resize(picWindow->width(), TextWindow::kTallHeight);
    } else {
        picKey->show();
        cmdSandH->setText(QStringLiteral("隱藏鍵盤"));
        picWindow->resize(picWindow->width(), TextWindow::kHeight);
    }
    SetScrollRange(false);
    if (curPos > 0)
        picWindow->VScroll1->setFocus();
    ScrollToPos(curPos);
}
