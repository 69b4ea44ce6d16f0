#!/usr/bin/env python3
"""lemald run on hostile input: nesting at and past the limits, a long bad value, a NUL in a
class name, a directory, an object whose connection failed, and streamed output.
Usage: lemald_limits.py LEMALD GOLDEN_SCRIPT (GOLDEN_SCRIPT.json beside .expected)"""
import json
import subprocess
import sys
import tempfile

LEMALD, GOLDEN = sys.argv[1], sys.argv[2]
failures = []


def run(script, *args):
    text = script if isinstance(script, str) else json.dumps(script)
    p = subprocess.run([LEMALD, "run", *args], input=text.encode(), capture_output=True)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def check(got, want, what):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def nested(depth):
    v = 1
    for _ in range(depth):
        v = {"$array": [v]}
    return v


def steps(*s):
    return {"steps": [{"op": "new", "class": "LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "as": "lk"}, *s]}


# Arrays nested to the limit go in and come back; one more is a script error.
rc, out, _ = run(steps({"op": "let", "obj": "lk", "prop": "IDLookup", "value": nested(64)},
                       {"op": "get", "obj": "lk", "prop": "IDLookup"}))
check((rc, json.loads(out)["results"][2]["value"] if rc == 0 else out), (0, nested(64)), "64 deep")
bad = {"op": "let", "obj": "lk", "prop": "IDLookup", "value": nested(65)}
check(run(steps(bad)), (2, "", "lemald: step 1: arrays nested more than 64 deep\n"), "65 deep")

# JSON nesting: 256 levels are read, deeper ones refused before anything runs.
deep = '{"steps": [{"op": "log", "x": %s%s}]}'
check(run(deep % ("[" * 253, "]" * 253))[:2], (0, '{"results":[{"log":[]}]}\n'), "256 levels")
check(run(deep % ("[" * 300000, "]" * 300000)),
      (2, "", "lemald: step 0: JSON nested more than 256 levels deep\n"), "300000 levels")

# Messages: a long value quoted by its first 200 characters, a NUL kept and shown.
rc, out, err = run(steps({"op": "let", "obj": "lk", "prop": "IDLookup",
                          "value": {"$date": "x" * 5000000}}))
check((rc, out, err), (2, "", "lemald: step 1: invalid $date: " + "x" * 200 + "... (5000000 bytes)\n"),
      "long value")
rc, out, _ = run(steps({"op": "new", "class": "LEMA\0X", "as": "x"}))
check(json.loads(out)["results"][1], {"error": "Cannot create an instance of LEMA\\u0000X"}, "NUL")
with tempfile.TemporaryDirectory() as d:
    p = subprocess.run([LEMALD, "run", d], capture_output=True, text=True)
    check((p.returncode, p.stderr), (2, f"lemald: cannot read {d}: it is a directory\n"), "directory")
rc, out, err = run({"steps": [{"op": "connection", "as": "db", "url": "nowhere://x"},
                              {"op": "close", "obj": "db"}]})
check((rc, out, err.startswith("lemald: step 1: no object named db: its connection failed at step 0: ")),
      (2, "", True), "failed connection")

# Streaming writes the same document; a script error then cuts it short.
with open(GOLDEN + ".json") as f, open(GOLDEN + ".expected") as e:
    check(run(f.read(), "--stream"), (0, e.read(), ""), "streamed golden")
check(run(steps({"op": "frobnicate"}), "--stream")[:2], (2, '{"results":[{"ok":true}'), "cut short")

for f in failures:
    print("FAILED:", f[:2000])
sys.exit(1 if failures else 0)
