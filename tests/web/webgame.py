"""The web release as a player gets it: the zip unpacked under a sub-path of a web server on
127.0.0.1, opened in one of the browser engines of engines.py. The page is watched from inside,
by a script the server puts before the page's own: its animation-frame requests are counted, the
game's mixed sound is read from the audio node SDL writes into, and its errors are noted."""

import functools
import gzip
import http.server
import io
import os
import re
import shutil
import tempfile
import threading
import zipfile

from PIL import Image, ImageChops, ImageStat

import engines
from engines import eventually

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
// Errors as the page meets them: uncaught, in a promise, written to the console, or a file
// that did not load.
window.__errors = [];
window.addEventListener("error", function (event) {
  const target = event.target;
  window.__errors.push(event.message || "could not load " + (target.src || target.href));
}, true);
window.addEventListener("unhandledrejection", function (event) {
  window.__errors.push("unhandled: " + event.reason);
});
const consoleError = console.error.bind(console);
console.error = function () {
  window.__errors.push(Array.prototype.join.call(arguments, " "));
  return consoleError.apply(null, arguments);
};
window.__frames = 0;
window.__drawnFrames = [];
// Frames the game may still run before it waits: none while the test looks, any while null.
window.__framesLeft = null;
// While frames are held the game's clock (Date.now, which GLUT reads) is the test's: it stands
// still between frames and moves a sixtieth of a second at each display the game is let run,
// so that every frame is as long as on a fast machine, however long the test looks or the
// machine takes. Freed, it runs on from where it stood.
const realNow = Date.now;
let clockShift = 0;
let heldClock = null;
let heldFrameTime = null;
Date.now = function () {
  return heldClock !== null ? Math.round(heldClock) : realNow() + clockShift;
};
let frameTime = 0;
const request = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = function (callback) {
  window.__frames++;
  return request(function run(time) {
    if (window.__framesLeft !== null) {
      if (heldClock === null) {
        heldClock = Date.now();
      }
      if (window.__framesLeft <= 0) {
        return request(run);
      }
      window.__framesLeft--;
      // The callbacks of one display share its time: the clock moves once for them all.
      if (time !== heldFrameTime) {
        heldFrameTime = time;
        heldClock += 1000 / 60;
      }
    } else if (heldClock !== null) {
      clockShift = heldClock - realNow();
      heldClock = null;
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
    """Serves the folder, with the watching scripts put first in every page's head; with
    caching off, every answer tells the browser to keep nothing."""

    early_scripts = ()
    caching = True

    def log_message(self, *args):
        pass

    def end_headers(self):
        if not self.caching:
            self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        if not path.endswith(".html") or not os.path.isfile(path):
            return super().send_head()
        with open(path, encoding="utf-8") as file:
            page = file.read()
        scripts = "".join("<script>%s</script>\n" % script for script in self.early_scripts)
        body = re.sub(r"<head[^>]*>", lambda head: head.group(0) + "\n" + scripts, page,
                      count=1).encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        return io.BytesIO(body)

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
    folders given, each under its own name; compress sends the large files gzip-compressed.
    Every page gets the watching script first, then any early scripts given. With caching off,
    the browser keeps nothing between loads."""

    def __init__(self, zip_path=None, others=(), compress=False, early_scripts=(), caching=True):
        self.root = tempfile.mkdtemp(prefix="emberdash-web-")
        game = os.path.join(self.root, "games", "emberdash")
        os.makedirs(game)
        with zipfile.ZipFile(zip_path or ZIP) as archive:
            archive.extractall(game)
        for name, folder in others:
            shutil.copytree(folder, os.path.join(self.root, name))
        handler = type("Handler", (CompressingHandler if compress else QuietHandler,),
                       {"early_scripts": (WATCH,) + tuple(early_scripts), "caching": caching})
        handler = functools.partial(handler, directory=self.root)
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


# Refuses the page service workers, as a sandboxed frame does, where even asking is refused.
NO_SERVICE_WORKERS = """
Object.defineProperty(Navigator.prototype, "serviceWorker", {get() {
  throw new DOMException("Service workers are refused here.", "SecurityError");
}});"""


def browser(width=WIDTH, height=HEIGHT, webgl=True, touch=False, engine=None):
    """The engine this run tests, or the one named, showing pages in a viewport of the given
    size: by default the game's own, where the page draws the game at one pixel to a pixel."""
    return engines.open_browser(width, height, webgl, touch, engine)


class Game:
    """The page in a browser: the game's canvas, the pointer on it in the game's own pixels, and
    what it shows and sounds."""

    def __init__(self, browser, url):
        self.browser = browser
        self.track = []
        browser.get(url)

    def js(self, script, *args):
        return self.browser.js(script, *args)

    def wait_until_ready(self):
        """The page has downloaded the game and offers the start."""
        return eventually(lambda: self.js(
            "return !document.getElementById('play').hidden"), seconds=120)

    def start(self):
        self.browser.click_element("play")

    def canvas_rect(self):
        return self.js("const r = document.getElementById('canvas').getBoundingClientRect();"
                       "return [r.left, r.top, r.width, r.height];")

    def to_page(self, px, py):
        left, top, width, height = self.canvas_rect()
        return left + (px + 0.5) * width / WIDTH, top + (py + 0.5) * height / HEIGHT

    def mouse(self, kind, px, py, buttons=0):
        """A mouse event at the game's pixel (px, py): "move", "down" or "up"; buttons held
        while it moves."""
        self.browser.pointer(kind, *self.to_page(px, py), buttons)

    def click(self, px, py):
        self.mouse("move", px, py)
        self.mouse("down", px, py, 1)
        self.mouse("up", px, py)

    def touch(self, kind, px=None, py=None):
        """A finger at the game's pixel (px, py): "start", "move", or "end" with no place."""
        if px is None:
            self.browser.finger(kind)
        else:
            self.browser.finger(kind, *self.to_page(px, py))

    def hold_frames(self):
        """The game runs no frame until let, and its clock moves only with the frames let run:
        a sixtieth of a second each, however slow the machine."""
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
        parked fire burns its tile through in about a hundred of the game's frames, each of which
        takes two animation frames (its turn, then its drawing): looks come every 32 animation
        frames. What each look saw is kept in track."""
        self.track = []
        for _ in range(0, frames, 32):
            # A game that runs no more frames has ended its run and stands still.
            if not self.let_frames(32):
                self.track.append("the run ended")
                return None
            fire = flame_near(self.capture(), x, y, reach)
            self.track.append(fire and "(%.1f, %.1f)" % fire)
            if fire and wanted(fire):
                return fire
        return None

    def capture(self):
        """The canvas as the player sees it, brought to the game's 1024 by 768 pixels."""
        image = self.browser.screenshot(*self.canvas_rect()).convert("RGB")
        if image.size != (WIDTH, HEIGHT):
            image = image.resize((WIDTH, HEIGHT), Image.BILINEAR)
        return image

    def hide_and_show(self, hidden_seconds=1.0):
        """The page hidden for a while, then shown again, as a player does."""
        self.browser.hide_for(hidden_seconds)

    def kept(self):
        """What the page's service worker keeps: each cache by name, with the addresses in it
        relative to the page."""
        return self.browser.js_async("""
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
        return self.js("return window.__errors || [];") + self.browser.log_errors()


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
    """Centre, in world units, of the largest patch of flame-coloured pixels within reach units
    of a point: the fire's, not that of a pickup lying near it."""
    pixels = image.load()
    x0, x1 = max(0, pixel_x(x - reach)), min(WIDTH - 1, pixel_x(x + reach))
    y0, y1 = max(0, pixel_y(y + reach)), min(HEIGHT - 1, pixel_y(y - reach))
    # Every other pixel each way is looked at; a patch is what touches on that grid.
    flame = {(px, py) for py in range(y0, y1 + 1, 2) for px in range(x0, x1 + 1, 2)
             if is_flame(pixels[px, py])}
    largest = []
    while flame:
        patch = [flame.pop()]
        for px, py in patch:
            for near in ((px + 2, py), (px - 2, py), (px, py + 2), (px, py - 2)):
                if near in flame:
                    flame.remove(near)
                    patch.append(near)
        largest = max(largest, patch, key=len)
    if len(largest) < 20:
        return None
    sx = sum(px for px, _ in largest) / len(largest)
    sy = sum(py for _, py in largest) / len(largest)
    return (sx + 0.5) * UNITS_PER_PIXEL - 50.0, 75.0 - (sy + 0.5) * UNITS_PER_PIXEL


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
