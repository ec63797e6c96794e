"""The web figures, in each browser engine: the game's page and a bare page of the same toolchain
(one full-window textured square drawn at every animation frame), served side by side on
127.0.0.1 and opened one after the other in the same browser, as on a player's first visit:
nothing cached and no service worker. Prints a Markdown table per engine, and writes them to a
file when one is named. WebKit and Firefox draw in the X server of $DISPLAY.
    web_bench.py ZIP BARE_FOLDER [TABLE_FILE]"""

import math
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import webgame  # noqa: E402
from webgame import Game, pixel_x, pixel_y  # noqa: E402

# Each figure's target, as the table states it.
FRAME_RATIO_TARGET = 1.25
FIRST_FRAME_TARGET_MS = 1500
STILL_FRAMES_TARGET = 3
ZIP_TARGET_MB = 4.0


def drawn_frames(game):
    return game.js("return window.__drawnFrames.slice();")


def median_interval(frames):
    times = [time_ for time_, _ in frames]
    gaps = [b - a for a, b in zip(times, times[1:])]
    return statistics.median(gaps) if gaps else math.inf


# Loads a page a few times, each from the server afresh (the server forbids caching, so each load
# downloads and compiles the program again), and keeps the median time from navigation to the
# first frame drawn. start, when given, starts the page once it is loaded. Returns that median and
# the last load's page.
def first_frames(browser, url, start=None, loads=3):
    times = []
    for _ in range(loads):
        game = Game(browser, url)
        if start:
            start(game)
        webgame.eventually(lambda: len(drawn_frames(game)) > 0)
        times.append(drawn_frames(game)[0][1])
    return statistics.median(times), game


def bare_page(browser, site):
    first, game = first_frames(browser, site.origin + "bare/bare.html")
    start = len(drawn_frames(game))
    time.sleep(5)
    return first, median_interval(drawn_frames(game)[start:])


def start_at_once(game):
    """The start button clicked as soon as it shows."""
    game.wait_until_ready()
    game.js("document.getElementById('play').click();")


def game_page(browser, site):
    first, game = first_frames(browser, site.url, start_at_once)
    # The title standing still: frames requested once its picture is up.
    time.sleep(1)
    before = game.js("return window.__frames;")
    time.sleep(3)
    still = game.js("return window.__frames;") - before
    # Play, with the fire led round a circle so that the run goes on.
    game.click(pixel_x(0), pixel_y(4.5))
    time.sleep(0.3)
    game.click(pixel_x(0), pixel_y(4.5))
    game.mouse("down", pixel_x(0), pixel_y(4.5), 1)
    start = len(drawn_frames(game))
    end = time.monotonic() + 5
    angle = 0.0
    while time.monotonic() < end:
        angle += 0.15
        game.mouse("move", pixel_x(20 * math.cos(angle)), pixel_y(35 + 20 * math.sin(angle)), 1)
        time.sleep(0.05)
    played = median_interval(drawn_frames(game)[start:])
    game.mouse("up", pixel_x(0), pixel_y(35))
    return first, still, played


# What the table's heading says of each engine's drawing.
SETTINGS = {"chromium": "headless, SwiftShader WebGL", "webkit": "MiniBrowser under Xvfb",
            "firefox": "under Xvfb"}


def engine_table(engine, zip_path, site):
    """One engine's figures, as a Markdown table under a line naming the browser; and whether
    every target was met."""
    browser = webgame.browser(engine=engine)
    try:
        # The browser's own start (its first page, its WebGL) is not the pages': one load of the
        # bare page takes it.
        first_frames(browser, site.origin + "bare/bare.html", loads=1)
        renderer = browser.js(
            "const gl = document.createElement('canvas').getContext('webgl');"
            "const info = gl && gl.getExtension('WEBGL_debug_renderer_info');"
            "return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : '';")
        bare_first, bare_interval = bare_page(browser, site)
        game_first, still, game_interval = game_page(browser, site)
        version = browser.version()
    finally:
        browser.close()
    size = os.path.getsize(zip_path) / 1e6
    ratio = game_interval / bare_interval
    rows = [
        ("median frame interval in play", "%.1f ms against the bare page's %.1f ms: %.2f×" % (
            game_interval, bare_interval, ratio), "at most %.2f×" % FRAME_RATIO_TARGET,
         ratio <= FRAME_RATIO_TARGET),
        ("navigation to the first frame, median of 3", "%.0f ms (the bare page: %.0f ms)" % (
            game_first, bare_first), "at most %d ms" % FIRST_FRAME_TARGET_MS,
         game_first <= FIRST_FRAME_TARGET_MS),
        ("frames requested in 3 s of the still title", "%d" % still,
         "at most %d" % STILL_FRAMES_TARGET, still <= STILL_FRAMES_TARGET),
        ("size of the zip", "%.2f MB" % size, "at most %.0f MB" % ZIP_TARGET_MB,
         size <= ZIP_TARGET_MB),
    ]
    heading = "%s %s, %s%s; %d cores." % (
        browser.name, version, SETTINGS[engine],
        " (the WebGL renderer it names: %s)" % renderer if renderer else "", os.cpu_count())
    lines = [heading, "", "| web figure | measured | target | met |", "|---|---|---|---|"]
    lines += ["| %s | %s | %s | %s |" % (name, value, target, "yes" if met else "**no**")
              for name, value, target, met in rows]
    return "\n".join(lines) + "\n", all(met for *_, met in rows)


def main():
    zip_path, bare, table = sys.argv[1], sys.argv[2], (sys.argv[3] if len(sys.argv) > 3 else None)
    site = webgame.Site(zip_path, others=[("bare", bare)],
                        early_scripts=[webgame.NO_SERVICE_WORKERS], caching=False)
    tables, met = [], True
    try:
        for engine in webgame.engines.ENGINES:
            text, engine_met = engine_table(engine, zip_path, site)
            sys.stdout.write(text + "\n")
            tables.append(text)
            met = met and engine_met
    finally:
        site.close()
    if table:
        with open(table, "w") as out:
            out.write("\n".join(tables))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
