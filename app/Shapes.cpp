#include "app/Shapes.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QPaintEvent>

#include <algorithm>
#include <cmath>

#include "view/VbColor.h"

ShapeWidget::ShapeWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void ShapeWidget::setBackColor(VbColor c)
{
    if (c == m_back)
        return;
    m_back = c;
    update();
}

void ShapeWidget::setBorderWidth(int w)
{
    m_borderWidth = w;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A circle as wide as the shape's smaller side, in its middle.
    const qreal side = std::min(width(), height());
    QRectF circle(0, 0, side, side);
    circle.moveCenter(QRectF(rect()).center());
    const qreal half = m_borderWidth / 2.0;
    p.setPen(QPen(toQColor(m_border), m_borderWidth));
    p.setBrush(toQColor(m_back));
    p.drawEllipse(circle.adjusted(half, half, -half, -half));
}

namespace {

// Assistive technology reads a meter box as a progress bar whose value is the
// bar's width in twips, full at 4000.
class AccessibleMeterBox : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleMeterBox(QWidget *w) : QAccessibleWidget(w, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QVariant currentValue() const override { return box()->barWidth(); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 4000; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    MeterBox *box() const { return static_cast<MeterBox *>(widget()); }
};

QAccessibleInterface *meterBoxFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("MeterBox") && object && object->isWidgetType())
        return new AccessibleMeterBox(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

MeterBox::MeterBox(VbColor barColor, QWidget *parent) : QWidget(parent), m_color(barColor)
{
    static const bool installed = [] {
        QAccessible::installFactory(meterBoxFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MeterBox::setBar(int leftTwips, int topTwips, int widthTwips, int heightTwips)
{
    m_left = leftTwips;
    m_top = topTwips;
    m_width = widthTwips;
    m_height = heightTwips;
    update();
}

void MeterBox::setBarWidth(int widthTwips)
{
    if (widthTwips == m_width)
        return;
    // Only the columns between the bar's old and new right ends change: a
    // keystroke moves the progress bar by about a pixel.
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    auto rightEnd = [&](int width) {
        return inner.left() + (m_left + std::max(0, width)) / double(kTwipsPerPixel);
    };
    const double a = rightEnd(m_width);
    const double b = rightEnd(widthTwips);
    m_width = widthTwips;
    const QRect strip = QRectF(std::min(a, b), inner.top(), std::abs(b - a), inner.height()).toAlignedRect();
    update(strip.adjusted(-1, 0, 1, 0) & inner);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, m_width);
        QAccessible::updateAccessibility(&event);
    }
}

void MeterBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    // A sunken 2-pixel border around a white inner area. A moving bar's end
    // repaints a strip of the inner area; at one device pixel to the pixel
    // the border's lines cannot reach into it, and are left out.
    const QRect outer = rect();
    if (devicePixelRatioF() == 1 && outer.adjusted(2, 2, -2, -2).contains(event->rect())) {
        p.fillRect(event->rect(), Qt::white);
        paintBar(p);
        return;
    }
    p.fillRect(outer, Qt::white);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(QColor(64, 64, 64));
    p.drawLine(outer.topLeft() + QPoint(1, 1), outer.topRight() + QPoint(-1, 1));
    p.drawLine(outer.topLeft() + QPoint(1, 1), outer.bottomLeft() + QPoint(1, -1));
    p.setPen(QColor(255, 255, 255));
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());
    p.setPen(QColor(212, 208, 200));
    p.drawLine(outer.bottomLeft() + QPoint(1, -1), outer.bottomRight() + QPoint(-1, -1));
    p.drawLine(outer.topRight() + QPoint(-1, 1), outer.bottomRight() + QPoint(-1, -1));
    paintBar(p);
}

void MeterBox::paintBar(QPainter &p)
{
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    if (m_width <= 0 || m_height <= 0)
        return;
    p.setClipRect(inner);
    const QRectF bar(inner.left() + m_left / double(kTwipsPerPixel),
                     inner.top() + m_top / double(kTwipsPerPixel),
                     m_width / double(kTwipsPerPixel), m_height / double(kTwipsPerPixel));
    p.fillRect(bar, toQColor(m_color));
}
