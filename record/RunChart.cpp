#include "record/RunChart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "view/Fonts.h"
#include "view/VbColor.h"
#include "run/RunReport.h"

namespace {

// Speed as the speed meter draws it, accuracy as the progress bar.
const QColor kSpeedColor = toQColor(Palette::Red);
const QColor kAccuracyColor = toQColor(Palette::Blue);
const QColor kGridColor(0xD8, 0xD8, 0xD8);
const QColor kClassColor(0x80, 0x80, 0x80);

constexpr int kLeft = 44, kRight = 48, kTop = 24, kBottom = 30;

QString dateText(const QDateTime &t, bool withYear)
{
    return t.toLocalTime().toString(withYear ? QStringLiteral("yyyy/M/d") : QStringLiteral("M/d"));
}

} // namespace

RunChart::RunChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("runChart"));
    setAccessibleName(QStringLiteral("速度與正確率"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void RunChart::setPoints(std::vector<RunPoint> points)
{
    m_points = std::move(points);
    double fastest = 0;
    double lowest = 1;
    for (const RunPoint &p : m_points) {
        if (p.speed)
            fastest = std::max(fastest, *p.speed);
        if (p.accuracy)
            lowest = std::min(lowest, *p.accuracy);
    }
    // The classes' lines always show; faster runs raise the top.
    m_speedTop = std::max(5.0, std::ceil(fastest + 0.25));
    // Accuracy from a round tenth below the worst run, at most 80 %, so that
    // the usual range fills the height.
    m_accuracyBottom = std::min(0.8, std::floor(lowest * 10) / 10);
    setAccessibleDescription(summary());
    rebuild();
}

void RunChart::setMarkedRun(qint64 runId)
{
    if (runId == m_markedRun)
        return;
    m_markedRun = runId;
    update();
}

QRect RunChart::plotArea() const
{
    return rect().adjusted(kLeft, kTop, -kRight, -kBottom);
}

double RunChart::xOf(int index) const
{
    const QRect plot = plotArea();
    const int n = int(m_points.size());
    return plot.left() + (index + 0.5) * plot.width() / std::max(1, n);
}

int RunChart::indexAt(int x) const
{
    const QRect plot = plotArea();
    const int n = int(m_points.size());
    if (n == 0 || x < plot.left() || x > plot.right())
        return -1;
    return std::clamp(int((x - plot.left()) * double(n) / plot.width()), 0, n - 1);
}

QString RunChart::summary() const
{
    if (m_points.empty())
        return QStringLiteral("還沒有紀錄");
    std::optional<double> bestSpeed, lastSpeed, lastAccuracy;
    for (const RunPoint &p : m_points) {
        if (p.speed) {
            lastSpeed = p.speed;
            bestSpeed = std::max(bestSpeed.value_or(0), *p.speed);
        }
        if (p.accuracy)
            lastAccuracy = p.accuracy;
    }
    QString s = QStringLiteral("%1 次練習").arg(m_points.size());
    if (lastSpeed)
        s += QStringLiteral("，最近速度每秒 %1 鍵，最快 %2 鍵").arg(FormatSpeed(*lastSpeed), FormatSpeed(*bestSpeed));
    if (lastAccuracy)
        s += QStringLiteral("，最近正確率 %1").arg(FormatPercent(*lastAccuracy));
    return s;
}

void RunChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    rebuild();
}

// The lines in pixels: one vertex per run while runs are wider than a few
// pixels, otherwise the mean of each pixel column's runs.
void RunChart::rebuild()
{
    m_speedLine.clear();
    m_accuracyLine.clear();
    m_backdrop = QImage();
    const QRect plot = plotArea();
    const int n = int(m_points.size());
    if (n == 0 || plot.width() < 2 || plot.height() < 2)
        return update();
    const double h = plot.height();
    auto speedY = [&](double v) { return plot.bottom() - std::min(v, m_speedTop) / m_speedTop * h; };
    auto accuracyY = [&](double v) {
        return plot.bottom() - (v - m_accuracyBottom) / (1.0 - m_accuracyBottom) * h;
    };

    const int columns = plot.width();
    m_dots = n * 6 <= columns;
    if (n * 3 <= columns) {
        for (int i = 0; i < n; ++i) {
            const RunPoint &p = m_points[i];
            if (p.speed)
                m_speedLine << QPointF(xOf(i), speedY(*p.speed));
            if (p.accuracy)
                m_accuracyLine << QPointF(xOf(i), accuracyY(*p.accuracy));
        }
    } else {
        m_speedLine.reserve(columns);
        m_accuracyLine.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const int from = int(qint64(c) * n / columns), to = int(qint64(c + 1) * n / columns);
            double speed = 0, accuracy = 0;
            int speeds = 0, accuracies = 0;
            for (int i = from; i < to; ++i) {
                if (m_points[i].speed) {
                    speed += *m_points[i].speed;
                    ++speeds;
                }
                if (m_points[i].accuracy) {
                    accuracy += *m_points[i].accuracy;
                    ++accuracies;
                }
            }
            const double x = plot.left() + c + 0.5;
            if (speeds)
                m_speedLine << QPointF(x, speedY(speed / speeds));
            if (accuracies)
                m_accuracyLine << QPointF(x, accuracyY(accuracy / accuracies));
        }
    }
    update();
}

void RunChart::paintBackdrop(QPainter &p, const QRect &plot)
{
    p.fillRect(rect(), Qt::white);
    p.setFont(Fonts::ming(9));
    const QFontMetrics fm = p.fontMetrics();

    // Legend.
    int x = plot.left();
    for (const auto &[color, caption] : {std::pair{kSpeedColor, QStringLiteral("速度（鍵/秒）")},
                                         std::pair{kAccuracyColor, QStringLiteral("正確率")}}) {
        p.setPen(QPen(color, 2));
        p.drawLine(x, kTop / 2, x + 18, kTop / 2);
        p.setPen(Qt::black);
        p.drawText(QRect(x + 22, 0, 200, kTop), Qt::AlignLeft | Qt::AlignVCenter, caption);
        x += 22 + fm.horizontalAdvance(caption) + 18;
    }

    // Speed grid and axis (left), labelled at least 20 pixels apart.
    const double perUnit = plot.height() / m_speedTop;
    int step = 1;
    for (int s : {1, 2, 5, 10, 20, 50, 100}) {
        step = s;
        if (s * perUnit >= 20)
            break;
    }
    for (int v = 0; v <= int(m_speedTop); v += step) {
        const int y = qRound(plot.bottom() - v * perUnit);
        p.setPen(QPen(kGridColor, 1));
        if (v > 0)
            p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(kSpeedColor);
        p.drawText(QRect(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    // The speed classes as dashed lines, named while there is room.
    for (int v = 1; v <= 4; ++v) {
        const int y = qRound(plot.bottom() - v * perUnit);
        p.setPen(QPen(kClassColor, 1, Qt::DashLine));
        p.drawLine(plot.left(), y, plot.right(), y);
        if (perUnit >= fm.height()) {
            p.setPen(kClassColor);
            p.drawText(QRect(plot.left() + 4, y - fm.height(), 60, fm.height()), Qt::AlignLeft | Qt::AlignBottom,
                       SpeedClassCaption(qint16(v)));
        }
    }

    // Accuracy axis (right), every tenth.
    p.setPen(kAccuracyColor);
    for (int tenth = qRound(m_accuracyBottom * 10); tenth <= 10; ++tenth) {
        const double v = tenth / 10.0;
        const int y = qRound(plot.bottom() - (v - m_accuracyBottom) / (1.0 - m_accuracyBottom) * plot.height());
        p.drawText(QRect(plot.right() + 6, y - 8, kRight - 6, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1%").arg(tenth * 10));
    }

    // Dates under the runs, as many as fit.
    const int n = int(m_points.size());
    const bool withYear = m_points.front().startedAt.toLocalTime().date().year()
                          != m_points.back().startedAt.toLocalTime().date().year();
    const int labelWidth = fm.horizontalAdvance(dateText(m_points.back().startedAt, withYear)) + 16;
    const int labels = std::clamp(plot.width() / labelWidth, 1, n);
    p.setPen(Qt::black);
    QString last;
    for (int k = 0; k < labels; ++k) {
        const int i = labels == 1 ? n - 1 : int(qint64(k) * (n - 1) / (labels - 1));
        const QString date = dateText(m_points[i].startedAt, withYear);
        if (date == last)
            continue; // several runs a day: the day once
        last = date;
        const int lx = qRound(xOf(i));
        p.drawLine(lx, plot.bottom() + 1, lx, plot.bottom() + 4);
        p.drawText(QRect(lx - labelWidth / 2, plot.bottom() + 5, labelWidth, kBottom - 6),
                   Qt::AlignHCenter | Qt::AlignTop, date);
    }

    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.adjusted(0, 0, -1, -1));
}

void RunChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect plot = plotArea();
    if (m_points.empty()) {
        p.fillRect(rect(), Qt::white);
        p.setPen(Qt::darkGray);
        p.setFont(Fonts::ming(10.5));
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("還沒有練習紀錄：打完一段文字，這裡就會畫出速度與正確率。"));
        return;
    }
    const qreal dpr = devicePixelRatioF();
    if (m_backdrop.isNull() || m_backdrop.size() != size() * dpr) {
        m_backdrop = QImage(size() * dpr, QImage::Format_RGB32);
        m_backdrop.setDevicePixelRatio(dpr);
        QPainter b(&m_backdrop);
        b.setRenderHint(QPainter::TextAntialiasing);
        paintBackdrop(b, plot);
    }
    p.drawImage(0, 0, m_backdrop);

    p.setClipRect(plot.adjusted(-3, -3, 3, 3));
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto &[line, color] : {std::pair{&m_accuracyLine, kAccuracyColor}, std::pair{&m_speedLine, kSpeedColor}}) {
        p.setPen(QPen(color, 1.5));
        p.setBrush(Qt::NoBrush);
        // Segment by segment: one stroked path of a jagged line with hundreds
        // of vertices is many times slower to fill.
        for (qsizetype i = 1; i < line->size(); ++i)
            p.drawLine((*line)[i - 1], (*line)[i]);
        if (m_dots) {
            p.setBrush(color);
            p.setPen(Qt::NoPen);
            for (const QPointF &pt : *line)
                p.drawEllipse(pt, 2.5, 2.5);
        }
    }

    // The marked run.
    const auto marked = std::find_if(m_points.begin(), m_points.end(),
                                     [&](const RunPoint &r) { return r.runId == m_markedRun; });
    if (m_markedRun && marked != m_points.end()) {
        const double x = xOf(int(marked - m_points.begin()));
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1, Qt::DotLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
}

bool RunChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int i = indexAt(help->pos().x());
        if (i < 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        const RunPoint &r = m_points[i];
        QString text = r.startedAt.toLocalTime().toString(QStringLiteral("yyyy/M/d HH:mm"));
        text += QStringLiteral("\n速度：") + (r.speed ? FormatSpeed(*r.speed) + QStringLiteral(" 鍵/秒") : QStringLiteral("—"));
        text += QStringLiteral("\n正確率：") + (r.accuracy ? FormatPercent(*r.accuracy) : QStringLiteral("—"));
        QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}
