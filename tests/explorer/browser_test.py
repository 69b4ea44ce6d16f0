"""The explorer in headless Chromium: a lookup chosen from the list and given an argument and a
setting shows the title, identifier, headings and statement that `lemald run` gives for the
same call, Run fills its grid, the address restores the view, and a decode shows its binding
table. Exit 77 (skipped) when Chromium or Selenium is not installed.

    python3 browser_test.py PATH/TO/lemald
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile

from server import DECODE, LOOKUP, Server

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)
CHROMIUM, DRIVER = shutil.which("chromium"), shutil.which("chromedriver")
if not CHROMIUM or not DRIVER:
    print("skipped: chromium and chromium-driver are not installed")
    sys.exit(77)
signal.alarm(150)  # the whole test, whatever hangs

LEMALD = sys.argv[1]
SCREENSHOT = os.path.abspath("explorer_failure.png")


def lemald_run(steps):
    out = subprocess.run([LEMALD, "run", "-"], input=json.dumps({"steps": steps}),
                         capture_output=True, text=True, check=True,
                         env=dict(os.environ, LEMA_VALUE_GUARD="1")).stdout
    return [r.get("value") for r in json.loads(out)["results"]]


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--no-proxy-server", "--window-size=1500,950",
                 "--user-data-dir=" + tempfile.mkdtemp(prefix="lemald-chromium-")):
        options.add_argument(flag)
    os.environ["NO_PROXY"] = "127.0.0.1,localhost"  # Selenium's own requests to the driver
    return webdriver.Chrome(service=Service(DRIVER), options=options)


def set_field(d, container, name, kind, text):
    Select(d.find_element(By.CSS_SELECTOR, f"#{container} select[name='{name}']")).select_by_value(kind)
    field = d.find_element(By.CSS_SELECTOR, f"#{container} input[name='{name}']")
    field.clear()
    field.send_keys(text)


def shown_statement(d):
    """The statement on the page, its line-end marks turned back into line ends."""
    return d.execute_script("return Array.from(document.getElementById('statement').childNodes)"
                            ".map((n) => n.dataset && n.dataset.eol || n.textContent).join('')")


with Server(LEMALD, signal.SIGINT) as server:
    d = browser()
    try:
        wait = WebDriverWait(d, 20)
        d.get(server.url)
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, ".method"))
        d.find_element(By.ID, "filter").send_keys("Sezionali")
        d.find_element(By.CSS_SELECTOR, f".method[data-class='{LOOKUP}'][data-method='Sezionali']").click()
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#args select[name='CodiceDitta']"))
        set_field(d, "args", "CodiceDitta", "Number", "2")
        set_field(d, "settings", "TipologiaSezionale", "Number", "2")
        wait.until(lambda d: "CG68_INDTIPOLOGIA IN (1,3)" in shown_statement(d)
                   and "CG68_DITTA_CG18 = 2" in shown_statement(d))

        caption, id_lookup, columns, statement = lemald_run([
            {"op": "new", "class": LOOKUP, "as": "lk"},
            {"op": "let", "obj": "lk", "prop": "TipologiaSezionale", "value": 2},
            {"op": "call", "obj": "lk", "method": "Sezionali", "args": [2]},
            *({"op": "get", "obj": "lk", "prop": p} for p in ("Caption", "IDLookup", "ColonneLookup",
                                                              "StringaSQL"))])[-4:]
        headings = [c[0] if isinstance(c[0], str) else "(hidden)" for c in columns["$array"]]
        assert d.find_element(By.ID, "caption").text == caption, "title"
        assert d.find_element(By.ID, "idlookup").text == id_lookup, "IDLookup"
        assert [th.text for th in d.find_elements(By.CSS_SELECTOR, "#headings th")] == headings, "headings"
        assert shown_statement(d) == statement, "statement"
        assert "\u21B5" in d.find_element(By.ID, "statement").text, "line ends shown"

        d.find_element(By.ID, "run").click()
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#rows tr"))
        assert d.find_element(By.CSS_SELECTOR, "#rows td").text == "G", "the journal of company 2"

        view = d.current_url
        d.find_element(By.ID, "filter").clear()
        d.find_element(By.ID, "filter").send_keys("ISTAT")
        d.find_element(By.CSS_SELECTOR, f".method[data-class='{DECODE}'][data-method='AttivitàISTAT']").click()
        set_field(d, "args", "CodiceISTAT", "Text", "28.41")
        wait.until(lambda d: "'28.41'" in shown_statement(d))
        cells = [td.text for td in d.find_elements(By.CSS_SELECTOR, "#binding td")]
        assert cells[:2] == ["TextEdit", "CG06_DESCR"], f"binding table {cells}"
        d.find_element(By.ID, "run").click()
        wait.until(lambda d: d.find_element(By.CSS_SELECTOR, "#binding td.shows").text)
        assert d.find_element(By.CSS_SELECTOR, "#binding td.shows").text == "Fabbricazione di macchine utensili"

        d.get(view)
        d.refresh()
        wait.until(lambda d: shown_statement(d) == statement)
    except BaseException:
        d.save_screenshot(SCREENSHOT)
        print("screenshot of the failure:", SCREENSHOT)
        raise
    finally:
        d.quit()
print("ok")
