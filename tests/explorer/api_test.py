"""The explorer's JSON API: each refusal is a JSON error with a 4xx status and the server
keeps serving; the value guard is on; and the lookups run on the demo database.

    python3 api_test.py PATH/TO/lemald
"""
import sys

from server import LOOKUP, Server

# Lookups that cannot run on the demo database on their default path, and why.
CANNOT_RUN = {
    "ContiImmobilizzi": "scalar database functions (SFCG_FORMATCONTO)",
    "LettereIntento": "without its settings the guard refuses its empty codes: no statement",
}

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def default_args(method):
    args = []
    for p in method["params"]:
        if p["optional"]:
            break
        if p["type"] == "Object":
            args.append({"$object": "db" if p["name"] == "Connessione" else p["name"]})
        else:
            args.append(True if p["type"] == "Boolean" else 1)
    return args


with Server(sys.argv[1]) as server:
    valute = {"class": LOOKUP, "method": "Valute"}
    refusals = [
        ("api/call", {"class": LOOKUP, "method": "NoSuchLookup"}, 404, "has no method NoSuchLookup"),
        ("api/call", {"class": "NO.CLASS", "method": "Valute"}, 404, "no class NO.CLASS"),
        ("api/call", {"class": LOOKUP, "method": "IFRS15_Operativita", "args": ["two"]}, 400,
         "Type mismatch"),
        ("api/call", {**valute, "settings": {"Caption": "x"}}, 400, "Caption is not a setting"),
        ("api/call", {**valute, "pad": "x" * 70000}, 413, "longer than 64 KB"),
        ("api/call", b"{not json", 400, "not a JSON object"),
        ("api/run", {"sql": "DELETE FROM CG08_TABVALUTE"}, 400, "single SELECT"),
        ("api/run", {"sql": "SELECT 1; DROP TABLE CG08_TABVALUTE"}, 400, "single SELECT"),
        ("api/run", {"sql": "SELECT * FROM NO_SUCH_TABLE"}, 422, "no such table: NO_SUCH_TABLE"),
    ]
    for path, body, status, text in refusals:
        got, answer = server.post(path, body)
        check(got == status and text in answer.get("error", ""), f"{path} {body!r:.60}: {got} {answer}")
        check(server.post("api/call", valute)[1].get("caption") == "Elenco valute",
              f"no answer after {body!r:.60}")

    # The guard refuses a quote in a quoted code: the statement step falls back, and says why.
    _, answer = server.post("api/call", {"class": LOOKUP, "method": "GruppiPerInventariContabili",
                                         "args": ["1' OR '1'='1"]})
    check(answer["statement"] is None and answer["fallbacks"], f"guard: {answer}")

    ran, empty, failed = [], [], {}
    for group in server.get("api/methods")["groups"]:
        if group["class"] != LOOKUP:
            continue
        for m in group["methods"]:
            _, out = server.post("api/call", {"class": LOOKUP, "method": m["name"],
                                              "args": default_args(m)})
            if not out["statement"] and "rows" not in out:
                failed[m["name"]] = "no statement"
                continue
            status, rows = (200, out) if "rows" in out else server.post("api/run", {"sql": out["statement"]})
            if status != 200:
                failed[m["name"]] = rows["error"]
            elif rows["total"]:
                ran.append(m["name"])
            else:
                empty.append(m["name"])
    print(f"{len(ran)} lookups return rows on the demo database; without rows: {empty}; "
          f"cannot run: {failed}")
    check(sorted(failed) == sorted(CANNOT_RUN) and len(ran) >= 47, "the demo database")

for f in failures:
    print("FAILED:", f)
sys.exit(1 if failures else 0)
