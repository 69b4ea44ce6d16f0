#!/usr/bin/env python3
"""lemald run on hostile input: nesting at and past the limits, a long bad value, a NUL in a
class name, a directory, an object whose connection failed, and streamed output.
Usage: lemald_limits.py LEMALD GOLDEN (GOLDEN.json and GOLDEN.expected)"""
import json, subprocess, sys, tempfile

LEMALD, GOLDEN = sys.argv[1], sys.argv[2]
failures = []


def run(script, *args):
    text = script if isinstance(script, str) else json.dumps(script)
    p = subprocess.run([LEMALD, "run", *args], input=text.encode(), capture_output=True)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def check(got, want, what):
    if got != want:
        failures.append(f"{what}: got {str(got)[:500]}, want {str(want)[:500]}")


def nested(depth):
    return 1 if depth == 0 else {"$array": [nested(depth - 1)]}


def lookup(*steps):
    return {"steps": [{"op": "new", "class": "LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "as": "lk"}, *steps]}


def let(value):
    return {"op": "let", "obj": "lk", "prop": "IDLookup", "value": value}


rc, out, _ = run(lookup(let(nested(64)), {"op": "get", "obj": "lk", "prop": "IDLookup"}))
check(json.loads(out)["results"][2]["value"] if rc == 0 else rc, nested(64), "64 deep")
check(run(lookup(let(nested(65)))), (2, "", "lemald: step 1: arrays nested more than 64 deep\n"),
      "65 deep")
deep = '{"steps": [{"op": "log", "x": %s%s}]}'
check(run(deep % ("[" * 253, "]" * 253)), (0, '{"results":[{"log":[]}]}\n', ""), "256 levels")
check(run(deep % ("[" * 300000, "]" * 300000)),
      (2, "", "lemald: step 0: JSON nested more than 256 levels deep\n"), "300000 levels")

check(run(lookup(let({"$date": "x" * 5000000}))),
      (2, "", "lemald: step 1: invalid $date: " + "x" * 200 + "... (5000000 bytes)\n"), "long value")
rc, out, _ = run(lookup({"op": "new", "class": "LEMA\0X", "as": "x"}))
check(out, '{"results":[{"ok":true},{"error":"Cannot create an instance of LEMA\\\\u0000X"}]}\n',
      "NUL")
with tempfile.TemporaryDirectory() as d:
    p = subprocess.run([LEMALD, "run", d], capture_output=True, text=True)
    check((p.returncode, p.stderr), (2, f"lemald: cannot read {d}: it is a directory\n"), "directory")
rc, out, err = run({"steps": [{"op": "connection", "as": "db", "url": "nowhere://x"},
                              {"op": "close", "obj": "db"}]})
check((rc, err.split(": ")[:4]), (2, ["lemald", "step 1", "no object named db",
                                     "its connection failed at step 0"]), "failed connection")

with open(GOLDEN + ".json") as f, open(GOLDEN + ".expected") as e:
    check(run(f.read(), "--stream"), (0, e.read(), ""), "streamed")
check(run(lookup({"op": "frobnicate"}), "--stream")[:2], (2, '{"results":[{"ok":true}'),
      "streamed, cut short by a script error")

for f in failures:
    print("FAILED:", f)
sys.exit(1 if failures else 0)
