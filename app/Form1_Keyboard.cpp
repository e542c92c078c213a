// The main window's keyboard handlers: layouts, the Shift hint, the hands
// demonstration and the show/hide-keyboard button.

#include "app/Form1.h"

#include <QTimer>

#include "keyboard/KeyboardView.h"

void Form1::optKey_Click(int) {}

void Form1::ShowShiftHint() {}

void Form1::StopHandDemo()
{
    tmrHand->stop();
}

void Form1::mnuPos_Click(int) {}

void Form1::tmrHand_Timer() {}

void Form1::picKey_Click()
{
    if (tmrHand->isActive())
        StopHandDemo();
}

void Form1::cmdSandH_Click() {}
