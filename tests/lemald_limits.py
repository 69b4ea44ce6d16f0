"""lemald run on hostile input, and streamed.   lemald_limits.py LEMALD GOLDEN (.json, .expected)"""
import json, subprocess, sys, tempfile

LEMALD, GOLDEN = sys.argv[1], sys.argv[2]


def nested(depth):
    return 1 if depth == 0 else {"$array": [nested(depth - 1)]}


def lookup(*steps):
    return {"steps": [{"op": "new", "class": "LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "as": "lk"}, *steps]}


def let(value):
    return {"op": "let", "obj": "lk", "prop": "IDLookup", "value": value}


def deep(n):
    return '{"steps": [{"op": "log", "x": ' + "[" * n + "]" * n + "}]}"


tmp = tempfile.mkdtemp()
ok = '{"results":[{"ok":true},{"ok":true},{"value":%s}]}\n' % json.dumps(nested(64), separators=(",", ":"))
cases = [
    (lookup(let(nested(64)), {"op": "get", "obj": "lk", "prop": "IDLookup"}), 0, ok, ""),
    (lookup(let(nested(65))), 2, "", "lemald: step 1: arrays nested more than 64 deep\n"),
    (deep(253), 0, '{"results":[{"log":[]}]}\n', ""),
    (deep(300000), 2, "", "lemald: step 0: JSON nested more than 256 levels deep\n"),
    (lookup(let({"$date": "x" * 5000000})), 2, "",
     "lemald: step 1: invalid $date: " + "x" * 200 + "... (5000000 bytes)\n"),
    (("", tmp), 2, "", f"lemald: cannot read {tmp}: it is a directory\n"),
    ({"steps": [{"op": "connection", "as": "db", "url": "nowhere://x"}, {"op": "close", "obj": "db"}]},
     2, "", "lemald: step 1: no object named db: its connection failed at step 0: "),
    ((open(GOLDEN + ".json").read(), "--stream"), 0, open(GOLDEN + ".expected").read(), ""),
    ((lookup({"op": "frobnicate"}), "--stream"), 2, '{"results":[{"ok":true}', "lemald: step 1: "),
]
failures = 0
for script, *want in cases:
    script, *args = script if isinstance(script, tuple) else (script,)
    text = script if isinstance(script, str) else json.dumps(script)
    p = subprocess.run([LEMALD, "run", *args], input=text.encode(), capture_output=True)
    got = [p.returncode, p.stdout.decode(), p.stderr.decode()]
    if want[2].endswith(": "):
        got[2] = got[2][:len(want[2])]
    if got != want:
        failures += 1
        print(f"FAILED: {text[:100]}: got {str(got)[:500]}, want {str(want)[:500]}")
sys.exit(1 if failures else 0)
