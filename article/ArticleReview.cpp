#include "article/ArticleReview.h"

#include <QAccessible>
#include <QActionGroup>
#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QTimer>
#include <QToolTip>

#include "view/Fonts.h"
#include "article/ArticleDocument.h"
#include "article/ZhuyinEntry.h"
#include "practice/TextLayout.h"

namespace {

constexpr int kSymbolWidth = 17;

} // namespace

ArticleReview::ArticleReview(QWidget *sheet)
    : QWidget(sheet), m_wordFont(Fonts::kai(15.75)), m_symbolFont(Fonts::kai(13))
{
    setObjectName(QStringLiteral("articleReview"));
    setAccessibleDescription(objectName());
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setGeometry(sheet->rect());
    sheet->installEventFilter(this);
}

void ArticleReview::setDocument(ArticleDocument *document, const TextLayout *layout)
{
    m_doc = document;
    m_layout = layout;
    m_current = -1;
    if (m_doc) {
        m_current = m_doc->nextUncertain(-1, 1);
        if (m_current < 0)
            m_current = m_doc->nextReviewable(-1, 1);
    }
    describe();
    update();
}

void ArticleReview::setTextLayout(const TextLayout *layout)
{
    m_layout = layout;
    describe();
    update();
}

QRect ArticleReview::tokenRect(qsizetype t) const
{
    if (!m_doc || !m_layout || t < 0 || t >= static_cast<qsizetype>(m_layout->words.size()))
        return {};
    const WordCell &w = m_layout->words[t];
    QRect r(w.left, w.top, w.width, kCellHeight);
    const int first = m_doc->firstPosition(t);
    for (int k = first; k < first + m_doc->positionCount(t); ++k) {
        if (k >= 1 && k <= static_cast<int>(m_layout->positions.size())) {
            const PositionCell &p = m_layout->positions[k - 1];
            r = r.united(QRect(p.left, p.top, kSymbolWidth, kCellHeight));
        }
    }
    return r;
}

qsizetype ArticleReview::tokenAt(QPoint p) const
{
    if (!m_layout)
        return -1;
    const auto &words = m_layout->words;
    // Words are in line order: start at the first on the point's line.
    auto it = std::lower_bound(words.begin(), words.end(), p.y(), [](const WordCell &w, int y) {
        return w.top + kLineHeight <= y;
    });
    for (; it != words.end() && it->top <= p.y(); ++it) {
        const qsizetype t = it - words.begin();
        if (tokenRect(t).adjusted(0, 0, 1, 1).contains(p))
            return t;
    }
    return -1;
}

void ArticleReview::setCurrentToken(qsizetype token)
{
    if (!m_doc || token < 0 || token >= m_doc->tokenCount() || token == m_current)
        return;
    const QRect old = tokenRect(m_current);
    m_current = token;
    update(old.adjusted(-3, -3, 3, 3));
    const QRect now = tokenRect(m_current);
    update(now.adjusted(-3, -3, 3, 3));
    emit visibleAreaWanted(now.top() - 4, now.bottom() + 5);
    describe();
}

void ArticleReview::describe()
{
    // Assistive technology reads the character under the cursor and its reading.
    // "行 ㄏㄤˊ 請確認讀音 也可讀 ㄒㄧㄥˊ、ㄏㄤˋ"
    QString name;
    if (m_doc && m_current >= 0) {
        name = m_doc->character(m_current) + QLatin1Char(' ') + m_doc->reading(m_current);
        if (m_doc->isUncertain(m_current))
            name += QStringLiteral(" 請確認讀音");
        QStringList others = m_doc->candidates(m_current);
        others.removeAll(m_doc->reading(m_current));
        if (!others.isEmpty())
            name += QStringLiteral(" 也可讀 ") + others.join(QStringLiteral("、"));
    }
    setAccessibleName(name);
}

QString ArticleReview::toolTipFor(qsizetype t) const
{
    if (!m_doc || !m_doc->isReviewable(t))
        return {};
    QStringList others;
    for (const QString &c : m_doc->candidates(t)) {
        if (c != m_doc->reading(t))
            others << c;
    }
    QString tip = m_doc->character(t) + QStringLiteral("：") + m_doc->reading(t);
    if (m_doc->isChanged(t))
        tip += QStringLiteral("（您選的讀音）");
    else if (m_doc->isUncertain(t))
        tip += QStringLiteral("（請確認讀音）");
    if (!others.isEmpty())
        tip += QStringLiteral("\n也可以讀：") + others.join(QStringLiteral("、"));
    tip += QStringLiteral("\n按一下或按 Enter 更換讀音");
    return tip;
}

void ArticleReview::paintEvent(QPaintEvent *event)
{
    if (!m_doc || !m_layout)
        return;
    QPainter p(this);
    const QRect exposed = event->rect();
    const auto &words = m_layout->words;
    auto it = std::lower_bound(words.begin(), words.end(), exposed.top(), [](const WordCell &w, int y) {
        return w.top + kLineHeight <= y;
    });
    // Readings to check and readings changed: their cells drawn again on a tint.
    for (; it != words.end() && it->top <= exposed.bottom(); ++it) {
        const qsizetype t = it - words.begin();
        const bool changed = m_doc->isChanged(t);
        if (!changed && !m_doc->isUncertain(t))
            continue;
        const WordCell &w = *it;
        const QRect word(w.left, w.top, w.width, kCellHeight);
        if (word.intersects(exposed)) {
            p.fillRect(word, QColor::fromRgb(changed ? kChangedWordBack : kUncertainWordBack));
            p.setPen(Qt::black);
            p.setFont(m_wordFont);
            p.drawText(word, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, w.text);
        }
        p.setFont(m_symbolFont);
        const int first = m_doc->firstPosition(t);
        for (int k = first; k < first + m_doc->positionCount(t); ++k) {
            if (k < 1 || k > static_cast<int>(m_layout->positions.size()))
                continue;
            const PositionCell &c = m_layout->positions[k - 1];
            const QRect title(c.left, c.top, kSymbolWidth, kCellHeight);
            if (!title.intersects(exposed))
                continue;
            p.fillRect(title, QColor::fromRgb(changed ? kChangedBack : kUncertainBack));
            p.drawText(title, Qt::AlignLeft | Qt::AlignTop, c.symbol);
        }
    }

    // The cursor: a frame round the character and its symbols, solid while
    // the review has the keyboard, dotted otherwise.
    const QRect cur = tokenRect(m_current);
    if (!cur.isNull() && cur.adjusted(-3, -3, 3, 3).intersects(exposed)) {
        QPen pen(QColor::fromRgb(kCursor), 2, hasFocus() ? Qt::SolidLine : Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(cur.adjusted(-2, -2, 1, 1));
    }
}

void ArticleReview::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const qsizetype t = tokenAt(event->position().toPoint());
    if (!m_doc || !m_doc->isReviewable(t)) {
        QWidget::mousePressEvent(event);
        return;
    }
    setCurrentToken(t);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        showChoices();
}

qsizetype ArticleReview::tokenOnNextLine(int step) const
{
    // The reviewable character nearest across on the next line up or down
    // that has one.
    if (!m_doc || !m_layout || m_current < 0)
        return -1;
    const auto &words = m_layout->words;
    const int x = tokenRect(m_current).center().x();
    int lineTop = words[m_current].top;
    qsizetype best = -1;
    int bestDistance = 0;
    for (qsizetype t = m_current + step; t >= 0 && t < static_cast<qsizetype>(words.size()); t += step) {
        if (words[t].top == words[m_current].top)
            continue;
        if (best >= 0 && words[t].top != lineTop)
            break;
        if (!m_doc->isReviewable(t))
            continue;
        if (best < 0)
            lineTop = words[t].top;
        if (words[t].top != lineTop)
            break;
        const int d = std::abs(tokenRect(t).center().x() - x);
        if (best < 0 || d < bestDistance) {
            best = t;
            bestDistance = d;
        }
    }
    return best;
}

qsizetype ArticleReview::lineEnd(int step) const
{
    if (!m_doc || !m_layout || m_current < 0)
        return -1;
    const auto &words = m_layout->words;
    qsizetype found = m_current;
    for (qsizetype t = m_current + step;
         t >= 0 && t < static_cast<qsizetype>(words.size()) && words[t].top == words[m_current].top; t += step) {
        if (m_doc->isReviewable(t))
            found = t;
    }
    return found;
}

void ArticleReview::keyPressEvent(QKeyEvent *event)
{
    if (!m_doc) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    qsizetype to = -1;
    switch (event->key()) {
    case Qt::Key_Left:
        to = m_doc->nextReviewable(m_current, -1);
        break;
    case Qt::Key_Right:
        to = m_doc->nextReviewable(m_current, 1);
        break;
    case Qt::Key_Up:
        to = tokenOnNextLine(-1);
        break;
    case Qt::Key_Down:
        to = tokenOnNextLine(1);
        break;
    case Qt::Key_Home:
        to = ctrl ? m_doc->nextReviewable(-1, 1) : lineEnd(-1);
        break;
    case Qt::Key_End:
        to = ctrl ? m_doc->nextReviewable(m_doc->tokenCount(), -1) : lineEnd(1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_F2:
    case Qt::Key_Menu:
        showChoices();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (to >= 0)
        setCurrentToken(to);
}

bool ArticleReview::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && m_doc) {
        // Tab and Shift+Tab go from one reading to check to the next; past
        // the last one they leave the text as usual.
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            const int step = k->key() == Qt::Key_Tab && !(k->modifiers() & Qt::ShiftModifier) ? 1 : -1;
            const qsizetype to = m_doc->nextUncertain(m_current, step);
            if (to >= 0) {
                setCurrentToken(to);
                return true;
            }
        }
    } else if (event->type() == QEvent::ToolTip) {
        auto *h = static_cast<QHelpEvent *>(event);
        const QString tip = toolTipFor(tokenAt(h->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(h->globalPos(), tip, this, tokenRect(tokenAt(h->pos())));
        return true;
    }
    return QWidget::event(event);
}

bool ArticleReview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void ArticleReview::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(tokenRect(m_current).adjusted(-3, -3, 3, 3));
}

void ArticleReview::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(tokenRect(m_current).adjusted(-3, -3, 3, 3));
}

void ArticleReview::showChoices()
{
    if (!m_doc || !m_doc->isReviewable(m_current) || m_menu)
        return;
    const qsizetype t = m_current;
    const QString ch = m_doc->character(t);
    const QString current = m_doc->reading(t);
    // The current reading first, then the others in the annotator's order.
    QStringList readings = m_doc->candidates(t);
    readings.removeAll(current);
    readings.prepend(current);

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("readingChoices"));
    menu.setFont(Fonts::ming(11));
    QAction *active = nullptr;
    auto header = [&menu](const QString &text) {
        QAction *a = menu.addAction(text);
        a->setEnabled(false);
    };
    // This character's readings are a choice of one: the current one is
    // marked. The readings for the whole phrase are commands.
    auto *group = new QActionGroup(&menu);
    auto addChoices = [&](annotate::ChangeScope scope) {
        for (qsizetype i = 0; i < readings.size(); ++i) {
            const QString &r = readings[i];
            // This character's readings also answer to the digits 1 to 9,
            // as the candidates of an input method do.
            const bool numbered = scope == annotate::ChangeScope::ThisOccurrence && i < 9;
            QAction *a = menu.addAction(numbered ? QStringLiteral("&%1  %2").arg(i + 1).arg(r) : r);
            a->setData(r);
            if (scope == annotate::ChangeScope::ThisOccurrence) {
                a->setCheckable(true);
                a->setChecked(r == current);
                group->addAction(a);
                if (r == current)
                    active = a;
            }
            connect(a, &QAction::triggered, this, [this, r, scope] { applyReading(r, scope); });
        }
    };
    header(QStringLiteral("這個「%1」讀作：").arg(ch));
    addChoices(annotate::ChangeScope::ThisOccurrence);
    const qsizetype same = m_doc->samePhraseCount(t);
    if (same > 1) {
        const QString phrase = m_doc->phraseText(t);
        header(phrase.size() > ch.size()
                   ? QStringLiteral("所有「%1」的「%2」（%3 處）讀作：").arg(phrase, ch).arg(same)
                   : QStringLiteral("所有單獨的「%1」（%2 處）讀作：").arg(ch).arg(same));
        addChoices(annotate::ChangeScope::SamePhrase);
    }
    menu.addSeparator();
    QAction *other = menu.addAction(QStringLiteral("其他讀音…"));
    connect(other, &QAction::triggered, this, &ArticleReview::askOtherReading);

    // Under the character's symbols, the current reading selected.
    const QRect r = tokenRect(t);
    m_menu = &menu;
    if (active)
        QTimer::singleShot(0, &menu, [&menu, active] { menu.setActiveAction(active); });
    menu.exec(mapToGlobal(QPoint(r.left(), r.bottom() + 2)));
    m_menu = nullptr;
    // Back to the text, whatever was chosen.
    if (isVisible())
        setFocus(Qt::PopupFocusReason);
}

void ArticleReview::applyReading(const QString &reading, annotate::ChangeScope scope)
{
    if (!m_doc)
        return;
    if (m_doc->setReading(m_current, reading, scope).empty())
        return;
    emit readingsChanged();
    describe();
    update();
}

void ArticleReview::askOtherReading()
{
    const qsizetype t = m_current;
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("otherReading"));
    dialog.setWindowTitle(QStringLiteral("其他讀音"));
    dialog.setLabelText(QStringLiteral("「%1」的讀音（注音符號，或用注音鍵盤的按鍵輸入，例如 5j/ 是 ㄓㄨㄥ）：")
                            .arg(m_doc->character(t)));
    dialog.setTextValue(m_doc->reading(t));
    dialog.setFont(Fonts::ming(11));
    // Keys typed on the Zhuyin layout become their symbols as they are typed.
    if (auto *edit = dialog.findChild<QLineEdit *>()) {
        connect(edit, &QLineEdit::textEdited, edit, [edit](const QString &text) {
            const QString z = ZhuyinFromKeys(text);
            if (z != text)
                edit->setText(z);
        });
    }
    while (dialog.exec() == QDialog::Accepted) {
        const QString reading = ZhuyinFromKeys(dialog.textValue().trimmed());
        if (IsZhuyinSyllable(reading)) {
            m_current = t;
            applyReading(reading, annotate::ChangeScope::ThisOccurrence);
            return;
        }
        dialog.setLabelText(QStringLiteral("「%1」不是一個注音讀音，請再輸入一次（注音符號，聲調放在最後）：")
                                .arg(dialog.textValue()));
    }
}
