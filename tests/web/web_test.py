#!/usr/bin/python3
"""The web build in headless Chromium, served over HTTP from 127.0.0.1.

    web_test.py SITE GOLDEN_DIR [--bench]

Runs the page as a viewer does (the dialog, Go, the show, Esc, Quit), frames
at chosen moments against the golden frames of the native capture, the show's
end, and the program's messages for missing files. The show's clock and the
browser's frames are driven by a script this test adds to the page before it
loads; the site itself holds nothing for testing. Prints one line per test,
"skipped: NAME: REASON" for a test that cannot run here, and closes with
"N passed, N failed". With --bench it prints figures instead: the site's
compressed size, the time from Go to the first frame and the frame times.
"""
import functools
import gzip
import http.server
import os
import shutil
import socketserver
import struct
import sys
import tempfile
import threading
import time
import traceback
import zlib

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FLAGS = ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--disable-gpu-sandbox", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--no-first-run", "--window-size=1024,768", "--force-device-scale-factor=1"]

# As tests/capture/golden_test.cpp: a channel may be off by this much, and
# this share of pixels may be off by more.
CHANNEL_TOLERANCE = 24
MAX_DIFFERING_SHARE = 0.005
GOLDEN_SIZE = (160, 120)
SHOW_LENGTH_MS = 147858
SCENES = [("ltitre", 17143), ("add2", 17143), ("prepre", 17143), ("readd", 8571), ("tunnel", 34286),
          ("nua", 19286), ("eau", 34286)]

# Added to the page before its own scripts: the clock (performance.now) and
# the browser's frames (requestAnimationFrame) under the test's control, the
# sound's output measured, and the moments of input and frames noted.
HARNESS = r"""
(function() {
  const T = window.__velmoraTest = {driven: false, now: 0, hold: false, held: [], requests: 0,
                                    lastWake: 0, work: [], workAt: [], lastInput: 0, firstFrame: 0,
                                    peak: 0, blocks: 0, boxes: []};
  const realNow = performance.now.bind(performance);
  T.realNow = realNow;
  performance.now = function() { return T.driven ? T.now : realNow(); };
  const realRaf = window.requestAnimationFrame.bind(window);
  const wrap = function(cb) { return function(ts) { T.lastWake = realNow(); cb(ts); }; };
  window.requestAnimationFrame = function(cb) {
    const at = realNow();
    if (T.requests > 0 && T.lastWake) { T.work.push(at - T.lastWake); T.workAt.push(T.driven ? T.now : at); }
    if (!T.firstFrame) T.firstFrame = at;
    T.requests++;
    if (T.hold) { T.held.push(cb); return 0; }
    return realRaf(wrap(cb));
  };
  T.release = function() { const h = T.held; T.held = []; h.forEach(function(cb) { realRaf(wrap(cb)); }); };
  const note = function() { T.lastInput = realNow(); };
  document.addEventListener('keydown', note, true);
  document.addEventListener('click', note, true);
  const proto = window.ScriptProcessorNode && ScriptProcessorNode.prototype;
  const handler = proto && Object.getOwnPropertyDescriptor(proto, 'onaudioprocess');
  if (handler) {
    Object.defineProperty(proto, 'onaudioprocess', {
      get: function() { return handler.get.call(this); },
      set: function(f) {
        handler.set.call(this, function(e) {
          f.call(this, e);
          T.blocks++;
          for (let c = 0; c < e.outputBuffer.numberOfChannels; c++) {
            const d = e.outputBuffer.getChannelData(c);
            for (let i = 0; i < d.length; i++) T.peak = Math.max(T.peak, Math.abs(d[i]));
          }
        });
      }
    });
  }
})();
"""

results = []


def test(fn):
    @functools.wraps(fn)
    def run(*args):
        name = "web." + fn.__name__
        try:
            fn(*args)
        except Skip as s:
            print("skipped: %s: %s" % (name, s))
            return
        except Exception:
            traceback.print_exc()
            print("FAILED: " + name)
            results.append(False)
            return
        print("passed: " + name)
        results.append(True)
    return run


class Skip(Exception):
    pass


# --- a PNG reader for 8-bit RGB and RGBA pictures, enough for screenshots and references ---

def read_png(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, width, height, kind = 8, b"", 0, 0, 0
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and kind in (2, 6) and interlace == 0, "unsupported PNG"
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    n = 3 if kind == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * n
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - n] if i >= n else 0
            b = prev[i]
            c = prev[i - n] if i >= n else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line[j] for i in range(width) for j in range(i * n, i * n + 3)))
        prev = line
    return width, height, rows


def differing_share(actual, expected):
    (aw, ah, arows), (ew, eh, erows) = actual, expected
    assert (aw, ah) == (ew, eh), "the frame is %dx%d, its reference %dx%d" % (aw, ah, ew, eh)
    bad = sum(1 for y in range(ah) for x in range(aw)
              if max(abs(arows[y][3 * x + c] - erows[y][3 * x + c]) for c in range(3)) > CHANNEL_TOLERANCE)
    return bad / float(aw * ah)


# --- the site, served ---

class Server:
    def __init__(self, folder):
        handler = functools.partial(Quiet, directory=folder)
        self.httpd = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Page:
    """One Chromium with a fresh profile, the harness added to every page."""

    def __init__(self, url):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.profile = tempfile.mkdtemp(prefix="velmora-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for f in FLAGS + ["--user-data-dir=" + self.profile]:
            options.add_argument(f)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.set_script_timeout(120)
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": HARNESS})
        self.url = url

    def open(self, driven=False):
        self.driver.get(self.url)
        if driven:
            self.js("__velmoraTest.driven = true; __velmoraTest.hold = true;")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def wait(self, script, seconds=60, what=None):
        end = time.time() + seconds
        while time.time() < end:
            value = self.js("return " + script)
            if value:
                return value
            time.sleep(0.05)
        raise AssertionError("waited %d s for %s" % (seconds, what or script))

    def key(self, key):
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.driver).send_keys(key).perform()

    def dialog(self):
        return self.js("""
            const d = document.getElementById('velmora-dialog');
            if (!d) return null;
            return {caption: d.querySelector('.velmora-caption span').textContent,
                    controls: Array.from(d.querySelectorAll('.velmora-body > *')).map(c => ({
                        text: c.textContent, checked: c.classList.contains('checked'),
                        focused: c.classList.contains('focused'), isDefault: c.classList.contains('default')}))};
        """)

    def boxes(self):
        return self.js("""return Array.from(document.querySelectorAll('.velmora-box')).map(b =>
            [b.querySelector('.velmora-caption span').textContent, b.querySelector('.velmora-message').textContent]);""")

    def ended(self):
        return self.js("return !document.getElementById('velmora-end').classList.contains('hidden')")

    def showing(self):
        return self.js("return document.getElementById('velmora-canvas').classList.contains('shown')")

    # One frame drawn at this moment of the show's clock.
    def frame_at(self, ms):
        self.driver.execute_async_script("""
            const T = __velmoraTest, done = arguments[1], before = T.requests;
            T.now = arguments[0];
            T.release();
            const poll = () => T.requests > before ? done() : setTimeout(poll, 2);
            poll();""", ms)

    def canvas_png(self):
        from selenium.webdriver.common.by import By
        return self.driver.find_element(By.ID, "velmora-canvas").screenshot_as_png

    def errors(self, ignore=()):
        return [e["message"] for e in self.driver.get_log("browser")
                if e["level"] == "SEVERE" and not any(i in e["message"] for i in ignore)]

    def close(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)


def start_windowed_show(page, go_by_key):
    page.wait("document.getElementById('velmora-dialog') !== null", what="the dialog")
    if go_by_key:
        page.key(" ")                    # the check box holds the focus: windowed
        page.key("\ue007")               # Enter: the default button, Go
    else:
        page.js("document.querySelector('.velmora-check').click()")
        page.js("document.querySelector('.velmora-button.default').click()")
    page.wait("document.getElementById('velmora-canvas').classList.contains('shown')", what="the show")


@test
def dialog_keys_go_music_and_esc(url, golden):
    page = Page(url)
    try:
        page.open()
        page.wait("document.getElementById('velmora-dialog') !== null", what="the dialog")
        d = page.dialog()
        assert d["caption"] == "Velmora by Zorv !", d
        assert [c["text"] for c in d["controls"]] == ["Go", "Quit", "Full Screen"], d
        assert d["controls"][0]["isDefault"] and d["controls"][2]["checked"], d
        # The focus starts on the check box, so Space flips it at once.
        assert d["controls"][2]["focused"], d
        page.key(" ")
        assert not page.dialog()["controls"][2]["checked"]
        page.key("\ue004")               # Tab: from the check box round to Go
        assert page.dialog()["controls"][0]["focused"], page.dialog()
        page.key("\ue007")               # Enter on Go
        page.wait("document.getElementById('velmora-canvas').classList.contains('shown')", what="the show")
        assert page.dialog() is None
        size = page.js("const c = document.getElementById('velmora-canvas'); return [c.width, c.height];")
        assert size == [640, 480], size
        # Go was the gesture that lets the sound start.
        page.wait("__velmoraTest.blocks > 20", seconds=30, what="sound blocks")
        state = page.js("return Module.SDL2.audioContext.state")
        assert state == "running", state
        peak = page.js("return __velmoraTest.peak")
        assert peak > 0.01, "the sound is silent (peak %f)" % peak
        frames = page.js("return __velmoraTest.requests")
        # A busy machine may take a while over a frame; none at all is the fault.
        page.wait("__velmoraTest.requests > %d" % frames, seconds=10, what="frames drawn")
        page.key("\ue00c")               # Esc ends the show
        page.wait("!document.getElementById('velmora-end').classList.contains('hidden')", seconds=20,
                  what="the end card")
        assert not page.showing()
        errors = page.errors()
        assert not errors, errors
    finally:
        page.close()


@test
def quit_leaves_before_any_window(url, golden):
    page = Page(url)
    try:
        page.open()
        page.wait("document.getElementById('velmora-dialog') !== null", what="the dialog")
        page.key("\ue00c")               # Esc in the dialog: Quit
        page.wait("!document.getElementById('velmora-end').classList.contains('hidden')", what="the end card")
        assert page.js("return __velmoraTest.requests") == 0, "a frame was drawn"
        assert page.dialog() is None
    finally:
        page.close()


@test
def full_screen_scales_the_picture_with_its_shape(url, golden):
    page = Page(url)
    try:
        page.open()
        page.wait("document.getElementById('velmora-dialog') !== null", what="the dialog")
        page.key("\ue007")               # Enter: Go, Full Screen still marked
        page.wait("document.getElementById('velmora-canvas').classList.contains('shown')", what="the show")
        shape = page.js("""const c = document.getElementById('velmora-canvas'), s = document.getElementById('velmora-stage');
            return [c.width, c.height, c.clientWidth, c.clientHeight, s.clientWidth, s.clientHeight];""")
        w, h, cw, ch, sw, sh = shape
        assert (w, h) == (640, 480), shape
        # As large as the screen allows, 4:3 kept, black beside it.
        assert abs(cw * 3 - ch * 4) <= 4 and (cw == sw or ch == sh) and cw <= sw and ch <= sh, shape
        page.key("\ue00c")
        page.wait("!document.getElementById('velmora-end').classList.contains('hidden')", seconds=20,
                  what="the end card")
        assert not page.js("return document.getElementById('velmora-stage').classList.contains('full')")
    finally:
        page.close()


@test
def frames_match_golden_and_show_ends_on_time(url, golden):
    # Each scene's first frame and the moments listed, as the native golden test takes them.
    starts = [sum(length for _, length in SCENES[:i]) for i in range(len(SCENES))]
    listed = [int(l.split()[0]) for l in open(os.path.join(golden, "moments.txt")) if l.strip() and l[0] != "#"]
    moments = sorted(set(starts + listed))
    page = Page(url)
    try:
        page.open(driven=True)
        start_windowed_show(page, go_by_key=False)
        # The window takes the reference pictures' size, as a viewer resizes it.
        page.js("const c = document.getElementById('velmora-canvas');"
                "c.style.width = '%dpx'; c.style.height = '%dpx';" % GOLDEN_SIZE)
        page.wait("document.getElementById('velmora-canvas').width === %d" % GOLDEN_SIZE[0], what="the resize")
        failures = []
        for ms in moments:
            # As the capture: the frame drawn at or just after the moment at
            # 60 frames a second, after the one before it, whose pose it shows.
            frame = (ms * 60 + 999) // 1000
            page.frame_at((frame - 1) * 1000 // 60)
            page.frame_at(frame * 1000 // 60)
            actual = read_png(page.canvas_png())
            with open(os.path.join(golden, "frame_%d.png" % ms), "rb") as f:
                share = differing_share(actual, read_png(f.read()))
            if share > MAX_DIFFERING_SHARE:
                failures.append("%d ms: %.2f %% of the pixels differ" % (ms, share * 100))
                with open("web_golden_%d_actual.png" % ms, "wb") as f:
                    f.write(page.canvas_png())
        assert not failures, failures
        # The show's last moment is drawn; the first beyond it ends the show.
        page.frame_at(SHOW_LENGTH_MS)
        assert not page.ended()
        page.js("__velmoraTest.now = %d; __velmoraTest.hold = false; __velmoraTest.release();" % (SHOW_LENGTH_MS + 1))
        page.wait("!document.getElementById('velmora-end').classList.contains('hidden')", seconds=20,
                  what="the end card")
        errors = page.errors()
        assert not errors, errors
    finally:
        page.close()


def missing_file_run(original, name, expected):
    site = tempfile.mkdtemp(prefix="velmora-site-")
    try:
        shutil.copytree(original, os.path.join(site, "s"))
        os.remove(os.path.join(site, "s", "data", name))
        server = Server(os.path.join(site, "s"))
        page = Page(server.url)
        try:
            page.open(driven=True)
            page.js("__velmoraTest.hold = false;")
            seen = []
            end = time.time() + 90
            frames_then = None
            while time.time() < end:
                boxes = page.boxes()
                if boxes:
                    seen.append(tuple(boxes[-1]))
                    page.key("\ue007")   # Enter: OK
                    page.wait("document.querySelectorAll('.velmora-box').length < %d" % len(boxes),
                              what="the box to close")
                elif page.dialog():
                    page.js("document.querySelector('.velmora-check').click()")
                    page.js("document.querySelector('.velmora-button.default').click()")
                elif page.ended():
                    break
                elif page.showing():
                    # The show goes on: frames keep coming and no box stops them.
                    if frames_then is None:
                        frames_then = page.js("return __velmoraTest.requests")
                        time.sleep(1.0)
                        continue
                    if page.js("return __velmoraTest.requests") > frames_then + 5:
                        break
                time.sleep(0.1)
            else:
                raise AssertionError("the page hangs without %s (boxes so far: %s)" % (name, seen))
            assert seen == expected, "without %s: boxes %s, expected %s" % (name, seen, expected)
            errors = page.errors(ignore=("404", "Failed to load resource"))
            assert not errors, errors
        finally:
            page.close()
            server.close()
    finally:
        shutil.rmtree(site, ignore_errors=True)


@test
def missing_scene_module_texture_give_native_messages(site, golden):
    texture = "chrome.png"
    if not os.path.exists(os.path.join(site, "data", texture)):
        raise Skip("the data holds no %s" % texture)
    missing_file_run(site, "eau.3ds", [("Error !", "Load3ds error : Can't load 3ds file data/eau.3ds")])
    missing_file_run(site, "velmora.xm", [("ERROR!", "File not found")])
    # A texture that cannot be read leaves its faces untextured, without a word.
    missing_file_run(site, texture, [])


# --- figures ---

def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(p / 100.0 * (len(values) - 1))))] if values else 0.0


def bench(site, url):
    total = raw = 0
    for root, _, files in os.walk(site):
        for f in files:
            data = open(os.path.join(root, f), "rb").read()
            raw += len(data)
            total += len(gzip.compress(data, 9))
    print("site: %.2f MB, %.2f MB compressed (gzip -9, as a web server sends it)" % (raw / 1e6, total / 1e6))
    page = Page(url)
    try:
        page.open()
        start_windowed_show(page, go_by_key=True)
        page.wait("__velmoraTest.firstFrame > 0", what="the first frame")
        print("Go to first frame: %.0f ms" % page.js("return __velmoraTest.firstFrame - __velmoraTest.lastInput"))
        page.close()
        page = Page(url)
        page.open(driven=True)
        start_windowed_show(page, go_by_key=False)
        page.js("__velmoraTest.work = []; __velmoraTest.workAt = [];")
        step = 100
        page.driver.set_script_timeout(900)
        page.driver.execute_async_script("""
            const T = __velmoraTest, last = arguments[1], step = arguments[2], done = arguments[3];
            let t = arguments[0];
            const next = () => {
              if (t > last) return done();
              const before = T.requests;
              T.now = t; t += step;
              T.release();
              const poll = () => T.requests > before ? next() : setTimeout(poll, 0);
              poll();
            };
            next();""", 0, SHOW_LENGTH_MS, step)
        work, at = page.js("return [__velmoraTest.work, __velmoraTest.workAt]")
        print("frame time in Chromium (ms, from the browser's frame to the next SwapBuffers; every %d ms of show):"
              % step)
        begin = 0
        for name, length in SCENES:
            times = [w for w, a in zip(work, at) if begin <= a < begin + length]
            begin += length
            print("  %-7s p50 %6.2f  p99 %6.2f  max %6.2f  (%d frames)" % (
                name, percentile(times, 50), percentile(times, 99), max(times or [0]), len(times)))
    finally:
        page.close()


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    site, golden = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    for path, what in ((CHROMIUM, "chromium"), (CHROMEDRIVER, "chromium-driver")):
        if not os.path.exists(path):
            print("skipped: web: %s is not installed" % what)
            print("0 passed, 0 failed")
            return 0
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("skipped: web: python3-selenium is not installed")
        print("0 passed, 0 failed")
        return 0
    if not os.path.exists(os.path.join(site, "velmora.wasm")):
        print("no site in %s: scripts/build-web.sh makes it" % site)
        return 1
    server = Server(site)
    try:
        if "--bench" in sys.argv:
            bench(site, server.url)
            return 0
        dialog_keys_go_music_and_esc(server.url, golden)
        quit_leaves_before_any_window(server.url, golden)
        full_screen_scales_the_picture_with_its_shape(server.url, golden)
        frames_match_golden_and_show_ends_on_time(server.url, golden)
        missing_scene_module_texture_give_native_messages(site, golden)
    finally:
        server.close()
    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
