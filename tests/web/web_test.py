#!/usr/bin/env python3
"""The browser page against the native command line, in headless Chromium driven over WebDriver.

Serves the built page folder with a local HTTP server, runs every example and a set of random
programs on every shipped course through the page's trace link and compares the trace with
"trovel-cli simulate --trace" byte for byte; checks the lap time the page shows after a judged
goal, the messages for a damaged and a huge file, and measures start-up, speed, CPU and size.

    web_test.py --web build/web --cli build/bin/trovel-cli --app-dir build/bin --out build/web-test
Exit 0 passed, 1 failed, 77 skipped (no page built and no Emscripten to build it).
"""

import argparse
import functools
import http.server
import json
import os
import random
import shutil
import socket
import subprocess
import sys
import threading
import time
import urllib.request

SKIPPED = 77
COURSES_SHIPPED = 4
TRACE_TICKS = 1500


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """Serves the page folder, and /test/ from the test's own folder."""

    def __init__(self, *args, web=None, extra=None, **kwargs):
        self.extra = extra
        super().__init__(*args, directory=web, **kwargs)

    def translate_path(self, path):
        if path.startswith("/test/"):
            return os.path.join(self.extra, path[len("/test/"):].split("?")[0])
        return super().translate_path(path)

    def log_message(self, *args):
        pass


class WebDriver:
    """The few WebDriver commands the test needs, over plain HTTP."""

    def __init__(self, driver_path, out):
        self.port = free_port()
        self.log = open(os.path.join(out, "chromedriver.log"), "w")
        self.process = subprocess.Popen([driver_path, "--port=%d" % self.port], stdout=self.log, stderr=self.log)
        self.base = "http://127.0.0.1:%d" % self.port
        for _ in range(100):
            try:
                self.request("GET", "/status")
                break
            except OSError:
                time.sleep(0.1)
        profile = os.path.join(out, "profile")
        shutil.rmtree(profile, ignore_errors=True)
        caps = {"capabilities": {"alwaysMatch": {"goog:chromeOptions": {
            "binary": shutil.which("chromium") or "/usr/bin/chromium",
            "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1150,820", "--lang=ja", "--user-data-dir=" + profile,
                     "--no-first-run", "--disable-extensions", "--disable-background-networking"]}}}}
        self.session = self.request("POST", "/session", caps)["sessionId"]

    def request(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        req = urllib.request.Request(self.base + path, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(req, timeout=300) as response:
            return json.loads(response.read().decode()).get("value")

    def cmd(self, method, path, body=None):
        return self.request(method, "/session/%s%s" % (self.session, path), body)

    def go(self, url):
        self.cmd("POST", "/url", {"url": url})

    def run(self, script, *args):
        return self.cmd("POST", "/execute/sync", {"script": script, "args": list(args)})

    def wait(self, script, timeout=60, *args):
        end = time.time() + timeout
        while time.time() < end:
            value = self.run(script, *args)
            if value:
                return value
            time.sleep(0.05)
        raise TimeoutError(script)

    def screenshot(self, path):
        import base64
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.cmd("GET", "/screenshot")))

    def close(self):
        try:
            self.request("DELETE", "/session/" + self.session)
        finally:
            self.process.terminate()
            self.process.wait(10)
            self.log.close()


# ---- Programs ------------------------------------------------------------------------------

HEADER = "FORMAT_:[QX_FMT_4]\r\n\r\n"


def record(name, x, y, block_type, params, bends, nexts, partner):
    return "CMD_\t[[%s]]-[%d,%d]-[%d]-[%s]-[%d,%d]-[%d,%d]-[%d]\r\n" % (
        name, x, y, block_type, ",".join(str(p) for p in params), bends[0], bends[1], nexts[0], nexts[1], partner)


def random_program(rng):
    """Start, a chain of motion, wait, LED, wheel, branch and random branch blocks (branches jump back
    or ahead), End."""
    count = rng.randint(2, 9)
    blocks = []
    for i in range(count):
        t = rng.choice([3, 4, 5, 6, 7, 8, 9, 10, 10, 11, 12, 13, 14])
        p = [0] * 10
        if t in (3, 4, 5, 6, 7, 8):
            p[0] = rng.randint(1, 40)
            p[1] = rng.choice([0, 0, 1])
        elif t == 9:
            p[0], p[2], p[3] = rng.randint(1, 30), rng.randint(0, 100), rng.randint(0, 100)
        elif t == 12:
            p[0] = rng.randint(1, 20)
        elif t in (13, 14):
            p[3] = rng.choice([0, 1, 2])
            p[0] = rng.randint(1, 10)
        elif t == 10:
            p[0], p[1], p[2] = rng.randint(0, 1), rng.randint(0, 2), rng.randint(20, 200)
        blocks.append((t, p))
    lines = [record("main", 27, 9, 1, [0] * 10, (27, 0), (2, -1), 1),
             record("main", 27, 45 + 63 * (count + 1), 2, [0] * 10, (27, 0), (-1, -1), 0)]
    for i, (t, p) in enumerate(blocks):
        index = 2 + i
        after = index + 1 if i + 1 < count else 1
        other = -1
        if t in (10, 11):
            other = rng.choice([2 + rng.randrange(count), 1])
        lines.append(record("main", 27, 45 + 63 * (i + 1), t, p, (27, 27), (after, other), -1))
    return (HEADER + "".join(lines)).encode("utf-16")


# ---- Checks --------------------------------------------------------------------------------

def native_trace(cli, app_dir, program, course, seed, ticks, out):
    path = os.path.join(out, "native.csv")
    result = subprocess.run([cli, "simulate", program, "--app-dir", app_dir, "--course", str(course), "--seed",
                             str(seed), "--ticks", str(ticks), "--trace", path], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("trovel-cli simulate failed: " + result.stderr)
    with open(path) as f:
        return f.read(), json.loads(result.stdout)


def page_trace(driver, base, program_url, course, seed, ticks):
    driver.go("%s/index.html?program=%s&course=%d&seed=%d&ticks=%d&trace=csv&lang=ja" %
              (base, program_url, course, seed, ticks))
    driver.wait("return document.body.dataset.ready === 'yes';")
    return driver.run("const p = document.getElementById('trace'); return p ? p.textContent : null;"), \
        driver.run("return document.getElementById('message').textContent;")


def lap_text_ja(ms):
    return "%d分%02d秒%03d" % (ms // 60000, ms // 1000 % 60, ms % 1000)


def process_cpu_seconds(root_pid):
    """CPU seconds of the browser's processes under chromedriver, by kind: the renderers (the page's
    own process) and the rest (browser, GPU, utilities)."""
    children = {}
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                renderer = b"--type=renderer" in f.read()
            children.setdefault(int(fields[1]), []).append((int(pid), int(fields[11]) + int(fields[12]), renderer))
        except OSError:
            continue
    totals, todo = {"renderer": 0, "other": 0}, [root_pid]
    while todo:
        for pid, ticks, renderer in children.get(todo.pop(), []):
            totals["renderer" if renderer else "other"] += ticks / os.sysconf("SC_CLK_TCK")
            todo.append(pid)
    return totals


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--web", required=True)
    ap.add_argument("--cli", required=True)
    ap.add_argument("--app-dir", required=True)
    ap.add_argument("--examples", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--random", type=int, default=12)
    ap.add_argument("--seed", type=int, default=20261208)
    args = ap.parse_args()

    if not os.path.exists(os.path.join(args.web, "trovel.wasm")):
        if shutil.which("em++") is None:
            print("SKIPPED: no page in %s and Emscripten is not installed (make web installs it)" % args.web)
            return SKIPPED
        print("FAILED: %s holds no built page: run make web" % args.web)
        return 1
    for tool in ("chromium", "chromedriver"):
        if shutil.which(tool) is None:
            print("FAILED: %s is missing (tools/setup.sh installs it)" % tool)
            return 1

    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    programs_dir = os.path.join(out, "programs")
    shutil.rmtree(programs_dir, ignore_errors=True)
    os.makedirs(programs_dir)
    rng = random.Random(args.seed)
    programs = []  # (file path, URL for the page)
    for name in sorted(os.listdir(args.examples)):
        if name.endswith(".qxp"):
            shutil.copy(os.path.join(args.examples, name), programs_dir)
            programs.append((os.path.join(programs_dir, name), "test/programs/" + name))
    for i in range(args.random):
        name = "random_%02d.qxp" % i
        with open(os.path.join(programs_dir, name), "wb") as f:
            f.write(random_program(rng))
        programs.append((os.path.join(programs_dir, name), "test/programs/" + name))
    # A course as the course designer saves it: a loop with checkpoints, timed.
    with open(os.path.join(programs_dir, "loop.course"), "w", encoding="utf-8", newline="\n") as f:
        f.write("TROVEL-COURSE 1\nname-ja \"ループ\"\nname-en \"Loop\"\nstart -100 170 0\n"
                "course-flags return-to-start\nline -100 170 130 170\narc 130 50 120 90 -90\n"
                "line 250 50 250 -50\narc 130 -50 120 0 -90\nline 130 -170 -130 -170\n"
                "arc -130 -50 120 -90 -90\nline -250 -50 -250 50\narc -130 50 120 180 -90\n"
                "line -130 170 130 170\ngoal -150 140 -50 200\ncheckpoint 220 -30 280 30\nend\n")
    # Bad input: a file that is not a program, and one too large to be read.
    with open(os.path.join(programs_dir, "foreign.qxp"), "wb") as f:
        f.write("FORMAT_:[SOMETHING_ELSE]\r\n".encode("utf-16"))
    with open(os.path.join(programs_dir, "huge.qxp"), "wb") as f:
        f.write(b"\xff\xfe" + b"\x20\x00" * (3 << 20))

    handler = functools.partial(QuietHandler, web=os.path.abspath(args.web), extra=out)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d" % server.server_address[1]

    failures = []
    figures = {}
    driver = WebDriver(shutil.which("chromedriver"), out)
    try:
        # 1. The same run everywhere: every program on every shipped course.
        compared = 0
        for path, url in programs:
            for course in range(COURSES_SHIPPED):
                seed = 1 + course
                expected, _ = native_trace(args.cli, args.app_dir, path, course, seed, TRACE_TICKS, out)
                got, message = page_trace(driver, base, url, course, seed, TRACE_TICKS)
                compared += 1
                if got != expected:
                    name = "%s_course%d" % (os.path.basename(path), course)
                    with open(os.path.join(out, name + ".page.csv"), "w") as f:
                        f.write(got or "")
                    with open(os.path.join(out, name + ".native.csv"), "w") as f:
                        f.write(expected)
                    failures.append("trace differs: %s on course %d (%s)" % (url, course, message or "see " + out))
        print("traces compared: %d (%d programs x %d courses), %d differ" %
              (compared, len(programs), COURSES_SHIPPED, sum(f.startswith("trace") for f in failures)))

        # 2. Bad input: a message, no trace, nothing run.
        for name, words in (("foreign.qxp", "対応していません"), ("huge.qxp", "大きすぎる")):
            got, message = page_trace(driver, base, "test/programs/" + name, 0, 1, 10)
            if got is not None or words not in (message or ""):
                failures.append("%s: expected the message with %r and no trace, got %r" % (name, words, message))

        # 3. On the page: a dropped foreign file changes nothing but the message; a dropped program
        # replaces the chart; a block's time typed in the property panel (full-width digits, as the
        # studio takes them) reaches the chart and the saved file, a refused entry changes nothing.
        driver.go("%s/index.html?program=examples/counted_steps.qxp&lang=ja" % base)
        driver.wait("return document.body.dataset.ready === 'yes';")
        result = json.loads(driver.run("""
            const drop = (name, bytes) => {
              const t = new DataTransfer();
              t.items.add(new File([new Uint8Array(bytes)], name));
              document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: t, bubbles: true}));
            };
            const chart = () => Module.ccall('web_chart', 'string', [], []);
            const saved = () => {
              const n = Module.ccall('web_save_program', 'number', [], []);
              const at = Module.ccall('web_saved_bytes', 'number', [], []);
              return Array.from(Module.HEAPU8.slice(at, at + n));
            };
            const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
            return (async () => {
              const r = {};
              const original = Array.from(new Uint8Array(await (await fetch('examples/counted_steps.qxp')).arrayBuffer()));
              r.savedUnchanged = JSON.stringify(saved()) === JSON.stringify(original);
              const before = chart();
              drop('foreign.qxp', Array.from(new TextEncoder().encode('not a program')));
              await sleep(300);
              r.foreignMessage = document.getElementById('message').textContent;
              r.foreignKeptChart = chart() === before;
              const c = document.getElementById('chart'), box = c.getBoundingClientRect();
              const b = page.chart.blocks.findIndex((x) => x.type === 4);
              const rect = page.chart.blocks[b].rect;
              c.dispatchEvent(new MouseEvent('click', {clientX: box.left + (rect[0] + rect[2]) / 2,
                clientY: box.top + (rect[1] + rect[3]) / 2, bubbles: true}));
              let input = document.querySelector('#propertyFields input');
              input.value = '１．５';
              input.dispatchEvent(new Event('change'));
              input = document.querySelector('#propertyFields input');
              input.value = 'abc';
              input.dispatchEvent(new Event('change'));
              r.shown = document.querySelector('#propertyFields input').value;
              r.caption = page.chart.blocks[b].caption;
              const edited = saved();
              r.savedChanged = edited.length === original.length &&
                edited.filter((v, i) => v !== original[i]).length > 0;
              r.savedText = new TextDecoder('utf-16le').decode(new Uint8Array(edited.slice(2)));
              drop('other.qxp', Array.from(new Uint8Array(await (await fetch('examples/led_repeat.qxp')).arrayBuffer())));
              await sleep(300);
              r.droppedReplaced = chart() !== before && document.getElementById('message').textContent === '';
              const course = new Uint8Array(await (await fetch('test/programs/loop.course')).arrayBuffer());
              const t = new DataTransfer();
              t.items.add(new File([course], 'loop.course'));
              document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: t, bubbles: true}));
              await sleep(1500);
              r.courses = page.courses.map((c) => c.name);
              r.chosen = document.getElementById('course').value;
              r.courseMessage = document.getElementById('message').textContent;
              return JSON.stringify(r);
            })();"""))
        if not result["savedUnchanged"]:
            failures.append("the saved file of an unchanged example differs from the example")
        if "対応していません" not in result["foreignMessage"] or not result["foreignKeptChart"]:
            failures.append("a dropped foreign file: message %r, chart kept %s" %
                            (result["foreignMessage"], result["foreignKeptChart"]))
        if result["shown"] != "1.5" or result["caption"] != "1.5秒" or "-[4]-[15," not in result["savedText"]:
            failures.append("property entry: shown %r, caption %r, saved %r" %
                            (result["shown"], result["caption"], result["savedText"][:300]))
        if not result["droppedReplaced"]:
            failures.append("a dropped program did not replace the chart")
        if result["courses"][-1:] != ["ループ"] or result["chosen"] != str(COURSES_SHIPPED) or result["courseMessage"]:
            failures.append("a dropped course file: courses %r, chosen %r, message %r" %
                            (result["courses"], result["chosen"], result["courseMessage"]))
        # The browser keeps the course for the next visit.
        driver.go("%s/index.html?lang=ja" % base)
        driver.wait("return document.body.dataset.ready === 'yes';")
        kept = driver.run("return page.courses.map((c) => c.name);")
        if kept[-1:] != ["ループ"]:
            failures.append("the dropped course is gone after a reload: %r" % kept)

        # 4. The lap time shown after a judged goal equals the native run's.
        goal = None
        for path, url in programs:
            if "random" in path:
                continue
            for course in range(COURSES_SHIPPED):
                _, summary = native_trace(args.cli, args.app_dir, path, course, 1, 37500, out)
                if summary["result"] == 8 and summary["lap_ms"] > 0:
                    goal = (url, course, summary["lap_ms"])
                    break
            if goal:
                break
        if goal is None:
            failures.append("no example reaches a goal on a shipped course: the lap check has nothing to check")
        else:
            url, course, lap_ms = goal
            driver.go("%s/index.html?program=%s&course=%d&lang=ja" % (base, url, course))
            driver.wait("return document.body.dataset.ready === 'yes';")
            driver.run("const s = document.getElementById('speed'); s.value = 'max';"
                       "s.dispatchEvent(new Event('change')); document.getElementById('play').click();")
            # The goal is judged once; the best time appears with it.
            best = driver.wait("const b = document.getElementById('best').textContent;"
                               "return b !== '--' ? b : null;", 120)
            shown = driver.run("return document.getElementById('lap').textContent;")
            stored = driver.run("return Object.keys(localStorage).filter(k => k.startsWith('trovel.best.'))"
                                ".map(k => localStorage.getItem(k));")
            print("lap shown: %s, best %s (native %d ms on course %d with %s)" % (shown, best, lap_ms, course, url))
            if shown != lap_text_ja(lap_ms) or best != lap_text_ja(lap_ms) or str(lap_ms) not in (stored or []):
                failures.append("lap time: page shows %r (best %r, stored %r), native %s" %
                                (shown, best, stored, lap_text_ja(lap_ms)))

        # 5. Figures: start-up, speed, CPU, size; and a screenshot to look at.
        # Once with an empty cache and once as a pupil opens it again.
        driver.cmd("POST", "/goog/cdp/execute", {"cmd": "Network.clearBrowserCache", "params": {}})
        driver.go("%s/index.html?program=examples/line_follower.qxp&lang=ja" % base)
        figures["ready_ms_empty_cache"] = driver.wait("return window.trovelReadyMs;")
        driver.go("%s/index.html?program=examples/line_follower.qxp&lang=ja" % base)
        figures["ready_ms"] = driver.wait("return window.trovelReadyMs;")
        ticks = 200000
        # The module is first compiled quickly and optimised in the background: measure after that.
        driver.run("trovelBench(0, %d);" % ticks)
        time.sleep(2)
        figures["page_ticks_per_s"] = max(driver.run("return trovelBench(0, %d);" % ticks) for _ in range(3))
        example = os.path.join(args.examples, "line_follower.qxp")
        timings = []
        for n in (1, ticks):
            # Without a trace, as the page's measure runs: only the ticks.
            best = None
            for _ in range(3):
                start = time.perf_counter()
                subprocess.run([args.cli, "simulate", example, "--app-dir", args.app_dir, "--ticks", str(n)],
                               capture_output=True, check=True)
                elapsed = time.perf_counter() - start
                best = elapsed if best is None else min(best, elapsed)
            timings.append(best)
        figures["native_ticks_per_s"] = (ticks - 1) / max(1e-6, timings[1] - timings[0])
        figures["speed_ratio"] = figures["page_ticks_per_s"] / figures["native_ticks_per_s"]
        # The page's own fastest speed, drawing as it goes (a figure beside the bare ticks above).
        driver.run("const s = document.getElementById('speed'); s.value = 'max'; s.dispatchEvent(new Event('change'));"
                   "document.getElementById('play').click();")
        time.sleep(0.5)
        t0, w0 = driver.run("return Module.ccall('web_tick_count', 'number', [], []);"), time.time()
        time.sleep(3)
        t1, w1 = driver.run("return Module.ccall('web_tick_count', 'number', [], []);"), time.time()
        figures["fastest_mode_ticks_per_s"] = (t1 - t0) / (w1 - w0)
        driver.run("document.getElementById('stop').click(); const s = document.getElementById('speed');"
                   "s.value = '1'; s.dispatchEvent(new Event('change'));")
        driver.go("%s/index.html?program=examples/line_follower.qxp&lang=ja&play=1" % base)
        driver.wait("return document.body.dataset.ready === 'yes';")
        time.sleep(1)
        cpu0, wall0 = process_cpu_seconds(driver.process.pid), time.time()
        time.sleep(10)
        cpu1, wall1 = process_cpu_seconds(driver.process.pid), time.time()
        figures["normal_speed_cpu_percent"] = 100 * (cpu1["renderer"] - cpu0["renderer"]) / (wall1 - wall0)
        figures["normal_speed_cpu_percent_other_processes"] = 100 * (cpu1["other"] - cpu0["other"]) / (wall1 - wall0)
        driver.screenshot(os.path.join(out, "page.png"))
        size = sum(os.path.getsize(os.path.join(args.web, f)) for f in ("trovel.wasm", "trovel.js", "app.js"))
        figures["module_and_script_bytes"] = size
        print("figures: " + json.dumps(figures))
        if max(figures["ready_ms"], figures["ready_ms_empty_cache"]) >= 1000:
            failures.append("page ready after %.0f ms, %.0f ms with an empty cache (under 1000)" %
                            (figures["ready_ms"], figures["ready_ms_empty_cache"]))
        if figures["speed_ratio"] < 0.5:
            failures.append("max speed %.0f ticks/s is below half the native %.0f" %
                            (figures["page_ticks_per_s"], figures["native_ticks_per_s"]))
        if figures["normal_speed_cpu_percent"] >= 10:
            failures.append("normal speed takes %.1f %% of a core (under 10)" % figures["normal_speed_cpu_percent"])
        if size >= 2 * 1024 * 1024:
            failures.append("module and script are %d bytes (under 2 MB)" % size)
        with open(os.path.join(out, "figures.json"), "w") as f:
            json.dump(figures, f, indent=1)
    finally:
        driver.close()
        server.shutdown()

    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
