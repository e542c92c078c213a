#include "record/HeatMapView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPaintEvent>
#include <QPointer>
#include <QToolTip>
#include <QWindow>
#include <algorithm>

#include "view/Fonts.h"
#include "view/VbColor.h"

using namespace KeyboardArt;

namespace {

// The tint rises from pale green through yellow and orange to red; the
// stops are error rates.
struct Stop {
    double rate;
    VbColor color;
};
constexpr Stop kStops[] = {
    {0.00, 0x00C8EBC8}, // pale green
    {0.05, 0x0096F0FF}, // pale yellow
    {0.10, 0x006EC8FF}, // orange
    {0.20, 0x005078F5}, // red-orange
    {HeatMapView::kScaleTop, 0x003232DC}, // red
};

QColor mix(VbColor a, VbColor b, double t)
{
    const QColor x = toQColor(a), y = toQColor(b);
    return QColor::fromRgbF(x.redF() + (y.redF() - x.redF()) * t,
                            x.greenF() + (y.greenF() - x.greenF()) * t,
                            x.blueF() + (y.blueF() - x.blueF()) * t);
}

VbColor toVbColor(const QColor &c)
{
    return VbColor(c.red()) | (VbColor(c.green()) << 8) | (VbColor(c.blue()) << 16);
}

// The strip under the keys, where the drawn keyboard has its finger legend,
// holds the colour scale instead.
constexpr int kStripTop = 244;
constexpr QRect kScaleBar(150, kStripTop, 360, 12);
constexpr QRect kNoFiguresSwatch(560, kStripTop, 13, 13);

constexpr Element kFingerLegend[] = {
    Element::Shape2_0, Element::Shape2_1, Element::Shape2_2, Element::Shape2_3, Element::Shape2_4,
    Element::Shape2_5, Element::Shape2_6, Element::Shape2_7, Element::Shape2_8, Element::Label2_8,
    Element::Label2_9, Element::Label2_10, Element::Label2_11, Element::Label2_12,
    Element::Label2_13, Element::Label2_14, Element::Label2_15, Element::Label2_16,
};

// --- Accessibility: the heat map is a list whose items are the keys ----------

class KeyItemAccessible : public QAccessibleInterface {
public:
    KeyItemAccessible(HeatMapView *view, int index) : m_view(view), m_index(index) {}

    bool isValid() const override { return m_view && m_index < int(m_view->keys().size()); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override {}

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const KeyNumber k = key();
        switch (t) {
        case QAccessible::Name: return KeyLabel(k);
        case QAccessible::Description: return m_view->figuresText(k);
        default: return {};
        }
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const KeyRect r = m_view->keyTopRect(key());
        return QRect(m_view->mapToGlobal(QPoint(r.left, r.top)), QSize(r.width, r.height));
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        const bool current = m_view->currentKey() == key();
        s.selected = current;
        s.focused = current && m_view->hasFocus();
        s.invisible = !m_view->isVisible();
        return s;
    }

private:
    KeyNumber key() const { return m_view->keys()[m_index]; }

    QPointer<HeatMapView> m_view;
    int m_index;
};

class HeatMapAccessible : public QAccessibleWidget {
public:
    explicit HeatMapAccessible(HeatMapView *view) : QAccessibleWidget(view, QAccessible::List) {}

    ~HeatMapAccessible() override
    {
        for (QAccessible::Id id : m_ids)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

    HeatMapView *view() const { return static_cast<HeatMapView *>(widget()); }

    int childCount() const override { return int(view()->keys().size()); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (m_ids.size() < view()->keys().size())
            m_ids.resize(view()->keys().size(), 0);
        if (!m_ids[index])
            m_ids[index] = QAccessible::registerAccessibleInterface(new KeyItemAccessible(view(), index));
        return QAccessible::accessibleInterface(m_ids[index]);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (std::size_t i = 0; i < m_ids.size(); ++i)
            if (m_ids[i] && QAccessible::accessibleInterface(m_ids[i]) == child)
                return int(i);
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const KeyNumber k = view()->keyAt(view()->mapFromGlobal(QPoint(x, y)));
        const auto &keys = view()->keys();
        const auto it = std::find(keys.begin(), keys.end(), k);
        return k && it != keys.end() ? child(int(it - keys.begin())) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        const auto &keys = view()->keys();
        const auto it = std::find(keys.begin(), keys.end(), view()->currentKey());
        return it != keys.end() ? child(int(it - keys.begin())) : nullptr;
    }

private:
    mutable std::vector<QAccessible::Id> m_ids;
};

QAccessibleInterface *heatMapAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("HeatMapView") && object && object->isWidgetType())
        return new HeatMapAccessible(static_cast<HeatMapView *>(object));
    return nullptr;
}

} // namespace

HeatMapView::HeatMapView(QWidget *parent) : KeyboardView(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(heatMapAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setObjectName(QStringLiteral("heatMap"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAccessibleName(QStringLiteral("鍵盤熱圖"));
    for (Element e : kFingerLegend)
        setItemVisible(elementRef(e), false);

    for (const KeyInfo &k : KeyCatalogue::keys())
        m_keys.push_back(k.key);
    setTotals({});
}

void HeatMapView::setTotals(const std::vector<KeyTotal> &totals)
{
    m_totals.fill(std::nullopt);
    for (const KeyTotal &t : totals)
        if (t.key > 0 && t.key <= kMaxKeyNumber)
            m_totals[t.key] = t;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        const KeyTotal *t = totalOf(m_keys[i]);
        setFill(m_keys[i], t && t->right + t->wrong > 0 ? heatColor(t->errorRate) : kNoFigures);
        if (QAccessible::isActive()) {
            QAccessibleEvent ev(this, QAccessible::DescriptionChanged);
            ev.setChild(int(i));
            QAccessible::updateAccessibility(&ev);
        }
    }
    if (m_current)
        emit currentKeyChanged(m_current);
}

const KeyTotal *HeatMapView::totalOf(KeyNumber key) const
{
    if (key <= 0 || key > kMaxKeyNumber || !m_totals[key])
        return nullptr;
    return &*m_totals[key];
}

QString HeatMapView::figuresText(KeyNumber key) const
{
    const KeyTotal *t = totalOf(key);
    if (!t || t->right + t->wrong == 0)
        return QStringLiteral("沒有紀錄");
    QString text = QStringLiteral("錯誤率 %1%（需要 %2 次，按錯 %3 次")
                       .arg(QString::number(t->errorRate * 100, 'f', 1))
                       .arg(t->expected)
                       .arg(t->wrong);
    if (t->medianMs >= 0)
        text += QStringLiteral("，約 %1 秒按對").arg(QString::number(t->medianMs / 1000.0, 'f', 2));
    return text + QStringLiteral("）");
}

VbColor HeatMapView::heatColor(double errorRate)
{
    const double r = std::clamp(errorRate, 0.0, kScaleTop);
    for (std::size_t i = 1; i < std::size(kStops); ++i) {
        if (r <= kStops[i].rate) {
            const Stop &a = kStops[i - 1], &b = kStops[i];
            return toVbColor(mix(a.color, b.color, (r - a.rate) / (b.rate - a.rate)));
        }
    }
    return kStops[std::size(kStops) - 1].color;
}

KeyNumber HeatMapView::keyAt(QPoint pos) const
{
    for (KeyNumber k : m_keys) {
        const KeyRect r = keyTopRect(k);
        if (QRect(r.left, r.top, r.width, r.height).contains(pos))
            return k;
    }
    return 0;
}

void HeatMapView::setCurrentKey(KeyNumber key)
{
    if (key == m_current)
        return;
    if (m_current)
        setBorder(m_current, Palette::Black, 1);
    m_current = key;
    if (m_current)
        setBorder(m_current, Palette::Blue, 3);
    emit currentKeyChanged(m_current);

    if (QAccessible::isActive() && m_current) {
        const auto it = std::find(m_keys.begin(), m_keys.end(), m_current);
        QAccessibleEvent ev(this, hasFocus() ? QAccessible::Focus : QAccessible::Selection);
        ev.setChild(int(it - m_keys.begin()));
        QAccessible::updateAccessibility(&ev);
    }
}

// The nearest key in the direction (dx, dy): along the row, or in the row
// above or below, the one whose middle is nearest across.
KeyNumber HeatMapView::neighbour(KeyNumber from, int dx, int dy) const
{
    const KeyInfo *f = KeyCatalogue::find(from);
    if (!f)
        return from;
    const KeyRect fr = keyTopRect(from);
    const int fx = fr.left + fr.width / 2;
    KeyNumber best = from;
    int bestDistance = INT_MAX;
    for (KeyNumber k : m_keys) {
        const KeyInfo *c = KeyCatalogue::find(k);
        const KeyRect r = keyTopRect(k);
        const int x = r.left + r.width / 2;
        int distance;
        if (dy == 0) {
            if (c->row != f->row || (x - fx) * dx <= 0)
                continue;
            distance = std::abs(x - fx);
        } else {
            if (c->row != f->row + dy)
                continue;
            distance = std::abs(x - fx);
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = k;
        }
    }
    return best;
}

void HeatMapView::keyPressEvent(QKeyEvent *event)
{
    KeyNumber next = m_current;
    switch (event->key()) {
    case Qt::Key_Left: next = neighbour(m_current, -1, 0); break;
    case Qt::Key_Right: next = neighbour(m_current, 1, 0); break;
    case Qt::Key_Up: next = neighbour(m_current, 0, -1); break;
    case Qt::Key_Down: next = neighbour(m_current, 0, 1); break;
    case Qt::Key_Home: next = m_keys.front(); break;
    case Qt::Key_End: next = m_keys.back(); break;
    default: KeyboardView::keyPressEvent(event); return;
    }
    m_hovering = false;
    setCurrentKey(next);
}

void HeatMapView::focusInEvent(QFocusEvent *event)
{
    KeyboardView::focusInEvent(event);
    if (m_current)
        return;
    // Start at the weakest key, or at the top left.
    KeyNumber weakest = 0;
    double worst = -1;
    for (KeyNumber k : m_keys) {
        const KeyTotal *t = totalOf(k);
        if (t && t->right + t->wrong > 0 && t->errorRate > worst) {
            worst = t->errorRate;
            weakest = k;
        }
    }
    setCurrentKey(weakest ? weakest : m_keys.front());
}

void HeatMapView::mouseMoveEvent(QMouseEvent *event)
{
    const KeyNumber k = keyAt(event->position().toPoint());
    if (k) {
        m_hovering = true;
        setCurrentKey(k);
    }
    KeyboardView::mouseMoveEvent(event);
}

void HeatMapView::leaveEvent(QEvent *event)
{
    if (m_hovering && !hasFocus())
        setCurrentKey(0);
    m_hovering = false;
    KeyboardView::leaveEvent(event);
}

bool HeatMapView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const KeyNumber k = keyAt(help->pos());
        if (k) {
            const KeyRect r = keyTopRect(k);
            QToolTip::showText(help->globalPos(), KeyLabel(k) + QLatin1Char('\n') + figuresText(k), this,
                               QRect(r.left, r.top, r.width, r.height));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return KeyboardView::event(event);
}

void HeatMapView::paintEvent(QPaintEvent *event)
{
    KeyboardView::paintEvent(event);
    if (event->rect().bottom() >= kStripTop - 2) {
        QPainter p(this);
        p.setClipRegion(event->region());
        paintScale(p);
    }
}

void HeatMapView::paintScale(QPainter &p)
{
    p.setFont(Fonts::ming(9.75));
    p.setPen(Qt::black);
    p.drawText(QRect(kScaleBar.left() - 90, kStripTop - 2, 82, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("錯誤率"));
    QLinearGradient g(kScaleBar.topLeft(), kScaleBar.topRight());
    for (const Stop &s : kStops)
        g.setColorAt(s.rate / kScaleTop, toQColor(s.color));
    p.fillRect(kScaleBar, g);
    p.drawRect(kScaleBar.adjusted(0, 0, -1, -1));
    for (const Stop &s : kStops) {
        const int x = kScaleBar.left() + int(s.rate / kScaleTop * (kScaleBar.width() - 1));
        p.drawLine(x, kScaleBar.bottom() + 1, x, kScaleBar.bottom() + 3);
        const QString label = QString::number(qRound(s.rate * 100)) + QLatin1Char('%')
                              + (s.rate >= kScaleTop ? QStringLiteral("+") : QString());
        p.drawText(QRect(x - 20, kScaleBar.bottom() + 3, 40, 16), Qt::AlignCenter, label);
    }
    p.setBrush(toQColor(kNoFigures));
    p.drawRoundedRect(QRectF(kNoFiguresSwatch).adjusted(0.5, 0.5, -0.5, -0.5), kSquareRadius, kSquareRadius);
    p.drawText(QRect(kNoFiguresSwatch.right() + 6, kStripTop - 2, 80, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("沒有紀錄"));
}
