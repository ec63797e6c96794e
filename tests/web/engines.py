"""The browsers the web tests play the page in, each from Debian's packages, behind one small
interface: Chromium (Blink), headless, through its ChromeDriver; WebKitGTK's MiniBrowser (WebKit,
the engine of Safari and of every browser on an iPhone) through WebKitWebDriver; and Firefox ESR
(Gecko) over WebDriver BiDi, which it speaks itself. The last two draw in the X server of
$DISPLAY. EMBERDASH_WEB_ENGINE names the one a run uses.

Every engine is given a page at the viewport asked for, and answers in the page's CSS pixels.
What one engine cannot do here (Chromium's judgement of the manifest and its offline mode are
its own; WebKit has no touch screen) is answered by None, or refused with unittest.SkipTest, so
that a test says what it could not check there."""

import base64
import glob
import io
import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest
import warnings

import websocket
from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.actions import interaction

ENGINE = os.environ.get("EMBERDASH_WEB_ENGINE", "chromium")
# Debian's Selenium passes WebKitWebDriver options it has since deprecated, and says so.
warnings.filterwarnings("ignore", category=DeprecationWarning, module="selenium")


class Browser:
    """What the tests ask of any engine."""

    name = ""

    def __init__(self, driver):
        self.driver = driver

    def get(self, url):
        self.driver.get(url)

    def refresh(self):
        self.driver.refresh()

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, script, *args):
        return self.driver.execute_async_script(script, *args)

    def click_element(self, element_id):
        self.driver.find_element("id", element_id).click()

    def shown(self, element_id):
        return self.driver.find_element("id", element_id).is_displayed()

    def text(self, element_id):
        return self.driver.find_element("id", element_id).text

    def pointer(self, kind, x, y, buttons=0):
        """A mouse event at page point (x, y): "move", "down" or "up"; buttons are those held
        while it moves (drivers that keep the pointer's state need not be told)."""
        raise NotImplementedError

    def finger(self, kind, x=None, y=None):
        """A touch at page point (x, y): "start", "move" or "end"."""
        raise unittest.SkipTest("%s has no touch screen here" % self.name)

    def screenshot(self, left, top, width, height):
        """The page's pixels in that rectangle of the viewport."""
        raise NotImplementedError

    def resize(self, width, height):
        """The viewport made that size, as a window resized or a phone turned."""
        raise NotImplementedError

    def hide_for(self, seconds):
        """The page hidden for a while, as behind another tab or a minimised window, then
        shown again."""
        raise NotImplementedError

    def pause_timers_for(self, seconds):
        """The page's timers and frames stopped for a while, as in a tab in the background,
        then the page shown again."""
        self.hide_for(seconds)

    def set_offline(self, offline):
        """The browser's own offline mode, where it has one; the tests cut the server too."""

    def installability(self):
        """The browser's judgement of the page as an installable app: the manifest's errors and
        the reasons it cannot be installed, or None where the browser does not say."""
        return None

    def log_errors(self):
        """Errors the browser logged beyond those the page's own hook saw."""
        return []

    def version(self):
        return self.driver.capabilities.get("browserVersion", "?")

    def close(self):
        self.driver.quit()


class Chromium(Browser):
    """Debian's Chromium, headless, with its software WebGL and a profile of its own."""

    name = "Chromium"

    def __init__(self, width, height, webgl, touch):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        self.profile = tempfile.mkdtemp(prefix="emberdash-chromium-")
        for argument in [
            "--headless=new", "--no-sandbox", "--use-angle=swiftshader",
            "--enable-unsafe-swiftshader", "--no-first-run", "--disable-background-networking",
            "--disable-component-update", "--disable-sync", "--disable-quic",
            "--disable-default-apps", "--mute-audio", "--user-data-dir=" + self.profile,
            "--window-size=%d,%d" % (width, height + 200), "--force-device-scale-factor=1",
        ] + ([] if webgl else ["--disable-webgl", "--disable-3d-apis"]):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        super().__init__(webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                                          options=options))
        self.resize(width, height)
        if touch:
            self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=1)

    def cdp(self, command, **parameters):
        return self.driver.execute_cdp_cmd(command, parameters)

    def pointer(self, kind, x, y, buttons=0):
        kinds = {"move": "mouseMoved", "down": "mousePressed", "up": "mouseReleased"}
        self.cdp("Input.dispatchMouseEvent", type=kinds[kind], x=x, y=y,
                 button="none" if kind == "move" and not buttons else "left",
                 buttons=buttons, clickCount=1)

    def finger(self, kind, x=None, y=None):
        kinds = {"start": "touchStart", "move": "touchMove", "end": "touchEnd"}
        points = [] if x is None else [{"x": x, "y": y}]
        self.cdp("Input.dispatchTouchEvent", type=kinds[kind], touchPoints=points)

    def screenshot(self, left, top, width, height):
        shot = self.cdp("Page.captureScreenshot", format="png", captureBeyondViewport=False,
                        clip={"x": left, "y": top, "width": width, "height": height, "scale": 1})
        return Image.open(io.BytesIO(base64.b64decode(shot["data"])))

    def resize(self, width, height):
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=1, mobile=False)

    def hide_for(self, seconds):
        page = self.driver.current_window_handle
        self.driver.switch_to.new_window("tab")
        time.sleep(seconds)
        self.driver.close()
        self.driver.switch_to.window(page)

    def pause_timers_for(self, seconds):
        self.cdp("Page.setWebLifecycleState", state="frozen")
        time.sleep(seconds)
        self.cdp("Page.setWebLifecycleState", state="active")
        # A frozen page is a hidden one, whose sound waits: it is shown again.
        self.hide_for(0)

    def set_offline(self, offline):
        self.cdp("Network.enable")
        self.cdp("Network.emulateNetworkConditions", offline=offline, latency=0,
                 downloadThroughput=-1, uploadThroughput=-1)

    def installability(self):
        return (self.cdp("Page.getAppManifest")["errors"],
                self.cdp("Page.getInstallabilityErrors")["installabilityErrors"])

    def log_errors(self):
        return [entry["message"] for entry in self.driver.get_log("browser")
                if entry["level"] == "SEVERE"]

    def close(self):
        super().close()
        shutil.rmtree(self.profile, ignore_errors=True)


class WebKit(Browser):
    """WebKitGTK's MiniBrowser in a window of the test's X server, driven by WebKitWebDriver.
    Its window is sized so that the page's viewport is the size asked for."""

    name = "WebKit"

    def __init__(self, width, height, webgl, touch):
        if touch:
            raise unittest.SkipTest("WebKitGTK's MiniBrowser has no touch screen here")
        options = webdriver.WebKitGTKOptions()
        # The library's own folder holds it: webkit2gtk-4.1 or webkitgtk-6.0, by release.
        found = sorted(glob.glob("/usr/lib/*/webkit*gtk-*/MiniBrowser"))
        if not found:
            raise RuntimeError("no MiniBrowser: WebKitGTK is not installed")
        options.binary_location = found[0]
        options.add_argument("--automation")
        if not webgl:
            options.add_argument("--enable-webgl=false")
        super().__init__(webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver",
                                             options=options))
        self.resize(width, height)

    def pointer(self, kind, x, y, buttons=0):
        mouse = PointerInput(interaction.POINTER_MOUSE, "mouse")
        builder = ActionBuilder(self.driver, mouse=mouse)
        builder.pointer_action.move_to_location(int(round(x)), int(round(y)))
        if kind == "down":
            builder.pointer_action.pointer_down()
        elif kind == "up":
            builder.pointer_action.pointer_up()
        builder.perform()

    def screenshot(self, left, top, width, height):
        image = Image.open(io.BytesIO(self.driver.get_screenshot_as_png()))
        return image.crop((round(left), round(top), round(left + width), round(top + height)))

    def resize(self, width, height):
        # The window's own frame and toolbar take what the viewport does not.
        self.driver.set_window_size(width, height)
        inner = self.js("return [window.innerWidth, window.innerHeight];")
        self.driver.set_window_size(2 * width - inner[0], 2 * height - inner[1])

    def hide_for(self, seconds):
        size = self.driver.get_window_size()
        self.driver.minimize_window()
        time.sleep(seconds)
        self.driver.set_window_size(size["width"], size["height"])


class SoundServer:
    """A PulseAudio server of the browser's own, whose one device is a null sink: a browser that
    finds no sound device never lets a page's audio context run."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="emberdash-pulse-")
        os.chmod(self.folder, 0o700)
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.folder, HOME=self.folder)
        self.process = subprocess.Popen(
            ["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "-n",
             "--use-pid-file=no", "-L", "module-null-sink sink_name=silent",
             "-L", "module-native-protocol-unix socket=%s/native" % self.folder],
            env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.address = "unix:%s/native" % self.folder
        if not eventually(lambda: os.path.exists(os.path.join(self.folder, "native"))):
            self.close()
            raise RuntimeError("PulseAudio did not start")

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def eventually(check, seconds=60, pause=0.1):
    """Asks until check answers something true; the machine may be slow, so the limit is only
    there to end a test that would never pass."""
    end = time.monotonic() + seconds
    while True:
        answer = check()
        if answer or time.monotonic() > end:
            return answer
        time.sleep(pause)


class Firefox(Browser):
    """Debian's Firefox ESR in a window of the test's X server (headless, it has no WebGL here),
    driven over WebDriver BiDi, the protocol it speaks itself: Debian has no geckodriver."""

    name = "Firefox"

    def __init__(self, width, height, webgl, touch):
        self.socket = self.process = None
        self.sound = SoundServer()
        self.profile = tempfile.mkdtemp(prefix="emberdash-firefox-")
        # A failure on the way ends what had started.
        try:
            self.start(width, height, webgl, touch)
        except BaseException:
            self.close()
            raise

    def start(self, width, height, webgl, touch):
        preferences = {
            # Sound starts at the player's click; the driver's clicks do not always count as
            # one here, so sound is allowed from the start.
            "media.autoplay.default": 0, "media.autoplay.blocking_policy": 0,
            "browser.shell.checkDefaultBrowser": False, "app.update.disabledForTesting": True,
            "browser.startup.homepage_override.mstone": "ignore",
            "datareporting.policy.dataSubmissionEnabled": False,
            "toolkit.telemetry.reportingpolicy.firstRun": False,
            "browser.tabs.warnOnClose": False,
            "webgl.disabled": not webgl,
        }
        if touch:
            # A phone's, as Firefox for Android is: touch events with the handler properties
            # (ontouchstart) that pages test for, and a finger for the only pointer, coarse and
            # without hover, as media queries see it.
            preferences.update({"dom.w3c_touch_events.enabled": 1,
                                "dom.w3c_touch_events.legacy_apis.enabled": True,
                                "ui.primaryPointerCapabilities": 1, "ui.allPointerCapabilities": 1})
        with open(os.path.join(self.profile, "user.js"), "w", encoding="utf-8") as prefs:
            for name, value in preferences.items():
                prefs.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
        # Firefox picks a free port itself and names it in the profile: no other program can
        # take it between the choice and the listening.
        self.process = subprocess.Popen(
            ["firefox-esr", "--remote-allow-system-access", "--remote-debugging-port=0",
             "--profile", self.profile,
             "--no-remote", "--new-instance", "about:blank"],
            env=dict(os.environ, PULSE_SERVER=self.sound.address, MOZ_CRASHREPORTER_DISABLE="1"),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.connect()
        self.last_id = 0
        self.capabilities = self.send("session.new", capabilities={})["capabilities"]
        self.context = self.send("browsingContext.getTree")["contexts"][0]["context"]
        # The window and the page in it take the focus, as a window manager and a click in the
        # page give them on a desktop: the test's X server has no window manager, and Firefox
        # grants fullscreen only to the page of the focused tab.
        window = self.send("browsingContext.getTree", **{"moz:scope": "chrome"})
        self.send("script.evaluate", awaitPromise=False,
                  target={"context": window["contexts"][0]["context"]},
                  expression="window.focus(); gBrowser.selectedBrowser.focus();")
        self.resize(width, height)

    def connect(self):
        server = os.path.join(self.profile, "WebDriverBiDiServer.json")

        def session():
            try:
                with open(server, encoding="utf-8") as named:
                    port = json.load(named)["ws_port"]
                self.socket = websocket.create_connection(
                    "ws://127.0.0.1:%d/session" % port, suppress_origin=True)
            except (OSError, ValueError, KeyError, websocket.WebSocketException):
                return False
            return True
        if not eventually(session):
            raise RuntimeError("Firefox took no WebDriver BiDi session")

    def send(self, method, **parameters):
        self.last_id += 1
        self.socket.send(json.dumps({"id": self.last_id, "method": method, "params": parameters}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.last_id:
                if message.get("type") == "error":
                    raise RuntimeError("%s: %s" % (method, message.get("message")))
                return message["result"]

    def get(self, url):
        self.send("browsingContext.navigate", context=self.context, url=url, wait="complete")

    def refresh(self):
        self.send("browsingContext.reload", context=self.context, wait="complete")

    def call(self, function, args):
        answer = self.send("script.callFunction", functionDeclaration=function,
                           arguments=[to_bidi(value) for value in args], awaitPromise=True,
                           target={"context": self.context})
        if answer["type"] == "exception":
            raise RuntimeError(answer["exceptionDetails"]["text"])
        return from_bidi(answer["result"])

    def js(self, script, *args):
        return self.call("function () {%s\n}" % script, args)

    def js_async(self, script, *args):
        return self.call("function () { const given = Array.from(arguments);"
                         " return new Promise((done) => { given.push(done);"
                         " (function () {%s\n}).apply(null, given); }); }" % script, args)

    def click_element(self, element_id):
        left, top, width, height = self.js(
            "const r = document.getElementById(arguments[0]).getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height];", element_id)
        x, y = left + width / 2, top + height / 2
        self.pointer("move", x, y)
        self.pointer("down", x, y)
        self.pointer("up", x, y)

    def shown(self, element_id):
        return self.js("const e = document.getElementById(arguments[0]);"
                       "const style = getComputedStyle(e);"
                       "return e.getClientRects().length > 0 && style.visibility !== 'hidden';",
                       element_id)

    def text(self, element_id):
        return self.js("return document.getElementById(arguments[0]).innerText;", element_id)

    def pointer(self, kind, x, y, buttons=0):
        steps = [{"type": "pointerMove", "x": int(round(x)), "y": int(round(y))}]
        if kind != "move":
            steps.append({"type": "pointerDown" if kind == "down" else "pointerUp", "button": 0})
        self.send("input.performActions", context=self.context, actions=[{
            "type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
            "actions": steps}])

    def finger(self, kind, x=None, y=None):
        steps = []
        if x is not None:
            steps.append({"type": "pointerMove", "x": int(round(x)), "y": int(round(y))})
        if kind != "move":
            steps.append({"type": "pointerDown" if kind == "start" else "pointerUp", "button": 0})
        self.send("input.performActions", context=self.context, actions=[{
            "type": "pointer", "id": "finger", "parameters": {"pointerType": "touch"},
            "actions": steps}])

    def screenshot(self, left, top, width, height):
        shot = self.send("browsingContext.captureScreenshot", context=self.context,
                         clip={"type": "box", "x": left, "y": top, "width": width,
                               "height": height})
        return Image.open(io.BytesIO(base64.b64decode(shot["data"])))

    def resize(self, width, height):
        self.send("browsingContext.setViewport", context=self.context,
                  viewport={"width": width, "height": height})

    def hide_for(self, seconds):
        other = self.send("browsingContext.create", type="tab")["context"]
        time.sleep(seconds)
        self.send("browsingContext.close", context=other)
        self.send("browsingContext.activate", context=self.context)

    def version(self):
        return self.capabilities.get("browserVersion", "?")

    def close(self):
        if self.socket:
            self.socket.close()
        if self.process:
            self.process.kill()
            self.process.wait()
        self.sound.close()
        shutil.rmtree(self.profile, ignore_errors=True)


def to_bidi(value):
    """A Python value as a WebDriver BiDi local value."""
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    return {"type": "array", "value": [to_bidi(item) for item in value]}


def from_bidi(remote):
    """A WebDriver BiDi remote value as Python's."""
    kind, value = remote["type"], remote.get("value")
    if kind in ("array", "set"):
        return [from_bidi(item) for item in value]
    if kind == "object":
        return {key if isinstance(key, str) else from_bidi(key): from_bidi(item)
                for key, item in value}
    if kind in ("undefined", "null"):
        return None
    if kind in ("string", "boolean", "number"):
        return value
    return kind


ENGINES = {"chromium": Chromium, "webkit": WebKit, "firefox": Firefox}


def open_browser(width, height, webgl=True, touch=False, engine=None):
    return ENGINES[engine or ENGINE](width, height, webgl, touch)

