#pragma once
// Small painted stand-ins for the window's shapes.

#include <QWidget>

#include "practice/Palette.h"

// A filled circle with a border, like the Caps Lock lamp: as wide as the
// shape's smaller side, centred in it.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    explicit ShapeWidget(QWidget *parent = nullptr);

    void setBackColor(VbColor c);
    VbColor backColor() const { return m_back; }
    void setBorderWidth(int w);
    int borderWidth() const { return m_borderWidth; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    VbColor m_back = Palette::Grey;
    VbColor m_border = Palette::Black;
    int m_borderWidth = 1;
};

// A white picture box with a border that holds one bar; its inner unit is the
// twip (15 twips to the pixel). Bars wider than the box are clipped by it.
class MeterBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;

    MeterBox(VbColor barColor, QWidget *parent = nullptr);

    // The bar's rectangle in twips of the box's inner area.
    void setBar(int leftTwips, int topTwips, int widthTwips, int heightTwips);
    void setBarWidth(int widthTwips);
    int barLeft() const { return m_left; }
    int barTop() const { return m_top; }
    int barWidth() const { return m_width; }
    int barHeight() const { return m_height; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintBar(QPainter &p);

    VbColor m_color;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};
