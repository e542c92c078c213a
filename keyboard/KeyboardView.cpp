#include "keyboard/KeyboardView.h"

#include <QPainter>
#include <QPaintEvent>

#include "app/Fonts.h"
#include "app/VbColor.h"
#include "practice/KeyCatalogue.h"

KeyboardView::KeyboardView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picKey"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kWidth, kHeight);
}

void KeyboardView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), toQColor(Palette::WindowGrey));
    p.setRenderHint(QPainter::Antialiasing);
    for (const KeyInfo &k : KeyCatalogue::keys()) {
        const QRectF r(k.rect.left + 0.5, k.rect.top + 0.5, k.rect.width - 1, k.rect.height - 1);
        p.setPen(Qt::black);
        p.setBrush(toQColor(Palette::KeyShadow));
        p.drawRoundedRect(r.translated(4, 4), 5, 5);
        p.setBrush(toQColor(KeyCatalogue::zoneColor(k.zone)));
        p.drawRoundedRect(r, 5, 5);
        p.setFont(Fonts::ming(9.75, true));
        p.drawText(r.adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromUtf16(k.upper) + QLatin1Char('\n') + QString::fromUtf16(k.lower));
        if (k.zhuyinEntry > 0) {
            p.setFont(Fonts::ming(14.25));
            p.drawText(QRectF(r.left() + 16, r.top() + 8, 21, 19), Qt::AlignCenter,
                       QString(KeyCatalogue::zhuyinSymbols[k.zhuyinEntry]));
        }
    }
}
