#pragma once
// The drawn keyboard picKey: every key top in its finger-zone colour with its
// legends, painted from the key catalogue.

#include <QWidget>
#include <array>

#include "practice/KeyCatalogue.h"

class KeyboardView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 745;
    static constexpr int kHeight = 281;

    explicit KeyboardView(QWidget *parent = nullptr);

    // The key top Shape1(k): its place, border and fill. Setters repaint only
    // what changed.
    KeyRect keyTopRect(KeyNumber k) const;
    void moveKeyTop(KeyNumber k, int left, int top);
    VbColor borderColor(KeyNumber k) const;
    int borderWidth(KeyNumber k) const;
    void setBorder(KeyNumber k, VbColor color, int width);
    VbColor fillColor(KeyNumber k) const;
    void setFill(KeyNumber k, VbColor color);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct KeyTop {
        KeyRect rect{};
        VbColor border = Palette::Black;
        int borderWidth = 1;
        VbColor fill = Palette::Black;
    };
    std::array<KeyTop, kMaxKeyNumber + 1> m_keys{};
    void updateKey(KeyNumber k);
};
