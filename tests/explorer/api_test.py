"""The explorer's API: a refusal is a JSON error with a 4xx status and the server serves on; the
value guard is on; the lookups run on the demo database.   api_test.py LEMALD"""
import sys

from server import LOOKUP, Server

# Lookups that cannot run on the demo database on their default path, and why.
CANNOT_RUN = {"ContiImmobilizzi": "scalar database functions (SFCG_FORMATCONTO)",
              "LettereIntento": "without its settings the guard refuses its empty codes"}
failures = []
check = lambda ok, what: ok or failures.append(what)  # noqa: E731


def default_args(method):
    args = []
    for p in method["params"]:
        if p["optional"]:
            break
        db = p["type"] == "Object" and {"$object": "db" if p["name"] == "Connessione" else p["name"]}
        args.append(db or p["type"] == "Boolean" or 1)
    return args


with Server(sys.argv[1]) as server:
    valute = {"class": LOOKUP, "method": "Valute"}
    for path, body, status, text in [
        ("call", {**valute, "method": "NoSuchLookup"}, 404, "has no method NoSuchLookup"),
        ("call", {**valute, "class": "NO.CLASS"}, 404, "no class NO.CLASS"),
        ("call", {**valute, "method": "IFRS15_Operativita", "args": ["two"]}, 400, "Type mismatch"),
        ("call", {**valute, "settings": {"Caption": "x"}}, 400, "Caption is not a setting"),
        ("call", {**valute, "pad": "x" * 70000}, 413, "longer than 64 KB"),
        ("call", b"{not json", 400, "not a JSON object"),
        ("run", {"sql": "DELETE FROM CG08_TABVALUTE"}, 400, "single SELECT"),
        ("run", {"sql": "SELECT 1; DROP TABLE CG08_TABVALUTE"}, 400, "single SELECT"),
        ("run", {"sql": "SELECT * FROM NO_SUCH_TABLE"}, 422, "no such table: NO_SUCH_TABLE"),
    ]:
        got, answer = server.post("api/" + path, body)
        check(got == status and text in answer.get("error", ""), f"{path} {body!r:.60}: {got} {answer}")
        check(server.post("api/call", valute)[1].get("caption") == "Elenco valute", f"after {body!r:.60}")

    # The guard refuses a quote in a quoted code: the statement step falls back, and says why.
    _, answer = server.post("api/call", {**valute, "method": "GruppiPerInventariContabili",
                                         "args": ["1' OR '1'='1"]})
    check(answer["statement"] is None and answer["fallbacks"], f"guard: {answer}")

    ran, empty, failed = [], [], {}
    groups = server.post("api/methods")[1]["groups"]
    for m in (m for g in groups if g["class"] == LOOKUP for m in g["methods"]):
        _, out = server.post("api/call", {**valute, "method": m["name"], "args": default_args(m)})
        status, rows = ((200, out) if "rows" in out else (0, {"error": "no statement"})
                        if not out["statement"] else server.post("api/run", {"sql": out["statement"]}))
        if status != 200:
            failed[m["name"]] = rows["error"]
        else:
            (ran if rows["total"] else empty).append(m["name"])
    print(f"{len(ran)} lookups return rows; none: {empty}; cannot run: {failed}")
    check(sorted(failed) == sorted(CANNOT_RUN) and len(ran) >= 47, "the demo database")

print(*("FAILED: " + f for f in failures), sep="\n")
sys.exit(1 if failures else 0)
