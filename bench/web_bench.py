"""The web figures: the game's page and a bare page of the same toolchain (one full-window
textured square drawn at every animation frame), served side by side on 127.0.0.1 and opened one
after the other in the same headless Chromium. Prints a Markdown table, and writes it to a file
when one is named.
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


# Loads a page a few times, each from the server afresh (the browser's cache is off, so each load
# downloads and compiles the program again), and keeps the median time from navigation to the
# first frame drawn. start, when given, starts the page once it is loaded. Returns that median and
# the last load's page.
def first_frames(driver, url, start=None, loads=3):
    times = []
    for _ in range(loads):
        game = Game(driver, url)
        if start:
            start(game)
        webgame.eventually(lambda: len(drawn_frames(game)) > 0)
        times.append(drawn_frames(game)[0][1])
    return statistics.median(times), game


def bare_page(driver, site):
    first, game = first_frames(driver, site.origin + "bare/bare.html")
    start = len(drawn_frames(game))
    time.sleep(5)
    return first, median_interval(drawn_frames(game)[start:])


def start_at_once(game):
    """The start button clicked as soon as it shows."""
    game.wait_until_ready()
    game.js("document.getElementById('play').click();")


def game_page(driver, site):
    first, game = first_frames(driver, site.url, start_at_once)
    # The title standing still: frames requested once its picture is up.
    time.sleep(1)
    before = game.js("return window.__frames;")
    time.sleep(3)
    still = game.js("return window.__frames;") - before
    # Play, with the fire led round a circle so that the run goes on.
    game.click(pixel_x(0), pixel_y(4.5))
    time.sleep(0.3)
    game.click(pixel_x(0), pixel_y(4.5))
    game.mouse("mousePressed", pixel_x(0), pixel_y(4.5), 1)
    start = len(drawn_frames(game))
    end = time.monotonic() + 5
    angle = 0.0
    while time.monotonic() < end:
        angle += 0.15
        game.mouse("mouseMoved", pixel_x(20 * math.cos(angle)), pixel_y(35 + 20 * math.sin(angle)), 1)
        time.sleep(0.05)
    played = median_interval(drawn_frames(game)[start:])
    game.mouse("mouseReleased", pixel_x(0), pixel_y(35))
    return first, still, played


def main():
    zip_path, bare, table = sys.argv[1], sys.argv[2], (sys.argv[3] if len(sys.argv) > 3 else None)
    site = webgame.Site(zip_path, others=[("bare", bare)])
    driver = webgame.browser()
    driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
    try:
        # The browser's own start (its first page, its WebGL) is not the pages': one load of the
        # bare page takes it.
        first_frames(driver, site.origin + "bare/bare.html", loads=1)
        bare_first, bare_interval = bare_page(driver, site)
        game_first, still, game_interval = game_page(driver, site)
        version = driver.capabilities.get("browserVersion", "?")
    finally:
        webgame.close_browser(driver)
        site.close()
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
    lines = ["Chromium %s, headless, SwiftShader WebGL; %d cores." % (version, os.cpu_count()), "",
             "| web figure | measured | target | met |", "|---|---|---|---|"]
    lines += ["| %s | %s | %s | %s |" % (name, value, target, "yes" if met else "**no**")
              for name, value, target, met in rows]
    text = "\n".join(lines) + "\n"
    sys.stdout.write(text)
    if table:
        with open(table, "w") as out:
            out.write(text)
    return 0 if all(met for *_, met in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
