"""The explorer's call as lemald script, C++, C and Python, on an installed package, prints
what its API shows.   code_forms.py PREFIX PC_DIR WORK_DIR [CFLAG...]"""
import json, os, subprocess, sys

from server import LOOKUP, Server

prefix, pc_dir, work, flags = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
env = dict(os.environ, PATH=f"{prefix}/bin:{os.environ['PATH']}", PKG_CONFIG_PATH=pc_dir,
           LEMA_LIBRARY=f"{prefix}/lib/liblema.so.1")
with Server(f"{prefix}/bin/lemald") as server:
    status, out = server.post("api/call", {
        "class": LOOKUP, "method": "Sezionali", "args": [1], "settings": {"TipologiaSezionale": 3},
        "host": {"translate": "identity", "language": "ITA", "company": 1}})
assert status == 200, out
headings = [h["text"] for h in out["headings"]]


def run(*command):
    result = subprocess.run(command, env=env, capture_output=True)  # bytes: line ends kept
    assert result.returncode == 0, f"{command[0]}: {result.stderr.decode()}"
    return result.stdout.decode()


def check(form, got, want):
    assert got == want, f"{form}: {got!r} != {want!r}, what the explorer shows"


*_, caption, id_lookup, columns, sql = json.loads(run("bash", "-c", out["code"]["lemald"]))["results"]
check("lemald run script", [caption["value"], id_lookup["value"], sql["value"],
                            [c[0] if isinstance(c[0], str) else "" for c in columns["value"]["$array"]]],
      [out["caption"], out["id"], out["statement"], headings])
shown = (f"Caption: {out['caption']}\nIDLookup: {out['id']}\n" +
         "".join(f"Heading: {h}\n" for h in headings) + f"StringaSQL: {out['statement']}\n")
link = run("pkg-config", "--cflags", "--libs", "lema").split()
for form, suffix, compiler in (("cpp", "cpp", "c++"), ("c", "c", "cc"), ("python", "py", "")):
    if form == "python" and flags:  # an instrumented library cannot load into the interpreter
        continue
    path = os.path.join(work, "call." + suffix)
    with open(path, "w") as f:
        f.write(out["code"][form])
    if compiler:
        run(compiler, *(["-std=c++20"] if form == "cpp" else []), *flags, path, "-o", path + ".bin",
            f"-Wl,-rpath,{prefix}/lib", *link)
    check(form + " program", run(*([path + ".bin"] if compiler else [sys.executable, path])), shown)
