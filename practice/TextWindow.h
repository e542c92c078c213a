#pragma once
// The text window: the frame picWindow, its scroll bar VScroll1 and the sheet
// picWd that moves inside the frame to scroll.

#include <QFrame>

class QScrollBar;

// The sheet that holds the laid-out text; it moves, its cells never do.
class TextSheet : public QWidget {
    Q_OBJECT
public:
    explicit TextSheet(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class TextWindow : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 777;
    static constexpr int kHeight = 130;     // with the keyboard shown
    static constexpr int kTallHeight = 390; // with the keyboard hidden

    explicit TextWindow(QWidget *parent = nullptr);

    QScrollBar *VScroll1 = nullptr;
    TextSheet *picWd = nullptr;
};
