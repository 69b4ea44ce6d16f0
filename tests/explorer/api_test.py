"""The explorer's API: refusals are JSON errors with a 4xx status, the server serves on, the
value guard is on, lookups run on the demo database.   api_test.py LEMALD"""
import sys

from server import LOOKUP, Server

# Scalar functions; codes the guard refuses without settings.
CANNOT_RUN = {"ContiImmobilizzi", "LettereIntento"}


def default_args(method):  # required arguments: the demo database, True or 1
    args = []
    for p in method["params"]:
        if p["optional"]:
            break
        db = p["type"] == "Object" and {"$object": "db" if p["name"] == "Connessione" else p["name"]}
        args.append(db or p["type"] == "Boolean" or 1)
    return args


with Server(sys.argv[1]) as server:
    valute = {"class": LOOKUP, "method": "Valute"}
    for body, status, text in [
        ({**valute, "method": "NoSuchLookup"}, 404, "has no method NoSuchLookup"),
        ({**valute, "class": "NO.CLASS"}, 404, "no class NO.CLASS"),
        ({**valute, "method": "IFRS15_Operativita", "args": ["two"]}, 400, "Type mismatch"),
        ({**valute, "settings": {"Caption": "x"}}, 400, "Caption is not a setting"),
        ({**valute, "pad": "x" * 70000}, 413, "longer than 64 KB"),
        (b"{not json", 400, "not a JSON object"),
        ({"sql": "DELETE FROM CG08_TABVALUTE"}, 400, "single SELECT"),
        ({"sql": "SELECT 1; DROP TABLE CG08_TABVALUTE"}, 400, "single SELECT"),
        ({"sql": "SELECT * FROM NO_SUCH_TABLE"}, 422, "no such table: NO_SUCH_TABLE"),
    ]:
        got, answer = server.post("api/run" if "sql" in str(body) else "api/call", body)
        assert got == status and text in answer.get("error", ""), f"{body!r:.60}: {got} {answer}"

    # The guard refuses a quote in a quoted code: the statement step falls back, saying why.
    _, answer = server.post("api/call", {**valute, "method": "GruppiPerInventariContabili",
                                         "args": ["1' OR '1'='1"]})
    assert answer["statement"] is None and answer["fallbacks"], answer

    ran, failed = 0, {}
    for group in server.post("api/methods")[1]["groups"]:
        for m in group["methods"] if group["class"] == LOOKUP else []:
            _, out = server.post("api/call", {**valute, "method": m["name"], "args": default_args(m)})
            if "rows" not in out:
                out = server.post("api/run", {"sql": out["statement"]})[1] if out["statement"] else {}
            if "rows" in out:
                ran += out["total"] > 0
            else:
                failed[m["name"]] = out.get("error", "no statement")
    assert set(failed) == CANNOT_RUN and ran >= 47, f"{ran} lookups return rows; cannot run: {failed}"
print("ok")
