#!/usr/bin/python3
"""Golden statements (dumped by lema_tests) parsed by sqlglot as T-SQL, plus token rules for
what it lets through.   check.py LEMA_TESTS"""
import json, os, re, subprocess, sys, tempfile

import sqlglot  # Debian's python3-sqlglot

# Empty, Null, an array or a quote are placed as they are: not parsed.
PLACED_AS_IS = re.compile(r"\b(empty|null|array)\b|\"\"|'")
# Invalid by design (LettereIntento without settings: an empty company); one that parses fails,
# which also shows the checker still refuses something.
EXPECTED_INVALID = {"L.LettereIntento ()"} | {
    f'L.LettereIntento TipoCF=0 CodCliFor=25 DataDocumento="{d}" NumRegistrazione="R1" '
    "TipoOperazionePlafond=2" for d in ("31/12/2023", "not a date")}
TOKEN_RULES = [
    (r",\s*(FROM|WHERE|ORDER|GROUP|UNION|\))", "a comma before {0}"),
    (r"\(\s*,|,\s*,", "an empty argument or list item"),
    (r"\b(SELECT|BY|WHERE|AND|OR|ON|THEN|ELSE)\s*(,|\)|$)", "nothing after {0}"),
    (r"\bGROUP\s+BY\s+(ORDER|$)", "an empty GROUP BY"),
]


def check(sql):
    if not sql.strip():
        return "no statement"
    try:
        sqlglot.parse_one(sql, read="tsql")
    except Exception as e:
        return f"{type(e).__name__}: {str(e).splitlines()[0][:160]}"
    bare = re.sub(r"'(?:[^']|'')*'", "''", sql)
    for rule, what in TOKEN_RULES:
        if m := re.search(rule, bare, re.I):
            return what.format(*m.groups()) + " near: " + bare[max(0, m.start() - 40):m.end() + 10]
    return None


with tempfile.TemporaryDirectory() as tmp:
    dump = os.path.join(tmp, "statements.jsonl")
    subprocess.run([sys.argv[1], "--gtest_filter=Data/Golden.EveryPathWithEveryHost/*"], check=True,
                   capture_output=True, env=dict(os.environ, LEMA_DUMP_STATEMENTS=dump))
    rows = [json.loads(line) for line in open(dump, encoding="utf-8")]
statements = {r["label"]: r["sql"] for r in rows if r["host"] in (0, 5)}  # no host, as given
failed, passed = [], 0
for label, sql in sorted(statements.items()):
    problem = check(sql)
    if label in EXPECTED_INVALID:
        if problem is None:
            failed.append(f"{label}: listed, but it parses")
    elif problem and not PLACED_AS_IS.search(label):
        failed.append(f"{label}: {problem}\n    {json.dumps(sql)[:400]}")
    passed += not problem
print(*("FAIL " + f for f in failed), f"{passed} passed, {len(failed)} failed", sep="\n")
sys.exit(1 if failed else 0)
