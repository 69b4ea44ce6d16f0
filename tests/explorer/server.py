"""`lemald serve` on a free port; stopped by a signal, it must end cleanly."""
import json, re, signal, subprocess, urllib.error, urllib.request

LOOKUP, DECODE = "LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "LEMA_LOOKUPDECODE.CLSCG_DECODE"
OPEN = urllib.request.build_opener(urllib.request.ProxyHandler({})).open


class Server:
    def __init__(self, lemald, stop=signal.SIGTERM):
        self.stop = stop
        self.proc = subprocess.Popen([lemald, "serve", "--port", "0"], stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, text=True)
        line = self.proc.stdout.readline()
        self.url = (re.findall(r"http://[0-9.]+:\d+/", line) or [None])[0]
        if not self.url:
            self.proc.kill()
            raise RuntimeError("lemald serve did not start: " + line)

    def __enter__(self):
        return self

    def __exit__(self, failed, *_):
        self.proc.send_signal(self.stop)
        rest = self.proc.communicate(timeout=10)[0]
        clean = self.proc.returncode == 0 and "stopped" in rest
        assert failed or clean, f"no clean stop: exit {self.proc.returncode}, {rest!r}"

    def post(self, path, body=None):
        """(status, answer) of a GET, or of a POST of `body` (bytes, or sent as JSON)."""
        data = body if body is None or isinstance(body, bytes) else json.dumps(body).encode()
        try:
            with OPEN(urllib.request.Request(self.url + path, data,
                                             {"Content-Type": "application/json"}), timeout=30) as r:
                return r.status, json.load(r)
        except urllib.error.HTTPError as e:
            return e.code, json.load(e)
