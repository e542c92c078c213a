#include "article/ArticleDocument.h"

#include "practice/Big5.h"
#include "practice/TextLayout.h"

using annotate::ItemRef;

ArticleDocument::ArticleDocument(annotate::Annotation annotation, QString name, QString path)
    : m_annotation(std::move(annotation)), m_name(std::move(name)), m_path(std::move(path))
{
    annotate::toTokenTable(m_annotation, &m_origins);
    m_tokenOf.resize(m_annotation.lines.size());
    for (std::size_t l = 0; l < m_annotation.lines.size(); ++l)
        m_tokenOf[l].assign(m_annotation.lines[l].items.size(), -1);
    for (std::size_t t = 0; t < m_origins.size(); ++t) {
        const ItemRef r = m_origins[t];
        if (r.isValid())
            m_tokenOf[r.line][r.item] = static_cast<qint32>(t);
    }
}

TokenTable ArticleDocument::tokens() const
{
    return annotate::toTokenTable(m_annotation);
}

void ArticleDocument::setLaidOut(const TokenTable &laidOut)
{
    m_firstPosition.assign(m_origins.size(), 0);
    m_positionCount.assign(m_origins.size(), 0);
    int next = 1;
    for (qsizetype t = 0; t < laidOut.size() && t < tokenCount(); ++t) {
        const int n = static_cast<int>(SplitCharacters(laidOut.readings[t]).size());
        m_firstPosition[t] = next;
        m_positionCount[t] = n;
        next += n;
    }
}

int ArticleDocument::firstPosition(qsizetype t) const
{
    return t >= 0 && t < static_cast<qsizetype>(m_firstPosition.size()) ? m_firstPosition[t] : 0;
}

int ArticleDocument::positionCount(qsizetype t) const
{
    return t >= 0 && t < static_cast<qsizetype>(m_positionCount.size()) ? m_positionCount[t] : 0;
}

qsizetype ArticleDocument::tokenOf(ItemRef r) const
{
    if (!r.isValid() || r.line >= static_cast<qint32>(m_tokenOf.size())
        || r.item >= static_cast<qint32>(m_tokenOf[r.line].size()))
        return -1;
    return m_tokenOf[r.line][r.item];
}

bool ArticleDocument::isReviewable(qsizetype t) const
{
    return t >= 0 && t < tokenCount() && m_origins[t].isValid()
           && m_annotation.at(m_origins[t]).kind == annotate::Item::Kind::Han;
}

bool ArticleDocument::isUncertain(qsizetype t) const
{
    return isReviewable(t) && m_annotation.at(m_origins[t]).uncertain;
}

bool ArticleDocument::isChanged(qsizetype t) const
{
    return isReviewable(t) && m_annotation.at(m_origins[t]).changed;
}

QString ArticleDocument::character(qsizetype t) const
{
    return t >= 0 && t < tokenCount() && m_origins[t].isValid() ? m_annotation.at(m_origins[t]).text
                                                                 : QString();
}

QString ArticleDocument::reading(qsizetype t) const
{
    return t >= 0 && t < tokenCount() && m_origins[t].isValid() ? m_annotation.at(m_origins[t]).reading
                                                                 : QString();
}

QStringList ArticleDocument::candidates(qsizetype t) const
{
    return isReviewable(t) ? m_annotation.at(m_origins[t]).candidates : QStringList();
}

QString ArticleDocument::phraseText(qsizetype t) const
{
    return isReviewable(t) ? m_annotation.phraseText(m_origins[t]) : QString();
}

qsizetype ArticleDocument::samePhraseCount(qsizetype t) const
{
    if (!isReviewable(t))
        return 0;
    // What a change for the whole phrase would reach, found by making it on
    // a copy: the count is then the annotator's own idea of "the same phrase".
    annotate::Annotation copy = m_annotation;
    const ItemRef r = m_origins[t];
    return static_cast<qsizetype>(
        annotate::setReading(copy, r, m_annotation.at(r).reading, annotate::ChangeScope::SamePhrase).size());
}

qsizetype ArticleDocument::uncertainCount() const
{
    qsizetype n = 0;
    for (qsizetype t = 0; t < tokenCount(); ++t)
        n += isUncertain(t);
    return n;
}

std::vector<qsizetype> ArticleDocument::setReading(qsizetype t, const QString &reading,
                                                   annotate::ChangeScope scope)
{
    std::vector<qsizetype> changed;
    if (!isReviewable(t))
        return changed;
    for (const ItemRef r : annotate::setReading(m_annotation, m_origins[t], reading, scope)) {
        const qsizetype token = tokenOf(r);
        if (token >= 0)
            changed.push_back(token);
    }
    return changed;
}

qsizetype ArticleDocument::nextReviewable(qsizetype t, int step) const
{
    for (qsizetype i = t + step; i >= 0 && i < tokenCount(); i += step) {
        if (isReviewable(i))
            return i;
    }
    return -1;
}

qsizetype ArticleDocument::nextUncertain(qsizetype t, int step) const
{
    for (qsizetype i = t + step; i >= 0 && i < tokenCount(); i += step) {
        if (isUncertain(i))
            return i;
    }
    return -1;
}

bool ArticleDocument::fitsBig5() const
{
    const QString text = annotate::toPracticeFileText(m_annotation);
    return Big5::decode(Big5::encode(text)) == text;
}

QByteArray ArticleDocument::practiceFileBytes(Encoding encoding) const
{
    QString text = annotate::toPracticeFileText(m_annotation);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return encoding == Encoding::Big5 ? Big5::encode(text) : text.toUtf8();
}
