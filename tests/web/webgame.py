"""The web release as a player gets it: the zip unpacked under a sub-path of a web server on
127.0.0.1, opened in Debian's Chromium, headless, through its ChromeDriver. The page is watched
from inside: its animation-frame requests are counted and the game's mixed sound is read from the
audio node SDL writes into."""

import base64
import functools
import gzip
import http.server
import io
import os
import re
import shutil
import tempfile
import threading
import time
import zipfile

from PIL import Image, ImageChops, ImageStat
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ZIP = os.environ.get("EMBERDASH_WEB_ZIP", "")
DATA = os.environ.get("EMBERDASH_DATA_DIR", "")
SCREENSHOTS = os.environ.get("EMBERDASH_SCREENSHOTS", "")

WIDTH, HEIGHT = 1024, 768
UNITS_PER_PIXEL = 100.0 / WIDTH
# Mean difference per channel below which a screen counts as showing a picture, as the desktop
# tests read it.
SAME_PICTURE = 8.0

# Runs before the page's own script: counts animation-frame requests, notes the time of each
# frame that drew, and measures each block of sound the game mixes, as the browser takes it from
# SDL's script processor.
WATCH = """
window.__frames = 0;
window.__drawnFrames = [];
// Frames the game may still run before it waits: none while the test looks, any while null.
window.__framesLeft = null;
let frameTime = 0;
const request = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = function (callback) {
  window.__frames++;
  return request(function run(time) {
    if (window.__framesLeft !== null) {
      if (window.__framesLeft <= 0) {
        return request(run);
      }
      window.__framesLeft--;
    }
    frameTime = time;
    return callback(time);
  });
};
for (const Gl of [window.WebGLRenderingContext, window.WebGL2RenderingContext]) {
  if (!Gl) continue;
  for (const name of ["drawArrays", "drawElements"]) {
    const draw = Gl.prototype[name];
    Gl.prototype[name] = function () {
      const drawn = window.__drawnFrames;
      if (drawn.length === 0 || drawn[drawn.length - 1][0] !== frameTime) {
        drawn.push([frameTime, performance.now()]);
      }
      return draw.apply(this, arguments);
    };
  }
}
window.__sound = { blocks: [], rate: 0, context: null };
const Context = window.AudioContext || window.webkitAudioContext;
if (Context) {
  const create = Context.prototype.createScriptProcessor;
  const slot = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, "onaudioprocess");
  Context.prototype.createScriptProcessor = function () {
    const node = create.apply(this, arguments);
    window.__sound.rate = this.sampleRate;
    window.__sound.context = this;
    Object.defineProperty(node, "onaudioprocess", {
      configurable: true,
      get() { return slot.get.call(node); },
      set(handler) {
        slot.set.call(node, function (event) {
          handler.call(this, event);
          const out = event.outputBuffer;
          let squares = 0, peak = 0;
          for (let c = 0; c < out.numberOfChannels; c++) {
            const samples = out.getChannelData(c);
            for (let i = 0; i < samples.length; i++) {
              const s = samples[i];
              squares += s * s;
              peak = Math.max(peak, Math.abs(s));
            }
          }
          window.__sound.blocks.push([out.length, Math.sqrt(squares / (out.length * out.numberOfChannels)), peak]);
        });
      }
    });
    return node;
  };
}
"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def handle_one_request(self):
        # A site taken off the network answers nothing: the connection closes unanswered.
        if getattr(self.server, "offline", False):
            self.close_connection = True
            return
        super().handle_one_request()


class CompressingHandler(QuietHandler):
    """Sends the game's large files compressed with gzip and with their compressed length, as
    many servers do."""

    def send_head(self):
        path = self.translate_path(self.path)
        if not path.endswith((".wasm", ".data")) or not os.path.isfile(path):
            return super().send_head()
        with open(path, "rb") as file:
            body = gzip.compress(file.read())
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        return io.BytesIO(body)


class Site:
    """The zip unpacked at games/emberdash/ of a folder served on 127.0.0.1, and any other
    folders given, each under its own name; compress sends the large files gzip-compressed."""

    def __init__(self, zip_path=None, others=(), compress=False):
        self.root = tempfile.mkdtemp(prefix="emberdash-web-")
        game = os.path.join(self.root, "games", "emberdash")
        os.makedirs(game)
        with zipfile.ZipFile(zip_path or ZIP) as archive:
            archive.extractall(game)
        for name, folder in others:
            shutil.copytree(folder, os.path.join(self.root, name))
        handler = functools.partial(CompressingHandler if compress else QuietHandler,
                                    directory=self.root)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        self.origin = "http://127.0.0.1:%d/" % self.server.server_address[1]
        self.url = self.origin + "games/emberdash/"
        self.game = game

    def set_offline(self, offline):
        self.server.offline = offline

    def serve_another_release(self):
        """Puts at the same address a release that differs from the zip's in its program, its
        WebAssembly and its data, each recognisably, with a name of its own. Answers the
        release's name and the lengths of its .wasm and .data."""
        path = functools.partial(os.path.join, self.game)
        with open(path("index.html"), encoding="utf-8") as page:
            first = re.search(r'var release = "([0-9a-f]+)";', page.read()).group(1)
        second = "5ec0d" + first[5:]
        for name in ("index.html", "sw.js"):
            with open(path(name), encoding="utf-8") as file:
                text = file.read().replace(first, second)
            with open(path(name), "w", encoding="utf-8") as file:
                file.write(text)
        with open(path("emberdash.js"), "a", encoding="utf-8") as program:
            program.write('\nwindow.__release = "%s";\n' % second)
        with open(path("emberdash.wasm"), "ab") as wasm:
            # A custom section, which WebAssembly lets any module end with.
            wasm.write(b"\x00\x0c\x0brelease-two")
        with open(path("emberdash.data"), "ab") as data:
            data.write(b"release two")
        return second, os.path.getsize(path("emberdash.wasm")), os.path.getsize(path("emberdash.data"))

    def close(self):
        self.server.shutdown()
        self.server.server_close()
        shutil.rmtree(self.root, ignore_errors=True)


def browser(width=WIDTH, height=HEIGHT, webgl=True, touch=False):
    """Debian's Chromium, headless, with its software WebGL and a profile of its own, showing
    pages in a viewport of the given size: by default the game's own, where the page draws the
    game at one pixel to a pixel."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    profile = tempfile.mkdtemp(prefix="emberdash-chromium-")
    for argument in [
        "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
        "--no-first-run", "--disable-background-networking", "--disable-component-update",
        "--disable-sync", "--disable-quic", "--disable-default-apps", "--mute-audio",
        "--user-data-dir=" + profile, "--window-size=%d,%d" % (width, height + 200),
        "--force-device-scale-factor=1",
    ] + ([] if webgl else ["--disable-webgl", "--disable-3d-apis"]):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.profile = profile
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
    if touch:
        driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                               {"enabled": True, "maxTouchPoints": 1})
    return driver


def close_browser(driver):
    driver.quit()
    shutil.rmtree(driver.profile, ignore_errors=True)


def eventually(check, seconds=60, pause=0.1):
    """Asks until check answers something true; the machine may be slow, so the limit is only
    there to end a test that would never pass."""
    end = time.monotonic() + seconds
    while True:
        answer = check()
        if answer or time.monotonic() > end:
            return answer
        time.sleep(pause)


class Game:
    """The page in a browser: the game's canvas, the pointer on it in the game's own pixels, and
    what it shows and sounds."""

    def __init__(self, driver, url):
        self.driver = driver
        driver.get(url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def wait_until_ready(self):
        """The page has downloaded the game and offers the start."""
        return eventually(lambda: self.js(
            "return !document.getElementById('play').hidden"), seconds=120)

    def start(self):
        self.driver.find_element("id", "play").click()

    def canvas_rect(self):
        return self.js("const r = document.getElementById('canvas').getBoundingClientRect();"
                       "return [r.left, r.top, r.width, r.height];")

    def to_page(self, px, py):
        left, top, width, height = self.canvas_rect()
        return left + (px + 0.5) * width / WIDTH, top + (py + 0.5) * height / HEIGHT

    def mouse(self, kind, px, py, buttons=0):
        x, y = self.to_page(px, py)
        event = {"type": kind, "x": x, "y": y, "button": "left" if kind != "mouseMoved" or buttons
                 else "none", "buttons": buttons, "clickCount": 1}
        self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", event)

    def click(self, px, py):
        self.mouse("mouseMoved", px, py)
        self.mouse("mousePressed", px, py, 1)
        self.mouse("mouseReleased", px, py)

    def touch(self, kind, px=None, py=None):
        points = []
        if px is not None:
            x, y = self.to_page(px, py)
            points = [{"x": x, "y": y}]
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})

    def hold_frames(self):
        """The game runs no frame until let."""
        self.js("window.__framesLeft = 0;")

    def let_frames(self, count):
        """Lets the game run that many frames, and waits until it has."""
        self.js("window.__framesLeft = arguments[0];", count)
        return eventually(lambda: self.js("return window.__framesLeft;") == 0, pause=0.02)

    def free_frames(self):
        self.js("window.__framesLeft = null;")

    def fire_within(self, frames, wanted, x, y, reach):
        """Runs the held game a few frames at a time, looking at the fire between them, until
        it is where wanted(fire) says, for at most that many frames: the game's own clock, not
        the machine's speed, decides. Answers the fire's place when wanted, None if never. A
        parked fire burns its tile through in about a hundred frames: looks come every 16."""
        for _ in range(0, frames, 16):
            self.let_frames(16)
            fire = flame_near(self.capture(), x, y, reach)
            if fire and wanted(fire):
                return fire
        return None

    def capture(self):
        """The canvas as the player sees it, brought to the game's 1024 by 768 pixels."""
        left, top, width, height = self.canvas_rect()
        shot = self.driver.execute_cdp_cmd("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": False,
            "clip": {"x": left, "y": top, "width": width, "height": height, "scale": 1}})
        image = Image.open(io.BytesIO(base64.b64decode(shot["data"]))).convert("RGB")
        if image.size != (WIDTH, HEIGHT):
            image = image.resize((WIDTH, HEIGHT), Image.BILINEAR)
        return image

    def hide_and_show(self, hidden_seconds=1.0):
        """Another tab in front for a while, then this one shown again, as a player does."""
        page = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        time.sleep(hidden_seconds)
        self.driver.close()
        self.driver.switch_to.window(page)

    def show(self):
        """Shows the tab again after the page was frozen, which leaves it hidden."""
        self.hide_and_show(0)

    def set_offline(self, offline):
        """The browser's own offline mode, as its developer tools give it."""
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": offline, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})

    def kept(self):
        """What the page's service worker keeps: each cache by name, with the addresses in it
        relative to the page."""
        return self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            (async function () {
              const kept = {};
              for (const name of await caches.keys()) {
                const requests = await (await caches.open(name)).keys();
                kept[name] = requests.map((r) => r.url.slice(location.href.length)).sort();
              }
              return kept;
            })().then(done, (error) => done(String(error)));""")

    def release(self):
        """The release the page runs, as the page, the program, the WebAssembly and the data
        each say it: the name the page gives it, the name the program was marked with (None
        for the zip's), and the lengths the game started with."""
        return self.js("return [document.querySelector('script[src^=\"emberdash.js\"]').src"
                       ".split('release=')[1], window.__release || null,"
                       " Module.wasmBinary.byteLength, Module.getPreloadedPackage().byteLength];")

    def failure(self):
        """The page's own message of what went wrong, or nothing while none shows."""
        return self.js("const f = document.getElementById('failure');"
                       "return f.hidden ? '' : f.textContent;")

    def sound(self):
        return self.js("return window.__sound.blocks.slice();"), self.js("return window.__sound.rate;")

    def audio_state(self):
        return self.js("return window.__sound.context ? window.__sound.context.state : 'none';")

    def errors(self):
        return [entry for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]


def picture(name):
    return Image.open(os.path.join(DATA, "images", name)).convert("RGB")


def difference(a, b):
    """Mean difference per channel, 0 to 255."""
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / 3


def rmse(a, b):
    """Root mean square difference as a fraction of full scale."""
    stat = ImageStat.Stat(ImageChops.difference(a, b))
    return (sum(value ** 2 for value in stat.rms) / 3) ** 0.5 / 255


def pixel_x(x):
    return int((x + 50.0) / UNITS_PER_PIXEL)


def pixel_y(y):
    return int((75.0 - y) / UNITS_PER_PIXEL)


def is_flame(p):
    r, g, b = p
    return r > 220 and 60 < g < 235 and b < 70


def flame_near(image, x, y, reach):
    """Centre, in world units, of the flame-coloured pixels within reach units of a point."""
    pixels = image.load()
    x0, x1 = max(0, pixel_x(x - reach)), min(WIDTH - 1, pixel_x(x + reach))
    y0, y1 = max(0, pixel_y(y + reach)), min(HEIGHT - 1, pixel_y(y - reach))
    sx = sy = n = 0
    for py in range(y0, y1 + 1, 2):
        for px in range(x0, x1 + 1, 2):
            if is_flame(pixels[px, py]):
                sx += px
                sy += py
                n += 1
    if n < 20:
        return None
    return (sx / n + 0.5) * UNITS_PER_PIXEL - 50.0, 75.0 - (sy / n + 0.5) * UNITS_PER_PIXEL


def ink_width(image, x0, y0, x1, y1):
    """Horizontal extent, in pixels, of white ink inside a box of world units."""
    pixels = image.load()
    columns = [px for px in range(pixel_x(x0), pixel_x(x1))
               if any(min(pixels[px, py]) > 235 for py in range(pixel_y(y1), pixel_y(y0)))]
    return columns[-1] - columns[0] if columns else 0


def wav_envelope(path, block_seconds):
    """The root mean square of a 16-bit WAV file's samples, block by block."""
    import wave
    import array
    with wave.open(path) as sound:
        rate = sound.getframerate()
        channels = sound.getnchannels()
        samples = array.array("h", sound.readframes(sound.getnframes()))
    block = max(1, int(round(block_seconds * rate))) * channels
    envelope = []
    for start in range(0, len(samples) - block + 1, block):
        part = samples[start:start + block]
        envelope.append((sum(s * s for s in part) / len(part)) ** 0.5 / 32768)
    while envelope and envelope[-1] < 1e-4:
        envelope.pop()
    return envelope


def correlation(a, b):
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a) ** 0.5
    vb = sum((y - mb) ** 2 for y in b) ** 0.5
    return cov / (va * vb) if va and vb else 0.0
