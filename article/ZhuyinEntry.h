#pragma once
// A reading the learner types by hand: Zhuyin symbols, or the keys that type
// them on the standard Zhuyin layout ("5j/" is ㄓㄨㄥ, "3" the third tone).

#include <QString>

// The text with every key of the Zhuyin layout replaced by its symbol; a blank
// (the first tone) is dropped, other characters stay as they are.
QString ZhuyinFromKeys(const QString &text);

// One syllable as practice files write it: an initial, a medial and a final
// (each at most once, in that order, at least one of them), then at most one
// tone mark (none for the first tone).
bool IsZhuyinSyllable(const QString &reading);
