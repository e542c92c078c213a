#pragma once
// The lines of a text, one at a time: CR LF, LF and a lone CR each end a
// line, and a last line without an end is still a line; an end at the very
// end of the text starts no empty line after it.

#include <QStringView>

class TextLines
{
public:
    explicit TextLines(QStringView text) : m_text(text) {}

    // The next line, without its end; false once the text is used up.
    bool next(QStringView &line)
    {
        const qsizetype n = m_text.size();
        if (m_at >= n)
            return false;
        qsizetype end = m_at;
        while (end < n && m_text[end] != u'\n' && m_text[end] != u'\r')
            ++end;
        line = m_text.mid(m_at, end - m_at);
        m_at = end;
        if (m_at < n)
            m_at += (m_text[m_at] == u'\r' && m_at + 1 < n && m_text[m_at + 1] == u'\n') ? 2 : 1;
        return true;
    }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};
