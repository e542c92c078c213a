#pragma once
// An article under review: the annotated text, the tokens the text window
// lays out, which character each token came from, the learner's changes of
// reading, and the practice file it can be saved as. No widget here.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "annotate/Annotator.h"
#include "practice/TokenTable.h"

class ArticleDocument {
public:
    // name: the file name shown in the title; path: the file read (empty for
    // pasted text).
    ArticleDocument(annotate::Annotation annotation, QString name, QString path);

    const annotate::Annotation &annotation() const { return m_annotation; }
    const QString &name() const { return m_name; }
    const QString &path() const { return m_path; }
    bool isPasted() const { return m_path.isEmpty(); }

    // The token table to lay out: one token per character, a paragraph break
    // as a full-width space.
    TokenTable tokens() const;
    qsizetype tokenCount() const { return static_cast<qsizetype>(m_origins.size()); }
    // Tells the document the readings as laid out (a first-tone syllable ends
    // in the blank that types it), to know which positions each token has.
    void setLaidOut(const TokenTable &laidOut);
    // Positions of token t (0-based): the first (1-based) and how many.
    int firstPosition(qsizetype t) const;
    int positionCount(qsizetype t) const;

    // A token whose reading the learner may change: a Han character.
    bool isReviewable(qsizetype t) const;
    bool isUncertain(qsizetype t) const;
    bool isChanged(qsizetype t) const;
    QString character(qsizetype t) const;
    QString reading(qsizetype t) const;
    QStringList candidates(qsizetype t) const;
    // The phrase token t was read in ("銀行" for 行 in 銀行), and how many
    // characters a change for the whole phrase would reach.
    QString phraseText(qsizetype t) const;
    qsizetype samePhraseCount(qsizetype t) const;
    qsizetype uncertainCount() const;

    // Changes the reading of token t, here or wherever the same phrase
    // occurs; returns the tokens changed.
    std::vector<qsizetype> setReading(qsizetype t, const QString &reading,
                                      annotate::ChangeScope scope);

    // The next reviewable (or uncertain) token after t in direction step
    // (+1 or -1); -1 when there is none. t = -1 with step +1 finds the first.
    qsizetype nextReviewable(qsizetype t, int step) const;
    qsizetype nextUncertain(qsizetype t, int step) const;

    // Saving as a practice file.
    enum class Encoding { Utf8, Big5 };
    qsizetype practiceFileLines() const { return tokenCount(); }
    // True when code page 950 holds every character of the practice file.
    bool fitsBig5() const;
    // The practice file: one line per token, CR LF line ends.
    QByteArray practiceFileBytes(Encoding encoding) const;

private:
    qsizetype tokenOf(annotate::ItemRef r) const;

    annotate::Annotation m_annotation;
    QString m_name;
    QString m_path;
    std::vector<annotate::ItemRef> m_origins;   // token → item
    std::vector<std::vector<qint32>> m_tokenOf; // [line][item] → token
    std::vector<int> m_firstPosition;           // token → first position (1-based)
    std::vector<int> m_positionCount;
};
