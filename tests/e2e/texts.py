"""The built-in texts as a learner types them, worked out independently of the
program: positions (symbols with the first-tone space) and the keys that type
them on the standard Zhuyin layout."""

import os

ROOT = os.path.join(os.path.dirname(__file__), "..", "..")
LESSONS = os.path.join(ROOT, "assets", "texts", "lessons.txt")

# Zhuyin symbol or tone mark -> the key (unshifted character) that types it.
KEYS = dict(zip(
    "ˊˇˋ˙ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙㄧㄨㄩㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦ",
    "6347" "1qaz" "2wsx" "edc" "rfv" "5tgb" "yhn" "ujm" "8ik," "9ol." "0p;/" "-"))
TONES = "˙ˊˇˋ "


def records():
    out, cur = {}, None
    with open(LESSONS, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if line.startswith("== "):
                _, menu, index, caption = line.split(" ", 3)
                cur = out.setdefault((menu, int(index)), {"caption": caption, "parts": []})
            elif line.startswith("|") and cur is not None:
                cur["parts"].append(line[1:])
    return out


def tokens(text):
    toks = text.split(" ")
    last = toks.pop().strip(" ")
    if last:
        toks.append(last)
    return [(t[:1], t[1:]) for t in toks]


def positions(menu, index):
    """The symbols to type, in order, for one built-in text."""
    rec = records()[(menu, index)]
    out = []
    for ch, reading in tokens("".join(rec["parts"])):
        if not reading:
            continue
        if reading[-1] not in TONES:
            reading += " "
        out.extend(reading)
    return out


def key_of(symbol):
    return " " if symbol == " " else KEYS.get(symbol, "")


def caption(menu, index):
    return records()[(menu, index)]["caption"]
