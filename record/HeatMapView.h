#pragma once
// The keyboard heat map: the drawn keyboard with every key top tinted by the
// share of wrong keystrokes made while that key was needed. The key under
// the mouse, or the one chosen with the arrow keys, shows its figures (tool
// tip, currentKeyChanged); assistive technology reads every key's figures
// as the items of a list.

#include <array>
#include <optional>
#include <vector>

#include "keyboard/KeyboardView.h"
#include "record/RecordedRun.h"

class HeatMapView : public KeyboardView {
    Q_OBJECT
public:
    explicit HeatMapView(QWidget *parent = nullptr);

    // The record's totals; keys that are not listed have no figures.
    void setTotals(const std::vector<KeyTotal> &totals);
    const KeyTotal *totalOf(KeyNumber key) const;

    // Every key of the picture, row by row, each row left to right.
    const std::vector<KeyNumber> &keys() const { return m_keys; }

    // How the learner reads a key's figures: "錯誤率 12.5%（需要 80 次，按錯 10 次）",
    // or "沒有紀錄".
    QString figuresText(KeyNumber key) const;

    // The key whose figures are shown (0: none).
    KeyNumber currentKey() const { return m_current; }
    void setCurrentKey(KeyNumber key);
    // The key top under a point of the picture, 0 for none.
    KeyNumber keyAt(QPoint pos) const;

    // The tint of an error rate (0 … 1); keys without keystrokes are kNoFigures.
    static VbColor heatColor(double errorRate);
    static constexpr VbColor kNoFigures = 0x00F4F4F4;
    // Rates from this share up get the strongest tint.
    static constexpr double kScaleTop = 0.30;

signals:
    void currentKeyChanged(KeyNumber key);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    KeyNumber neighbour(KeyNumber from, int dx, int dy) const;
    void paintScale(QPainter &p);

    std::vector<KeyNumber> m_keys;
    std::array<std::optional<KeyTotal>, kMaxKeyNumber + 1> m_totals{};
    KeyNumber m_current = 0;
    bool m_hovering = false;
};
