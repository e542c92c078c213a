// The main window's text-window procedures: scroll range and scrolling.

#include "app/Form1.h"

#include <QScrollBar>

#include "practice/TextWindow.h"

void Form1::SetScrollRange(bool) {}

void Form1::ScrollToPos(qint16) {}
