"""The explorer's call as code, against an installed package: the `lemald run` script, and the
C++, C and Python programs built from the API's answer, print what the API shows.

    python3 code_forms.py PREFIX PKG_CONFIG_DIR WORK_DIR [COMPILER_FLAG...]
"""
import json
import os
import subprocess
import sys

from server import LOOKUP, Server

prefix, pc_dir, work, flags = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
env = dict(os.environ, PATH=f"{prefix}/bin:{os.environ['PATH']}", PKG_CONFIG_PATH=pc_dir,
           LEMA_LIBRARY=f"{prefix}/lib/liblema.so.1")
call = {"class": LOOKUP, "method": "Sezionali", "args": [1], "settings": {"TipologiaSezionale": 3},
        "host": {"translate": "identity", "language": "ITA", "company": 1}}
with Server(f"{prefix}/bin/lemald") as server:
    status, out = server.post("api/call", call)
assert status == 200, out
shown = (f"Caption: {out['caption']}\nIDLookup: {out['id']}\n" +
         "".join(f"Heading: {h['text']}\n" for h in out["headings"]) + f"StringaSQL: {out['statement']}\n")


def run(what, *command):
    result = subprocess.run(command, env=env, capture_output=True)
    if result.returncode:
        sys.exit(f"FAILED: {what}: {result.stderr.decode()}")
    return result.stdout.decode()


results = json.loads(run("lemald run", "bash", "-c", out["code"]["lemald"]))["results"]
caption, id_lookup, columns, statement = (r["value"] for r in results[-4:])
headings = [c[0] if isinstance(c[0], str) else "" for c in columns["$array"]]
assert (caption, id_lookup, statement) == (out["caption"], out["id"], out["statement"]), "lemald run"
assert headings == [h["text"] for h in out["headings"]], "lemald run: headings"
print("ok: the lemald run script prints what the explorer shows")

link = run("pkg-config", "pkg-config", "--cflags", "--libs", "lema").split()
for form, compiler, source in (("cpp", "c++", "call.cpp"), ("c", "cc", "call.c")):
    path = os.path.join(work, source)
    with open(path, "w") as f:
        f.write(out["code"][form])
    run(f"{form} build", compiler, *(["-std=c++20"] if form == "cpp" else []), *flags, path, "-o",
        path + ".bin", f"-Wl,-rpath,{prefix}/lib", *link)
    assert run(form, path + ".bin") == shown, f"the {form} program prints other outputs"
    print(f"ok: the {form} program prints what the explorer shows")
if not flags:  # an instrumented library cannot be loaded into the interpreter as it is
    with open(os.path.join(work, "call.py"), "w") as f:
        f.write(out["code"]["python"])
    assert run("python", sys.executable, os.path.join(work, "call.py")) == shown, "python"
    print("ok: the Python program prints what the explorer shows")
