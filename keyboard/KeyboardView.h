#pragma once
// The drawn keyboard picKey: every key top in its finger-zone colour with its
// legends, painted from the key catalogue.

#include <QWidget>

class KeyboardView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 745;
    static constexpr int kHeight = 281;

    explicit KeyboardView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
