#include "keyboard/KeyboardView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

#include "app/Fonts.h"
#include "app/VbColor.h"

KeyboardView::KeyboardView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picKey"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kWidth, kHeight);
    for (const KeyInfo &k : KeyCatalogue::keys()) {
        m_keys[k.key].rect = k.rect;
        m_keys[k.key].fill = KeyCatalogue::zoneColor(k.zone);
    }
}

KeyRect KeyboardView::keyTopRect(KeyNumber k) const
{
    return (k > 0 && k <= kMaxKeyNumber) ? m_keys[k].rect : KeyRect{};
}

void KeyboardView::moveKeyTop(KeyNumber k, int left, int top)
{
    if (!KeyCatalogue::find(k))
        return;
    updateKey(k);
    m_keys[k].rect.left = static_cast<qint16>(left);
    m_keys[k].rect.top = static_cast<qint16>(top);
    updateKey(k);
}

VbColor KeyboardView::borderColor(KeyNumber k) const
{
    return (k > 0 && k <= kMaxKeyNumber) ? m_keys[k].border : Palette::Black;
}

int KeyboardView::borderWidth(KeyNumber k) const
{
    return (k > 0 && k <= kMaxKeyNumber) ? m_keys[k].borderWidth : 0;
}

void KeyboardView::setBorder(KeyNumber k, VbColor color, int width)
{
    if (!KeyCatalogue::find(k))
        return;
    m_keys[k].border = color;
    m_keys[k].borderWidth = width;
    updateKey(k);
}

VbColor KeyboardView::fillColor(KeyNumber k) const
{
    return (k > 0 && k <= kMaxKeyNumber) ? m_keys[k].fill : Palette::Black;
}

void KeyboardView::setFill(KeyNumber k, VbColor color)
{
    if (!KeyCatalogue::find(k))
        return;
    m_keys[k].fill = color;
    updateKey(k);
}

void KeyboardView::updateKey(KeyNumber k)
{
    const KeyRect r = m_keys[k].rect;
    update(QRect(r.left - 4, r.top - 4, r.width + 12, r.height + 12));
}

void KeyboardView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void KeyboardView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), toQColor(Palette::WindowGrey));
    p.setRenderHint(QPainter::Antialiasing);
    for (const KeyInfo &k : KeyCatalogue::keys()) {
        const KeyTop &top = m_keys[k.key];
        const QRectF r(top.rect.left + 0.5, top.rect.top + 0.5, top.rect.width - 1, top.rect.height - 1);
        p.setPen(Qt::black);
        p.setBrush(toQColor(Palette::KeyShadow));
        p.drawRoundedRect(QRectF(k.rect.left + 0.5, k.rect.top + 0.5, k.rect.width - 1, k.rect.height - 1)
                              .translated(4, 4), 5, 5);
        p.setPen(QPen(toQColor(top.border), top.borderWidth));
        p.setBrush(toQColor(top.fill));
        p.drawRoundedRect(r, 5, 5);
        p.setPen(Qt::black);
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
