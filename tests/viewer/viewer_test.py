#!/usr/bin/env python3
"""Opens the backup viewer pages of sample run folders in headless Chromium over the
DevTools pipe: no console errors, the right records, hostile texts shown as text,
search, and a run without some categories."""
import argparse
import json
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source folder clean
import make_run  # noqa: E402

SKIP = 77


class Browser:
    """One headless Chromium with one page, spoken to through --remote-debugging-pipe."""

    def __init__(self, chromium):
        self.profile = tempfile.mkdtemp(prefix="viewer-chromium-")
        to_child, self.write_fd = os.pipe()
        self.read_fd, from_child = os.pipe()

        def wire():
            # The browser reads commands on fd 3 and writes replies on fd 4.
            a, b = os.dup(to_child), os.dup(from_child)
            os.dup2(a, 3)
            os.dup2(b, 4)

        self.process = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-dev-shm-usage", "--remote-debugging-pipe", "--window-size=1280,900",
             "--user-data-dir=" + self.profile, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=wire, pass_fds=(3, 4))
        os.close(to_child)
        os.close(from_child)
        self.next_id, self.replies, self.events = 0, {}, queue.Queue()
        self.lock, self.write_lock = threading.Condition(), threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"], flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.call(domain + ".enable", session=True)

    def _read(self):
        buffer = b""
        while True:
            chunk = os.read(self.read_fd, 65536)
            if not chunk:
                return
            buffer += chunk
            while b"\0" in buffer:
                raw, buffer = buffer.split(b"\0", 1)
                message = json.loads(raw)
                if "id" in message:
                    with self.lock:
                        self.replies[message["id"]] = message
                        self.lock.notify_all()
                else:
                    if message.get("method") == "Page.javascriptDialogOpening":
                        # A dialog blocks the page: dismiss it at once, the event is kept.
                        self._send({"id": 1_000_000 + len(raw), "method": "Page.handleJavaScriptDialog",
                                    "sessionId": message.get("sessionId"), "params": {"accept": False}})
                    self.events.put(message)

    def _send(self, message):
        with self.write_lock:
            os.write(self.write_fd, json.dumps(message).encode() + b"\0")

    def call(self, method, session=False, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        self._send(message)
        with self.lock:
            if not self.lock.wait_for(lambda: self.next_id in self.replies, 30):
                raise TimeoutError(method)
            reply = self.replies.pop(self.next_id)
        if "error" in reply:
            raise RuntimeError("%s: %s" % (method, reply["error"]))
        return reply["result"]

    def evaluate(self, expression, *args):
        if args:  # a function given its arguments
            expression = "(%s)(%s)" % (expression, ", ".join(map(json.dumps, args)))
        result = self.call("Runtime.evaluate", session=True, expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError("script failed: %s" % result["exceptionDetails"])
        return result["result"].get("value")

    def problems(self):
        """Console errors, uncaught exceptions, failed loads and dialogs since the last call."""
        found = []
        while not self.events.empty():
            event = self.events.get()
            method, params = event.get("method"), event.get("params", {})
            if method == "Runtime.exceptionThrown":
                found.append("exception: %s" % params["exceptionDetails"].get("text"))
            elif method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert", "warning"):
                found.append("console %s: %s" % (params["type"], [a.get("value") for a in params["args"]]))
            elif method == "Log.entryAdded" and params["entry"]["level"] in ("error", "warning"):
                found.append("log: %s %s" % (params["entry"]["text"], params["entry"].get("url", "")))
            elif method == "Page.javascriptDialogOpening":
                found.append("dialog: %s" % params.get("message"))
        return found

    def open(self, path):
        self.problems()
        self.call("Page.navigate", session=True, url=path.as_uri())
        deadline = time.monotonic() + 20
        while self.evaluate("document.readyState === 'complete' && document.body.dataset.state === 'ready'") \
                is not True:
            if time.monotonic() > deadline:
                raise TimeoutError("page never got ready: %s" % path)
            time.sleep(0.05)
        time.sleep(0.3)  # lazy thumbnails and late console messages

    def type_search(self, text):
        self.evaluate("(() => { const s = document.getElementById('search'); s.value = ''; s.focus(); })()")
        self.call("Input.insertText", session=True, text=text)
        time.sleep(0.4)  # the search box waits for typing to pause

    def close(self):
        self.process.kill()
        self.process.wait()
        os.close(self.write_fd)
        shutil.rmtree(self.profile, ignore_errors=True)


class Checks:
    passed = failed = 0

    def expect(self, condition, what, detail=""):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL: %s %s" % (what, detail), flush=True)


def texts(browser, selector, visible=True):
    """The texts of the elements the selector matches; with visible, of those shown only."""
    return browser.evaluate("(sel, visible) => Array.from(document.querySelectorAll(sel))"
                            ".filter((e) => !visible || e.offsetParent !== null).map((e) => e.textContent)",
                            selector, visible)


def check_page(browser, checks, page, label):
    browser.open(page)
    problems = browser.problems()
    checks.expect(not problems, label + ": loads without console errors", problems)


def check_full_run(b, checks, run):
    check_page(b, checks, run / "index.html", "index")
    checks.expect(texts(b, "#device-name", False) == ["Acme X5"], "index: header shows the device")
    counts = texts(b, ".tile-count", False)
    checks.expect(counts == ["3", "3", "3", "5", "1", "2"], "index: category counts", counts)
    facts = texts(b, ".facts", False)[0]
    checks.expect("ZX1234" in facts and "13" in facts, "index: device facts", facts)
    hrefs = b.evaluate("Array.from(document.querySelectorAll('#photos a')).map((a) => a.getAttribute('href'))")
    checks.expect("Photos/IMG_1(1).jpg" in hrefs and "Photos/Sommer%20%231%20%26%202.jpg" in hrefs,
                  "index: photo links encode the copy's name", hrefs)
    checks.expect(not any(".." in h or "a/b" in h or "%2F" in h for h in hrefs),
                  "index: unsafe photo names get no link", hrefs)
    loaded = b.evaluate("Array.from(document.querySelectorAll('#photos img')).map((i) => i.naturalWidth)")
    checks.expect(loaded == [8, 8, 8], "index: thumbnails load", loaded)
    music = texts(b, "#music td")
    checks.expect("<script>alert(2)</script>" in music and "The Examples" in music, "index: music rows", music)
    b.type_search("evening")
    checks.expect(texts(b, "#photos .photo") == [] and len(texts(b, "#music tbody tr")) == 1,
                  "index: search narrows the media lists")

    check_page(b, checks, run / "Contacts" / "Contacts.html", "contacts")
    names = texts(b, ".list-item .primary")
    checks.expect(names == ["Ann Example", make_run.HOSTILE_NAME, "Bob Builder"], "contacts: names as text", names)
    checks.expect(texts(b, "main b", False) == [], "contacts: markup in a name is not parsed")
    detail = texts(b, "#detail", False)[0]
    checks.expect("555-0100" in detail and "ann@example.org" in detail, "contacts: first contact's details", detail)
    b.type_search("line two")
    checks.expect(texts(b, ".list-item .primary") == ["Bob Builder"], "contacts: search")

    check_page(b, checks, run / "SMS" / "SMS.html", "sms")
    bubbles = texts(b, ".bubble")
    checks.expect(len(bubbles) == 2 and bubbles[0].startswith("Are we still on for lunch?"),
                  "sms: first conversation's messages", bubbles)
    checks.expect(texts(b, ".bubble.out", False)[0].startswith("Yes, see you"), "sms: a sent message is on the right")
    b.evaluate("document.querySelectorAll('.list-item')[1].click()")
    time.sleep(0.3)
    bubbles = texts(b, ".bubble")
    checks.expect(len(bubbles) == 1 and bubbles[0].startswith(make_run.HOSTILE_BODY),
                  "sms: hostile body shown as text", bubbles)
    b.type_search("lunch")
    checks.expect(len(texts(b, ".list-item")) == 1 and len(texts(b, ".bubble")) == 1,
                  "sms: search narrows conversations and messages")
    checks.expect(not b.problems(), "sms: nothing ran from the hostile text")

    check_page(b, checks, run / "CallHistory" / "CallHistory.html", "calls")
    cells = texts(b, "td")
    checks.expect(all(c in cells for c in ("00:01:15", "01:00:00", "Incoming", "Unknown")),
                  "calls: entries with type and duration", cells)
    checks.expect(len(texts(b, ".group")) == 2, "calls: grouped by number")
    b.type_search("0142")
    checks.expect(len(texts(b, ".group")) == 1 and len(texts(b, "tbody tr")) == 1, "calls: search")


def check_partial_run(b, checks, run):
    check_page(b, checks, run / "index.html", "partial-index")
    counts = texts(b, ".tile-count", False)
    checks.expect(counts == ["3"] + ["Not backed up"] * 2 + ["5"] + ["Not backed up"] * 2, "partial: counts", counts)
    checks.expect("not part of this backup" in texts(b, "#videos", False)[0], "partial: missing media said so")
    checks.expect(len(texts(b, "nav a", False)) == 1, "partial: no links to pages that are not there")
    # A category page opened although its data is not in the run.
    check_page(b, checks, run / "SMS" / "SMS.html", "partial-sms")
    checks.expect("Messages were not part of this backup." in texts(b, "body", False)[0],
                  "partial: absent category page explains itself")


def read_data_file(path):
    """The JSON document of a data file: the text after the first "=" without the final ";"."""
    text = path.read_text(encoding="utf-8")
    return json.loads(text[text.index("=") + 1:-1])


def check_written_run(b, checks, run):
    """A run folder the backup engine wrote: every page loads cleanly and shows its data file."""
    assets = run / "Script" / "assets"
    summary = read_data_file(assets / "Backupinfo.js")["BackupInfo"]
    check_page(b, checks, run / "index.html", "run-index")
    counts = texts(b, ".tile-count", False)
    expected = [summary.get(key, "Not backed up")
                for key in ("Contacts", "Messages", "CallLogs", "Photos", "Videos", "Musics")]
    checks.expect(counts == expected, "run: index counts are the summary's", (counts, expected))
    for folder, selector in (("Contacts", ".list-item"), ("SMS", ".list-item"), ("CallHistory", ".group")):
        if (assets / (folder + ".js")).is_file():
            members = len(read_data_file(assets / (folder + ".js"))) - 1  # less "Version"
            check_page(b, checks, run / folder / (folder + ".html"), "run-" + folder)
            shown = len(texts(b, selector, False))
            checks.expect(shown == members, "run: %s lists every record of its data file" % folder, (shown, members))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--template", required=True, help="the built resource folder")
    parser.add_argument("--run", help="check this run folder instead of the sample runs")
    args = parser.parse_args()
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("SKIP: chromium is not installed (apt-get install chromium)")
        return SKIP
    template = Path(args.template)
    if not (template / "index.html").is_file():
        print("FAIL: no viewer template at %s (build the viewer_template target)" % template)
        return 1
    checks = Checks()
    with tempfile.TemporaryDirectory(prefix="viewer-run-") as work:
        if args.run:
            groups = [lambda: check_written_run(browser, checks, Path(args.run))]
        else:
            full, partial = Path(work) / "full run", Path(work) / "partial"
            make_run.make_run(template, full, make_run.ALL)
            make_run.make_run(template, partial, ["Contacts", "Photos"])
            (partial / "SMS").mkdir()
            shutil.copy(template / "SMS.html", partial / "SMS" / "SMS.html")
            groups = [lambda: check_full_run(browser, checks, full),
                      lambda: check_partial_run(browser, checks, partial)]
        browser = Browser(chromium)
        try:
            for group in groups:
                try:
                    group()
                except (RuntimeError, TimeoutError, IndexError) as error:
                    checks.expect(False, "page could not be driven", error)
        finally:
            browser.close()
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
