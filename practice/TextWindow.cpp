#include "practice/TextWindow.h"

#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

TextSheet::TextSheet(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picWd"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TextSheet::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
}

TextWindow::TextWindow(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("picWindow"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    resize(kWidth, kHeight);

    picWd = new TextSheet(this);
    picWd->setGeometry(2, 2, 753, 105);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setGeometry(2 + 752, 2, 21, 125);
    VScroll1->setRange(0, 0);
}
