#pragma once
// Reading an article: a plain text file, UTF-8 or Big5 as practice files are,
// with the reasons it cannot be used.

#include <QString>
#include <QStringView>

struct ArticleSource {
    enum class Status {
        Ok,
        NotFound,    // no such file
        NotAFile,    // a folder or a device
        Unreadable,  // no permission, or a read error (error says which)
        TooLarge,    // more bytes than a practice text can come from
        Undecodable, // neither UTF-8 nor Big5 text (badLine: the first bad line)
    };
    Status status = Status::Ok;
    QString text;
    QString error;
    int badLine = 0;
};

ArticleSource ReadArticleFile(const QString &path);

// Decoded text checked for what no text file holds: a NUL, or bytes that
// neither UTF-8 nor Big5 decodes. Sets Undecodable and badLine.
ArticleSource ArticleFromText(QString text);

// Lines with something besides blanks: the paragraphs an article will have.
qsizetype ParagraphCount(QStringView text);
