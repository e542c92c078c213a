#!/usr/bin/env python3
"""Lists the phrases whose reading in libchewing's table differs from the
Ministry of Education's concise dictionary (教育部《國語辭典簡編本》), as lines
for assets/annotate/corrections.txt.

The dictionary's entries with their readings are published by the Ministry
under CC BY-ND 3.0 TW; g0v's moedict-data repository carries them as
dict-concised.audio.json ({"詞.注音": id}). Usage:

    scripts/moe-corrections.py dict-concised.audio.json > generated.txt

A phrase is listed when the dictionary gives it exactly one reading and the
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
    for word, standard in sorted(out):
        print(f"{word}\t{' '.join(standard)}\t簡編本「{word}」")


if __name__ == "__main__":
    main()
