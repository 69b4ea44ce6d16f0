#!/usr/bin/env python3
"""Writes the seed corpus of lema_fuzz (fuzz/corpus/): for each of the three instances and
each member slot, a call with plain arguments, under varying host, stand-in and guard
settings; and a few runs that let settings before calling. The layout is described at the
head of lema_fuzz.cpp. Run from the repository root; the output is deterministic."""
import os
import random
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def long_(n):
    return bytes([4]) + struct.pack("<i", n)


def text(s):
    b = s.encode()
    return bytes([8]) + struct.pack("<H", len(b)) + b


def obj(i):
    return bytes([12, i])


def op(target, kind, member, args):
    return bytes([target, kind, member, len(args)]) + b"".join(args)


def main():
    os.makedirs(OUT, exist_ok=True)
    for f in os.listdir(OUT):
        os.remove(os.path.join(OUT, f))
    rnd = random.Random(7)
    n = 0
    for target, slots in ((0, 100), (1, 45), (2, 75)):
        for member in range(slots):
            flags = rnd.randrange(256) & ~0xF0 if member % 3 else rnd.randrange(256)
            stand_ins = rnd.randrange(8) << 3 if member % 4 == 0 else 0
            args = [obj(0), long_(1), text("A1"), long_(12), text("CG14_GRUPPO"), long_(0)]
            data = bytes([flags, stand_ins]) + op(target, 3, member, args)
            data += op(target, 0, member, [])
            with open(os.path.join(OUT, "t%d_m%03d" % (target, member)), "wb") as f:
                f.write(data)
            n += 1
    for i in range(24):
        data = bytes([rnd.randrange(256), 0])
        for _ in range(6):
            target = rnd.randrange(3)
            data += op(target, 1, rnd.randrange(100), [text(rnd.choice(["1", "A'B", "2024-03-15", " "]))])
        data += op(rnd.randrange(3), 3, rnd.randrange(100), [obj(0), long_(1), long_(2), text("x")])
        data += bytes([250, 11, 1, 14, 7, 3, 0, 0, 0])  # a pick
        with open(os.path.join(OUT, "mix%02d" % i), "wb") as f:
            f.write(data)
        n += 1
    print("%d seeds in %s" % (n, OUT))


if __name__ == "__main__":
    main()
