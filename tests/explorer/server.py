"""Starts `lemald serve` on a free port for a test and stops it with a signal."""
import json
import re
import signal
import subprocess
import urllib.error
import urllib.request

LOOKUP = "LEMA_LOOKUPDECODE.CLSCG_LOOKUP"
DECODE = "LEMA_LOOKUPDECODE.CLSCG_DECODE"
NO_PROXY = urllib.request.build_opener(urllib.request.ProxyHandler({}))


class Server:
    def __init__(self, lemald, stop_signal=signal.SIGTERM):
        self.lemald, self.stop_signal = lemald, stop_signal

    def __enter__(self):
        self.proc = subprocess.Popen([self.lemald, "serve", "--port", "0"], stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, text=True)
        line = self.proc.stdout.readline()
        found = re.search(r"http://[0-9.]+:\d+/", line)
        if not found:
            self.proc.kill()
            raise RuntimeError("lemald serve did not start: " + line)
        self.url = found.group(0)
        return self

    def __exit__(self, *failure):
        self.proc.send_signal(self.stop_signal)
        rest = self.proc.communicate(timeout=10)[0]
        if failure[0] is None and (self.proc.returncode != 0 or "stopped" not in rest):
            raise AssertionError(f"no clean stop: exit {self.proc.returncode}, {rest!r}")

    def post(self, path, body):
        """(status, answer) of a POST of `body` as JSON."""
        data = body if isinstance(body, bytes) else json.dumps(body).encode()
        req = urllib.request.Request(self.url + path.lstrip("/"), data,
                                     {"Content-Type": "application/json"})
        try:
            with NO_PROXY.open(req, timeout=30) as res:
                return res.status, json.load(res)
        except urllib.error.HTTPError as e:
            return e.code, json.load(e)

    def get(self, path):
        with NO_PROXY.open(self.url + path.lstrip("/"), timeout=30) as res:
            return json.load(res)
