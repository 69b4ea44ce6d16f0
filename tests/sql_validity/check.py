#!/usr/bin/python3
"""Parses every statement of the golden data (each path as the library produces it without
a host, written by lema_tests with LEMA_DUMP_STATEMENTS) as SQL Server's dialect with
sqlglot, so that a mistyped piece that breaks the syntax cannot land. sqlglot's parser lets
a few broken forms through (a comma before FROM, an empty argument, an empty GROUP BY); a
token check outside the quoted texts catches those.

Usage: check.py PATH/TO/lema_tests
"""
import json
import os
import re
import subprocess
import sys
import tempfile

try:
    import sqlglot
except ImportError:  # pragma: no cover - reported as a failure of the test
    print("sql_validity: python3-sqlglot is not installed (apt-get install python3-sqlglot)")
    sys.exit(1)

# A path that passes an Empty, Null or unjoinable value, or one with a quote in it, gets the
# statement the library's rules give (values are placed as they are): it is not parsed.
PLACED_AS_IS = re.compile(r"\b(empty|null|array)\b|\"\"|'")
# Other paths whose statements are invalid by those rules; the check fails when one of them
# parses after all (the list is then out of date).
EXPECTED_INVALID = {
    "L.LettereIntento ()": "with no settings the company, kind and code arguments are empty",
    "L.LettereIntento TipoCF=0 CodCliFor=25 DataDocumento=\"31/12/2023\" NumRegistrazione=\"R1\" "
    "TipoOperazionePlafond=2": "the company argument is empty",
    "L.LettereIntento TipoCF=0 CodCliFor=25 DataDocumento=\"not a date\" NumRegistrazione=\"R1\" "
    "TipoOperazionePlafond=2": "the company argument is empty",
}


def outside_quotes(sql):
    """The statement with every quoted text replaced by '' (doubled quotes included)."""
    return re.sub(r"'(?:[^']|'')*'", "''", sql)


# Broken forms sqlglot accepts; checked on the statement outside its quoted texts.
TOKEN_RULES = [
    (re.compile(r",\s*(FROM|WHERE|ORDER|GROUP|UNION|\))", re.I), "a comma before {0}"),
    (re.compile(r"\(\s*,|,\s*,"), "an empty argument or list item"),
    (re.compile(r"\b(SELECT|BY|WHERE|AND|OR|ON|THEN|ELSE)\s*(,|\)|$)", re.I), "nothing after {0}"),
    (re.compile(r"\bGROUP\s+BY\s+(ORDER|$)", re.I), "an empty GROUP BY"),
]


def check(sql):
    """None when the statement is valid, otherwise the reason."""
    if not sql.strip():
        return "no statement"
    try:
        sqlglot.parse_one(sql, read="tsql")
    except Exception as e:  # sqlglot raises ParseError, TokenError and others
        return "%s: %s" % (type(e).__name__, str(e).splitlines()[0][:160])
    bare = outside_quotes(sql)
    for rule, what in TOKEN_RULES:
        m = rule.search(bare)
        if m:
            return what.format(m.group(1) if m.groups() else "") + " near: " + bare[max(0, m.start() - 40):m.end() + 10]
    return None


# The checker itself: broken pieces it must catch, constructs of the statements it must pass.
SELF_TEST_BAD = [
    "SELECT CG08_CODICE, CG08_DESCR FORM CG08_TABVALUTE WITH (NOLOCK) ",
    "SELECT A FROM T WHERE X = 'abc",
    "SELECT CASE WHEN A = 1 THEN 'x' FROM T",
    "SELECT A FROM T WHERE (X = 1",
    "SELECT A, FROM T",
    "SELECT A FROM DBO.FN(1,,2)",
    "SELECT A FROM T WHERE X = 1 AND  ORDER BY A",
    "SELECT A FROM T ORDER BY ",
    "SELECT A FROM T GROUP BY  ORDER BY A",
]
SELF_TEST_GOOD = [
    "SELECT TOP 1 TIPOMOV = CASE A WHEN 1 THEN 'it''s, (x' END FROM T WITH(NOLOCK) WHERE B IN (1,3)",
    "SELECT A FROM T OUTER APPLY dbo.F(1, 2) WHERE ISNULL(A, 0) = 1 ORDER BY A DESC, B",
]


def self_test():
    wrong = [s for s in SELF_TEST_BAD if check(s) is None]
    wrong += [s for s in SELF_TEST_GOOD if check(s) is not None]
    for s in wrong:
        print("FAIL the checker misjudges: " + s)
    return not wrong


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not self_test():
        return 1
    with tempfile.TemporaryDirectory() as tmp:
        dump = os.path.join(tmp, "statements.jsonl")
        subprocess.run([sys.argv[1], "--gtest_filter=Data/Golden.EveryPathWithEveryHost/*"],
                       check=True, capture_output=True, env=dict(os.environ, LEMA_DUMP_STATEMENTS=dump))
        rows = [json.loads(line) for line in open(dump, encoding="utf-8")]
    statements = {r["label"]: r["sql"] for r in rows if r["host"] in (0, 5)}  # no host, or as given
    labels = set(statements)
    failed, passed = [], 0
    for label, sql in sorted(statements.items()):
        problem = check(sql)
        if label in EXPECTED_INVALID:
            if problem is None:
                failed.append("%s: listed as not parsing, but it parses (remove it from the list)" % label)
            continue
        if problem and PLACED_AS_IS.search(label):
            continue
        if problem:
            failed.append("%s: %s\n    %s" % (label, problem, sql.replace("\r", "\\r").replace("\n", "\\n")[:400]))
        else:
            passed += 1
    for label in EXPECTED_INVALID:
        if label not in labels:
            failed.append("%s: listed, but no longer produced" % label)
    for f in failed:
        print("FAIL " + f)
    print("%d passed, %d failed" % (passed, len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
