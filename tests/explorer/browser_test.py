"""The explorer in headless Chromium: what `lemald run` gives, lookups and decodes run, a view
restored from its address. Exit 77: skipped.   browser_test.py LEMALD"""
import json, os, shutil, signal, subprocess, sys, tempfile

from server import DECODE, LOOKUP, Server

CHROMIUM, DRIVER = shutil.which("chromium"), shutil.which("chromedriver")
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import Select, WebDriverWait
    assert CHROMIUM and DRIVER
except (ImportError, AssertionError):
    print("skipped: needs python3-selenium, chromium and chromium-driver")
    sys.exit(77)
signal.alarm(150)
steps = [{"op": "new", "class": LOOKUP, "as": "lk"},
         {"op": "let", "obj": "lk", "prop": "TipologiaSezionale", "value": 2},
         {"op": "call", "obj": "lk", "method": "Sezionali", "args": [2]},
         *({"op": "get", "obj": "lk", "prop": p} for p in ("Caption", "IDLookup", "ColonneLookup", "StringaSQL"))]
out = subprocess.run([sys.argv[1], "run", "-"], input=json.dumps({"steps": steps}), capture_output=True,
                     text=True, check=True, env=dict(os.environ, LEMA_VALUE_GUARD="1")).stdout
caption, id_lookup, columns, statement = (r["value"] for r in json.loads(out)["results"][-4:])

options = webdriver.ChromeOptions()
options.binary_location = CHROMIUM
for flag in ("headless", "no-sandbox", "no-proxy-server", "window-size=1500,950",
             "user-data-dir=" + tempfile.mkdtemp()):
    options.add_argument("--" + flag)
os.environ["NO_PROXY"] = "127.0.0.1,localhost"  # Selenium to its driver


def find(css, every=False):
    return (d.find_elements if every else d.find_element)(By.CSS_SELECTOR, css)


def fill(css, text):
    find(css).clear()
    find(css).send_keys(text)


def pick(filter, cls, method, argument, kind, text):
    fill("#filter", filter)
    find(f".method[data-class='{cls}'][data-method='{method}']").click()
    wait(lambda _: find(f"#args select[name='{argument}']"))
    set_field("args", argument, kind, text)


def set_field(container, name, kind, text):
    Select(find(f"#{container} select[name='{name}']")).select_by_value(kind)
    fill(f"#{container} input[name='{name}']", text)


def shown():  # the page's statement, line-end marks back to line ends
    return d.execute_script("return Array.from(document.getElementById('statement').childNodes)"
                            ".map((n) => n.dataset && n.dataset.eol || n.textContent).join('')")


with Server(sys.argv[1], signal.SIGINT) as server:
    d = webdriver.Chrome(service=Service(DRIVER), options=options)
    wait = WebDriverWait(d, 20).until
    try:
        d.get(server.url)
        wait(lambda _: find(".method"))
        pick("Sezionali", LOOKUP, "Sezionali", "CodiceDitta", "Number", "2")
        set_field("settings", "TipologiaSezionale", "Number", "2")
        wait(lambda _: shown() == statement)
        assert (find("#caption").text, find("#idlookup").text) == (caption, id_lookup)
        headings = [c[0] if isinstance(c[0], str) else "(hidden)" for c in columns["$array"]]
        assert [th.text for th in find("#headings th", True)] == headings
        assert "\u21B5" in find("#statement").text, "line ends shown"
        find("#run").click()
        wait(lambda _: find("#rows td").text == "G")  # company 2's journal

        view = d.current_url
        pick("ISTAT", DECODE, "AttivitàISTAT", "CodiceISTAT", "Text", "28.41")
        wait(lambda _: "'28.41'" in shown())
        assert [td.text for td in find("#binding td", True)][:2] == ["TextEdit", "CG06_DESCR"]
        find("#run").click()
        wait(lambda _: find("#binding td.shows").text == "Fabbricazione di macchine utensili")

        d.get(view)
        d.refresh()
        wait(lambda _: shown() == statement)
    except BaseException:
        d.save_screenshot("explorer_failure.png")
        raise
    finally:
        d.quit()
print("ok")
