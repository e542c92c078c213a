#pragma once
// A label that shows a count, changed on every keystroke. QLabel lays its
// text out again at every paint; this one shapes the ten digits once for its
// font and draws a number from their glyphs, in the pixels QLabel draws for
// it. Anything but a plain number, left and top aligned on an enabled label
// without frame or margins, is drawn by QLabel itself.

#include <QGlyphRun>
#include <QLabel>
#include <array>

class CountLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Whether the text shown now is drawn from the digits' glyphs.
    bool drawsDigits() { return !drawsAsQLabel() && digitsUsable(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool digitsUsable();
    bool drawsAsQLabel() const;

    // The digits' glyphs, their advances and the baseline, for the font at
    // this resolution (the run holds it); usable when no pair of digits is
    // kerned or joined.
    std::array<quint32, 10> m_glyph{};
    std::array<qreal, 10> m_advance{};
    qreal m_baseline = 0;
    int m_dpi = 0;
    bool m_usable = false;
    QGlyphRun m_run;
    QVector<quint32> m_glyphs;
    QVector<QPointF> m_positions;
};
