#pragma once
// The progress chart: speed (keystrokes a second, left axis) and accuracy
// (right axis) of the recorded runs, oldest on the left, one step per run,
// with the speed classes' lines at 1 … 4 keystrokes a second. With more runs
// than pixels, each column shows the mean of its runs.

#include <QImage>
#include <QWidget>
#include <vector>

#include "record/RecordedRun.h"

class RunChart : public QWidget {
    Q_OBJECT
public:
    explicit RunChart(QWidget *parent = nullptr);

    // The runs, oldest first.
    void setPoints(std::vector<RunPoint> points);
    const std::vector<RunPoint> &points() const { return m_points; }

    // The run marked on the chart (the table's current row); 0: none.
    void setMarkedRun(qint64 runId);
    qint64 markedRun() const { return m_markedRun; }

    // Axis ranges as drawn.
    double speedTop() const { return m_speedTop; }
    double accuracyBottom() const { return m_accuracyBottom; }

    // The index of the run drawn nearest to x (widget pixels); -1 if none.
    int indexAt(int x) const;
    // What the chart says in words, for assistive technology: the number of
    // runs, the latest and the best speed and accuracy.
    QString summary() const;

    QSize sizeHint() const override { return {520, 220}; }
    QSize minimumSizeHint() const override { return {320, 160}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect plotArea() const;
    double xOf(int index) const;
    void rebuild();
    void paintBackdrop(QPainter &p, const QRect &plot);

    std::vector<RunPoint> m_points;
    qint64 m_markedRun = 0;
    double m_speedTop = 5;
    double m_accuracyBottom = 0;
    // The two lines in widget pixels, one vertex per run or per column.
    QPolygonF m_speedLine;
    QPolygonF m_accuracyLine;
    bool m_dots = true; // few runs: a dot on each
    QImage m_backdrop;  // axes, grid, class lines and labels: change with size only
};
