#!/usr/bin/env python3
"""Lists the phrases whose reading in libchewing's table differs from the
Ministry of Education's concise dictionary (教育部《國語辭典簡編本》), and the
character readings its phrases use that neither the dictionary nor gcin's
table lists, as lines for assets/annotate/corrections.txt.

The dictionary's entries with their readings are published by the Ministry
under CC BY-ND 3.0 TW; g0v's moedict-data repository carries them as
dict-concised.audio.json ({"詞.注音": id}). Usage:

    scripts/moe-corrections.py dict-concised.audio.json [chewing folder] [pho.tab2] > generated.txt

A character's reading becomes a substitution when libchewing's phrases use it,
it is no neutral tone, neither the dictionary nor gcin lists it for the
character, and the two agree on exactly one other reading (a neutral tone
aside), which replaces it; and it is used by five phrases or more (a reading
only a few fixed expressions use is more often a literary reading of theirs
than a mistake).

A phrase is listed when it contains a listed phrase that it reads otherwise;
and when the dictionary gives it exactly one reading and the
table's most frequent reading (or every one of several tied ones) differs
from it, 一 and 不 compared at their dictionary tones (ㄧ, ㄅㄨˋ).
"""
import json
import re
import struct
import sys

INITIALS = "ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙ"
MEDIALS = "ㄧㄨㄩ"
FINALS = "ㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦ"
TONES = ["", "˙", "ˊ", "ˇ", "ˋ"]
LETTERS = set(INITIALS + MEDIALS + FINALS)


def phone_text(key):
    i, m, f, t = key >> 9, (key >> 7) & 3, (key >> 3) & 15, key & 7
    if i > 21 or f > 13 or t > 4 or not (i or m or f):
        return None
    return ((INITIALS[i - 1] if i else "") + (MEDIALS[m - 1] if m else "")
            + (FINALS[f - 1] if f else "") + TONES[t])


def chewing_phrases(folder):
    tree = open(folder + "/index_tree.dat", "rb").read()
    words = open(folder + "/dictionary.dat", "rb").read()

    def node(i):
        key, = struct.unpack_from("<H", tree, i * 8)
        return (key, int.from_bytes(tree[i * 8 + 2:i * 8 + 5], "little"),
                int.from_bytes(tree[i * 8 + 5:i * 8 + 8], "little"))

    phrases = {}
    _, a, b = node(0)
    stack = [(j, ()) for j in range(a, b)]
    while stack:
        i, path = stack.pop()
        key, a, b = node(i)
        path = path + (phone_text(key),)
        for j in range(a, b):
            k, offset, freq = node(j)
            if k:
                stack.append((j, path))
                continue
            text = words[offset:words.index(b"\0", offset)].decode()
            if len(text) == len(path) >= 2 and None not in path:
                phrases.setdefault(text, []).append((path, freq))
    return phrases


def gcin_readings(path):
    data = open(path, "rb").read()
    n_idx, = struct.unpack_from("<H", data, 2)
    n_items, = struct.unpack_from("<i", data, 4)
    items_at = 12 + n_idx * 4
    readings = {}
    for i in range(n_idx):
        phone, first = struct.unpack_from("<HH", data, 12 + i * 4)
        last = struct.unpack_from("<H", data, 12 + (i + 1) * 4 + 2)[0] if i + 1 < n_idx else n_items
        text = phone_text(phone)
        for item in range(first, last):
            c = data[items_at + item * 8:items_at + item * 8 + 4].split(b"\0")[0].decode("utf-8", "ignore")
            if len(c) == 1 and text:
                readings.setdefault(c, set()).add(text)
    return readings


def syllables(reading):
    """'ㄨㄛˇ˙ㄇㄣ' -> ['ㄨㄛˇ', 'ㄇㄣ˙']; a first tone ends at a full-width space."""
    out, i = [], 0
    while i < len(reading):
        neutral = reading[i] == "˙"
        i += neutral
        s = ""
        while i < len(reading) and reading[i] in LETTERS:
            s += reading[i]
            i += 1
        if not s:
            return None
        tone = ""
        if i < len(reading) and reading[i] in "ˊˇˋ":
            tone = reading[i]
            i += 1
        elif i < len(reading) and reading[i] == "\u3000":
            i += 1
        if not re.fullmatch(f"[{INITIALS}]?[{MEDIALS}]?[{FINALS}]?", s):
            return None  # a slip in the data: no syllable
        out.append(s + ("˙" if neutral else tone))
    return out


def dictionary_tones(word, reading):
    r = list(reading)
    for k, c in enumerate(word):
        if c == "一" and r[k].rstrip("ˊˇˋ˙") == "ㄧ":
            r[k] = "ㄧ"
        if c == "不" and r[k].rstrip("ˊˇˋ˙") == "ㄅㄨ":
            r[k] = "ㄅㄨˋ"
    return tuple(r)


def main():
    moe = {}
    for key in json.load(open(sys.argv[1])):
        word, _, reading = key.partition(".")
        s = syllables(re.sub("（[^）]*）", "", reading))
        if s and len(s) == len(word):
            moe.setdefault(word, set()).add(dictionary_tones(word, s))
    phrases = chewing_phrases(sys.argv[2] if len(sys.argv) > 2 else "/usr/share/libchewing")
    out = []
    for word, readings in phrases.items():
        if len(moe.get(word, ())) != 1:
            continue
        (standard,) = moe[word]
        best = max(f for _, f in readings)
        top = {dictionary_tones(word, r) for r, f in readings if f == best}
        if top != {standard}:
            out.append((word, standard))
    # A corrected phrase is read as corrected inside longer phrases of the
    # table too; a longer phrase the dictionary reads otherwise is listed.
    corrected = dict(out)
    for word, readings in phrases.items():
        if word in corrected or len(moe.get(word, ())) != 1:
            continue
        (standard,) = moe[word]
        for i in range(len(word)):
            for j in range(i + 2, len(word) + 1):
                inner = corrected.get(word[i:j])
                if j - i < len(word) and inner and inner != standard[i:j]:
                    out.append((word, standard))
                    break
            else:
                continue
            break
    gcin = gcin_readings(sys.argv[3] if len(sys.argv) > 3
                         else "/usr/lib/x86_64-linux-gnu/gcin/table/pho.tab2")
    used = {}
    for word, readings in phrases.items():
        for reading, _ in readings:
            for c, r in zip(word, reading):
                used.setdefault(c, {}).setdefault(r, 0)
                used[c][r] += 1
    substitutions = []
    for c, readings in used.items():
        if c in "一不" or c not in moe or c not in gcin:
            continue
        listed = {r[0] for r in moe[c] if len(r) == 1}
        agreed = {r for r in listed & gcin[c] if not r.endswith("˙")}
        for r, uses in readings.items():
            if (uses >= 5 and not r.endswith("˙") and r not in listed and r not in gcin[c]
                    and len(agreed) == 1):
                substitutions.append((c, r, next(iter(agreed))))
    print("# Characters (scripts/moe-corrections.py)")
    for c, r, standard in sorted(substitutions):
        print(f"{c}\t{r}>{standard}\t簡編本「{c}」、gcin 皆只收{standard}")
    print()
    print("# Phrases (scripts/moe-corrections.py)")
    for word, standard in sorted(out):
        print(f"{word}\t{' '.join(standard)}\t簡編本「{word}」")


if __name__ == "__main__":
    main()
