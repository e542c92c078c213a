#pragma once
// The built-in practice texts: 18 lessons of the basic course, 18 poems and
// 10 prose pieces, compiled in as data (assets/texts/lessons.txt).

#include <QString>
#include <QStringList>

#include "practice/TokenTable.h"

namespace Lessons {

enum class Menu { Base, Doc, ClassDoc };

// Number of items of a menu: 18, 18 and 10.
int count(Menu menu);
// The item's menu caption; empty outside 1 … count.
QString caption(Menu menu, int index);
// The string parts that, joined, form the item's source text.
QStringList parts(Menu menu, int index);

} // namespace Lessons

// The source text of an item: its parts joined; empty outside 1 … N.
QString GetBaseText(qint16 index);
QString GetDocText(qint16 index);
QString GetClassDocText(qint16 index);

// Cuts a source text into tokens at single blanks (U+0020; the full-width
// space is an ordinary character). A run of three blanks yields two empty
// tokens. The text is consumed: it keeps what followed the last blank.
void SplitLessonText(TokenTable &table, QString &text);
