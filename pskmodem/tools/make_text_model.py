#!/usr/bin/env python3
"""Writes src/rx/text_model_table.inc: how likely each character is after each other one.

The text decoder (src/rx/text_decoder.h) weighs what the symbols say against this table.
It is counted from two kinds of text:
  - English prose: the licence texts every Debian system carries in
    /usr/share/common-licenses (GPL-3, LGPL-3, Apache-2.0, GFDL-1.3, Artistic, MPL-2.0);
  - keyboard contacts as amateurs send them: made up below from the usual pattern of a
    contact (calls, reports, names, places, station, weather, sign-off), with call signs,
    numbers and names drawn at random, so that no call sign or name is more likely than
    another.
Run it from the pskmodem directory: tools/make_text_model.py > src/rx/text_model_table.inc
"""
import math
import os
import random
import sys

LICENCES = ["GPL-3", "LGPL-3", "Apache-2.0", "GFDL-1.3", "Artistic", "MPL-2.0"]


def prose():
    out = []
    for name in LICENCES:
        path = os.path.join("/usr/share/common-licenses", name)
        if os.path.exists(path):
            with open(path, encoding="utf-8", errors="ignore") as f:
                text = f.read()
            # Paragraphs become lines; the hard line breaks inside them, spaces.
            for para in text.split("\n\n"):
                words = para.split()
                if words:
                    out.append(" ".join(words) + "\r\n")
    return "".join(out)


def contacts(rng, count):
    letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"

    def call():
        p = rng.choice(letters) + (rng.choice(letters + "0123456789") if rng.random() < 0.7 else "")
        return p + rng.choice("0123456789") + "".join(rng.choice(letters) for _ in range(rng.randint(1, 3)))

    def name():
        n = "".join(rng.choice("bcdfghjklmnprstvwz") + rng.choice("aeiou") for _ in range(rng.randint(1, 3)))
        return n.capitalize() if rng.random() < 0.5 else n.upper()

    def num(lo, hi):
        return str(rng.randint(lo, hi))

    def rst():
        return "5" + num(1, 9) + "9"

    def low(s):
        return s.lower() if rng.random() < 0.5 else s

    pieces = [
        lambda a, b: "CQ CQ CQ de {a} {a} {a} pse k".format(a=a),
        lambda a, b: "{b} de {a} {a} pse kn".format(a=a, b=b),
        lambda a, b: low("{b} de {a} good {t}, thanks for the call.".format(
            a=a, b=b, t=rng.choice(["morning", "afternoon", "evening"]))),
        lambda a, b: low("ur rst is {r} {r}".format(r=rst())),
        lambda a, b: "Your report is {r} here.".format(r=rst()),
        lambda a, b: low("name here is {n} {n}".format(n=name())),
        lambda a, b: "My name is {n} and my QTH is {q}.".format(n=name(), q=name()),
        lambda a, b: low("qth is {q}, locator {l}".format(
            q=name(), l=rng.choice(letters) + rng.choice(letters) + num(10, 99) + rng.choice(letters).lower() * 2)),
        lambda a, b: "The rig is a {r} running {w} watts into a {t}.".format(
            r=name(), w=num(5, 100), t=rng.choice(["dipole", "vertical", "loop", "beam", "long wire", "windom"])),
        lambda a, b: low("ant is a {t} at {h} m".format(
            t=rng.choice(["dipole", "vertical", "loop", "yagi", "end fed wire"]), h=num(5, 30))),
        lambda a, b: "The weather here is {w} and {t} degrees.".format(
            w=rng.choice(["sunny", "cloudy", "rainy", "windy", "cold", "warm", "grey"]), t=num(0, 35)),
        lambda a, b: low("wx {w} temp {t} c".format(w=rng.choice(["sunny", "cloudy", "rain", "snow", "fog"]), t=num(0, 35))),
        lambda a, b: "It is {h}:{m} UTC and the band is {s} today.".format(
            h=num(10, 23), m=num(10, 59), s=rng.choice(["quiet", "busy", "open", "noisy"])),
        lambda a, b: low("hw cpy? {b} de {a} kn".format(a=a, b=b)),
        lambda a, b: low("tnx fer qso es hpe cuagn. 73 es gud dx {b} de {a} sk".format(a=a, b=b)),
        lambda a, b: "Thanks for the nice contact, 73 and best wishes. {b} de {a} SK".format(a=a, b=b),
        lambda a, b: low("qsl via bureau or lotw, {q}".format(q=rng.choice(["tnx", "pse qsl", "will qsl"]))),
        lambda a, b: "I am using a computer and sound card with this program on {f} kHz.".format(f=num(3500, 28200)),
        lambda a, b: low("btu {b} de {a}".format(a=a, b=b)),
    ]
    out = []
    for _ in range(count):
        a, b = call(), call()
        k = rng.randint(3, 8)
        lines = [rng.choice(pieces)(a, b) for _ in range(k)]
        out.append("\r\n".join(lines) + "\r\n")
    return "".join(out)


def main():
    rng = random.Random(31)
    text = prose()
    text += contacts(rng, max(300, len(text) // 250))
    uni = [0.5] * 128
    pair = [[0] * 128 for _ in range(128)]
    prev = ord(" ")
    for ch in text:
        c = ord(ch)
        if c >= 128:
            continue
        uni[c] += 1
        pair[prev][c] += 1
        prev = c
    total = sum(uni)
    # log P(c | prev) in eighths of a nat, smoothed towards the single characters' rates;
    # the 8-bit entries hold it down to -127/8.
    rows = []
    for p in range(128):
        n = sum(pair[p])
        w = n / (n + 20.0)
        row = []
        for c in range(128):
            prob = (w * pair[p][c] / n if n else 0.0) + (1 - w) * uni[c] / total
            row.append(max(-127, round(8 * math.log(prob))))
        rows.append(row)
    print("// Generated by tools/make_text_model.py from %d characters of text; do not edit." % len(text))
    print("// Row: the previous character; column: the next; entry: 8 * ln P(next | previous).")
    for row in rows:
        print("{" + ",".join(str(v) for v in row) + "},")


if __name__ == "__main__":
    sys.exit(main())
