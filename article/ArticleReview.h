#pragma once
// Reviewing an article's readings in the text window: a layer over the text
// sheet that tints the readings the annotator is unsure of (and those the
// learner changed), shows a cursor on one character, moves it with the arrow
// keys and the mouse, and offers the character's other readings in a short
// list, for this character or for every occurrence of the same phrase.

#include <QWidget>

#include "annotate/Annotator.h"

class ArticleDocument;
class QMenu;
struct TextLayout;

class ArticleReview : public QWidget {
    Q_OBJECT
public:
    // Tints: a reading to check, and a reading the learner picked.
    static constexpr QRgb kUncertainBack = 0xFFFFD591;
    static constexpr QRgb kUncertainWordBack = 0xFFFFECCC;
    static constexpr QRgb kChangedBack = 0xFFC6EFC6;
    static constexpr QRgb kChangedWordBack = 0xFFE4F7E4;
    static constexpr QRgb kCursor = 0xFF1C5FD0;

    // Lies over sheet and follows its size.
    explicit ArticleReview(QWidget *sheet);

    // The article and the layout of its tokens (token n is word n); the
    // review keeps pointers, not copies. The cursor goes to the first reading
    // to check, else to the first character with a reading.
    void setDocument(ArticleDocument *document, const TextLayout *layout);
    // The same article laid out anew (after a change of reading): the cursor stays.
    void setTextLayout(const TextLayout *layout);
    ArticleDocument *document() const { return m_doc; }

    qsizetype currentToken() const { return m_current; }
    void setCurrentToken(qsizetype token);
    // The token under a point of the sheet, or -1.
    qsizetype tokenAt(QPoint p) const;
    // The rectangle a token takes: its character and the symbols under it.
    QRect tokenRect(qsizetype token) const;

    // Opens the list of readings for the current character.
    void showChoices();
    // The list while it is open (tests drive it).
    QMenu *choiceMenu() const { return m_menu; }

signals:
    // Readings changed: the text must be laid out again.
    void readingsChanged();
    // The part of the sheet to bring into view.
    void visibleAreaWanted(int top, int bottom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    qsizetype tokenOnNextLine(int step) const;
    qsizetype lineEnd(int step) const;
    void applyReading(const QString &reading, annotate::ChangeScope scope);
    void askOtherReading();
    void describe();
    QString toolTipFor(qsizetype token) const;

    ArticleDocument *m_doc = nullptr;
    const TextLayout *m_layout = nullptr;
    qsizetype m_current = -1;
    QMenu *m_menu = nullptr;
    QFont m_wordFont;
    QFont m_symbolFont;
};
