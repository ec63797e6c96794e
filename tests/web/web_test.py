"""End-to-end: the web release in a browser engine (engines.py), as a player meets it: the
download, the start, the screens as on Linux, the mouse and the finger steering the fire, the
run's end, and the sound throughout."""

import functools
import os
import shutil
import sys
import tempfile
import unittest
import urllib.parse

from PIL import Image

import webgame
from webgame import Game, eventually, flame_near, pixel_x, pixel_y


class WebRelease(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = webgame.Site()

    @classmethod
    def tearDownClass(cls):
        cls.site.close()

    def open(self, **options):
        browser = webgame.browser(**options)
        self.addCleanup(browser.close)
        return Game(browser, self.site.url)

    def assertShows(self, game, name):
        reference = webgame.picture(name)
        seen = eventually(lambda: webgame.difference(game.capture(), reference) <
                          webgame.SAME_PICTURE)
        self.assertTrue(seen, "the page never showed %s; it differs by %.1f" % (
            name, webgame.difference(game.capture(), reference)))

    def assertNoErrors(self, game):
        self.assertEqual(game.errors(), [])

    def test_loads_with_progress_starts_at_a_click_and_shows_the_title_with_its_music(self):
        game = self.open()
        # The bar fills as the files arrive, and gives way to the start.
        self.assertTrue(game.wait_until_ready(), "the page never offered the start")
        self.assertEqual(game.js("return document.getElementById('progress').value;"), 1)
        self.assertEqual(game.js("return document.title;"), "Emberdash")
        self.assertEqual(game.audio_state(), "none", "sound started before the player's click")
        game.start()

        self.assertShows(game, "titlescreen.png")
        linux = Image.open(os.path.join(webgame.SCREENSHOTS, "title.png")).convert("RGB")
        self.assertLess(webgame.rmse(game.capture(), linux), 0.01)

        # The click that starts the page was not a press for the game: the title stays. It stays
        # too after the page's timers stood still for a second, as in a tab in the background:
        # the game's clock then clears the screen outside a frame.
        game.browser.pause_timers_for(1)
        # The game's timers run again before the page's next one does.
        game.browser.js_async("setTimeout(arguments[0], 200);")
        self.assertLess(webgame.difference(game.capture(), webgame.picture("titlescreen.png")),
                        webgame.SAME_PICTURE)
        self.assertTrue(eventually(lambda: game.audio_state() == "running", seconds=30,
                                   pause=0.2), "the sound never ran: " + game.audio_state())
        heard = eventually(lambda: any(peak > 0.01 for _, _, peak in game.sound()[0]))
        self.assertTrue(heard, "nothing was mixed on the title screen")
        # No menu opens over the game.
        self.assertFalse(game.js(
            "return document.getElementById('canvas').dispatchEvent("
            "new MouseEvent('contextmenu', {bubbles: true, cancelable: true}));"))
        self.assertNoErrors(game)

    def test_from_a_server_that_compresses_the_files_the_progress_never_passes_100(self):
        # Every text the status line shows, from the page's first moment.
        site = webgame.Site(compress=True, early_scripts=["""
            window.shownStatus = [];
            document.addEventListener("DOMContentLoaded", function () {
              var status = document.getElementById("status");
              new MutationObserver(function () { window.shownStatus.push(status.textContent); })
                .observe(status, {childList: true, characterData: true, subtree: true});
            });"""])
        self.addCleanup(site.close)
        browser = webgame.browser()
        self.addCleanup(browser.close)
        game = Game(browser, site.url)
        self.assertTrue(game.wait_until_ready(), "the page never offered the start")
        shown = game.js("return window.shownStatus;")
        percents = [int(text.split()[1]) for text in shown if text.endswith("%")]
        self.assertTrue(all(0 <= percent <= 100 for percent in percents), shown)
        game.start()
        self.assertShows(game, "titlescreen.png")
        self.assertNoErrors(game)

    def play_and_steer(self, game, started=False):
        if not started:
            self.assertTrue(game.wait_until_ready())
            game.start()
        self.assertShows(game, "titlescreen.png")
        game.click(pixel_x(0), pixel_y(4.5))
        self.assertShows(game, "instructions.png")
        # Play: the fire heads for where the pointer is dragged. The game runs a few frames at
        # a time while the test looks, so that the fire cannot burn through and end the run
        # unseen on a slow machine.
        game.hold_frames()
        game.click(pixel_x(0), pixel_y(4.5))
        game.mouse("move", pixel_x(0), pixel_y(4.5))
        game.mouse("down", pixel_x(0), pixel_y(4.5), 1)
        for x in range(0, -31, -3):
            game.mouse("move", pixel_x(x), pixel_y(4.5), 1)
        # It comes to rest under the pointer's last place, not at the one before it.
        fire = game.fire_within(600, lambda f: f[0] < -28.5, -20, 4.5, 15)
        game.free_frames()
        if not fire:
            seen = game.capture()
            self.fail("the fire did not follow the pointer: it is at %s; the screen differs from "
                      "the run's end by %.1f; the looks saw %s" % (
                          flame_near(seen, 0, 37.5, 50),
                          webgame.difference(seen, webgame.picture("gameover.png")), game.track))
        game.mouse("up", pixel_x(-30), pixel_y(4.5))

    def assertRunEndsWithItsScoreAndTheBlowout(self, game):
        reference = webgame.picture("gameover.png")
        ended = eventually(lambda: webgame.difference(game.capture(), reference) <
                           3 * webgame.SAME_PICTURE, seconds=120)
        self.assertTrue(ended, "the run never ended")
        self.assertGreater(webgame.ink_width(game.capture(), -27, 14, 50, 24), 300,
                           "no final score")
        # The run's end stops the music and sounds the blowout, then the output falls silent:
        # the last sound before the silence has the blowout's own shape.
        def silent_at_end():
            blocks, rate = game.sound()
            frames = 0
            for length, _, peak in reversed(blocks):
                if peak > 1e-4:
                    return None
                frames += length
                if frames >= rate:
                    return blocks, rate
            return None
        result = eventually(silent_at_end, seconds=60, pause=0.3)
        self.assertTrue(result, "the output never fell silent after the run")
        blocks, rate = result
        while blocks[-1][2] <= 1e-4:
            blocks.pop()
        block_seconds = blocks[-1][0] / rate
        blowout = webgame.wav_envelope(os.path.join(webgame.DATA, "audio", "blowout.wav"),
                                       block_seconds)
        # The blocks of the output and of the file need not start together: the best of a few
        # alignments is taken. Music cut off at the run's end, with no blowout, ends flat.
        heard = [rms for _, rms, _ in blocks]
        likeness = max(webgame.correlation(heard[len(heard) - len(blowout) - shift:
                                                 len(heard) - shift], blowout)
                       for shift in range(0, 3))
        self.assertGreater(likeness, 0.8, "the end of the sound is not the blowout")

    def test_clicks_start_play_a_drag_steers_and_a_parked_fire_ends_the_run(self):
        game = self.open()
        self.play_and_steer(game)
        self.assertRunEndsWithItsScoreAndTheBlowout(game)
        self.assertNoErrors(game)

    def test_in_a_smaller_window_the_page_scales_and_the_pointer_still_steers(self):
        game = self.open(width=800, height=600)
        self.assertTrue(game.wait_until_ready())
        left, top, width, height = game.canvas_rect()
        self.assertLessEqual(width, 800)
        self.assertAlmostEqual(width / height, 4 / 3, places=2)
        self.play_and_steer(game)
        self.assertNoErrors(game)

    def test_in_a_large_window_the_canvas_fills_its_height_and_the_pointer_still_steers(self):
        game = self.open(width=1920, height=1080)
        self.assertTrue(game.wait_until_ready())
        self.assertEqual(game.js("return [window.innerWidth, window.innerHeight];"), [1920, 1080])
        # 1440 by 1080, letterboxed in the middle.
        self.assertEqual([round(value) for value in game.canvas_rect()], [240, 0, 1440, 1080])
        self.play_and_steer(game)
        self.assertNoErrors(game)

    def test_the_fullscreen_control_fills_the_screen_at_4_3_and_a_drag_still_steers(self):
        game = self.open(width=1920, height=1080)
        self.assertTrue(game.wait_until_ready())
        shown = functools.partial(game.browser.shown, "fullscreen")
        self.assertFalse(shown(), "the control came before the game started")
        game.start()
        self.assertShows(game, "titlescreen.png")
        self.assertTrue(shown())
        game.browser.click_element("fullscreen")
        self.assertTrue(eventually(lambda: game.js(
            "return document.fullscreenElement && document.fullscreenElement.id;") == "game"))
        self.assertFalse(shown(), "the control stayed over the fullscreen game")
        # The largest 4:3 that the screen holds, in its middle: its whole height on a wide
        # screen, its whole width on a narrower one.
        screen = game.js("return [window.innerWidth, window.innerHeight];")
        left, top, width, height = game.canvas_rect()
        fit = min(screen[0], screen[1] * 4 / 3)
        self.assertAlmostEqual(width, fit, delta=1)
        self.assertAlmostEqual(height, fit * 3 / 4, delta=1)
        self.assertAlmostEqual(left, (screen[0] - width) / 2, delta=1)
        self.assertAlmostEqual(top, (screen[1] - height) / 2, delta=1)
        self.play_and_steer(game, started=True)
        game.js("document.exitFullscreen();")
        self.assertTrue(eventually(shown))
        self.assertNoErrors(game)

    def test_a_phone_held_upright_is_asked_to_turn_and_sideways_the_canvas_fills_its_height(self):
        game = self.open(width=390, height=844, touch=True)
        self.assertTrue(game.wait_until_ready())
        self.assertTrue(game.browser.shown("turn"), "no invitation to turn the phone")
        self.assertIn("Turn", game.browser.text("turn"))
        game.browser.resize(844, 390)
        self.assertTrue(eventually(lambda: not game.browser.shown("turn")))
        self.assertEqual([round(value) for value in game.canvas_rect()], [162, 0, 520, 390])

    def test_a_hidden_tab_suspends_the_sound_and_a_shown_one_resumes_it(self):
        game = self.open()
        self.assertTrue(game.wait_until_ready())
        game.start()
        self.assertShows(game, "titlescreen.png")
        self.assertTrue(eventually(lambda: game.audio_state() == "running", seconds=30))
        game.js("window.__heard = [];"
                "const context = window.__sound.context;"
                "context.addEventListener('statechange', function () {"
                "  window.__heard.push([document.visibilityState, context.state]); });")
        game.hide_and_show()
        self.assertTrue(eventually(lambda: len(game.js("return window.__heard;")) >= 2))
        self.assertEqual(game.js("return window.__heard;")[:2],
                         [["hidden", "suspended"], ["visible", "running"]])
        self.assertShows(game, "titlescreen.png")
        self.assertNoErrors(game)

    def test_opened_from_a_file_the_page_says_how_to_serve_it(self):
        browser = webgame.browser()
        self.addCleanup(browser.close)
        game = Game(browser, "file://" + os.path.join(self.site.root, "games", "emberdash",
                                                      "index.html"))
        message = eventually(game.failure, seconds=30)
        self.assertIn("web server", message)
        self.assertIn("scripts/web --serve", message)

    def test_a_lost_graphics_context_is_said_and_a_button_reloads_the_game(self):
        game = self.open()
        self.assertTrue(game.wait_until_ready())
        game.start()
        self.assertShows(game, "titlescreen.png")
        game.js("Module.ctx.getExtension('WEBGL_lose_context').loseContext();")
        message = eventually(game.failure, seconds=30)
        self.assertIn("graphics", message)
        self.assertFalse(game.browser.shown("fullscreen"))
        game.browser.click_element("reload")
        # A new page: the download and the start again, then the title.
        self.assertTrue(eventually(lambda: not game.failure()))
        self.assertTrue(game.wait_until_ready())
        game.start()
        self.assertShows(game, "titlescreen.png")
        self.assertNoErrors(game)

    def test_once_kept_the_page_installs_starts_offline_and_a_new_release_replaces_it_whole(self):
        site = webgame.Site()
        self.addCleanup(site.close)
        browser = webgame.browser()
        self.addCleanup(browser.close)
        game = Game(browser, site.url)

        def play_offline():
            """Reloads with the network cut, in the browser where it has an offline mode and at
            the server, up to the title; answers the release that played."""
            browser.set_offline(True)
            site.set_offline(True)
            browser.refresh()
            self.assertTrue(game.wait_until_ready(), "offline, the page never offered the start")
            game.start()
            self.assertShows(game, "titlescreen.png")
            played = game.release()
            site.set_offline(False)
            browser.set_offline(False)
            return played

        def kept_whole(release):
            names = ["emberdash.%s?release=%s" % (kind, release) for kind in ("data", "js", "wasm")]
            return {"emberdash-" + release: sorted(
                ["favicon.png", "icon-192.png", "icon-512.png", "index.html",
                 "manifest.webmanifest"] + names)}

        self.assertTrue(game.wait_until_ready())
        first = game.release()
        self.assertEqual(eventually(lambda: game.kept() == kept_whole(first[0])) and game.kept(),
                         kept_whole(first[0]))
        # The browser's own judgement, where it gives one: the manifest has no fault and the
        # page can be installed.
        self.assertIn(browser.installability(), [None, ([], [])])

        self.assertEqual(play_offline(), first)

        # A new release at the same address: the next visit plays it, and from then on it is
        # what the page keeps, whole, with nothing left of the first.
        second = site.serve_another_release()
        browser.refresh()
        self.assertTrue(game.wait_until_ready())
        self.assertEqual(game.release(), [second[0], second[0], second[1], second[2]])
        self.assertEqual(eventually(lambda: game.kept() == kept_whole(second[0])) and game.kept(),
                         kept_whole(second[0]))
        self.assertEqual(play_offline(), [second[0], second[0], second[1], second[2]])
        self.assertNoErrors(game)

    def test_where_no_service_worker_can_register_the_page_plays_as_before(self):
        site = webgame.Site(early_scripts=[webgame.NO_SERVICE_WORKERS])
        self.addCleanup(site.close)
        browser = webgame.browser()
        self.addCleanup(browser.close)
        game = Game(browser, site.url)
        self.assertTrue(game.wait_until_ready())
        game.start()
        self.assertShows(game, "titlescreen.png")
        self.assertNoErrors(game)

    def test_a_finger_taps_through_the_screens_and_drags_the_fire(self):
        game = self.open(touch=True)
        self.assertTrue(game.wait_until_ready())
        game.start()
        self.assertShows(game, "titlescreen.png")
        for screen in ["instructions.png", None]:
            if not screen:
                # Play runs a few frames at a time while the test looks at the fire.
                game.hold_frames()
            game.touch("start", pixel_x(0), pixel_y(4.5))
            game.touch("end")
            if screen:
                self.assertShows(game, screen)
        scroll = game.js("return [window.scrollX, window.scrollY];")
        game.touch("start", pixel_x(0), pixel_y(4.5))
        # Rightward, as far as the floor's last column but one.
        for x in range(0, 16, 3):
            game.touch("move", pixel_x(x), pixel_y(4.5))
        fire = game.fire_within(600, lambda f: f[0] > 10, 10, 4.5, 12)
        game.free_frames()
        self.assertTrue(fire, "the fire did not follow the finger; the looks saw %s" % game.track)
        game.touch("end")
        self.assertEqual(game.js("return [window.scrollX, window.scrollY];"), scroll)
        self.assertNoErrors(game)

    def test_the_playing_frame_draws_to_the_bit_what_it_drew_before(self):
        # The GL suite's comparison of the playing frame, built for the web, runs in a page of
        # its own; it reports through the page.
        built = os.environ["EMBERDASH_WEB_GL_TESTS"]
        folder = tempfile.mkdtemp(prefix="emberdash-gl-tests-")
        self.addCleanup(shutil.rmtree, folder, True)
        for suffix in [".js", ".wasm", ".data"]:
            shutil.copy(os.path.join(built, "web_gl_tests" + suffix), folder)
        shutil.copy(os.path.join(os.path.dirname(__file__), "gl-tests.html"),
                    os.path.join(folder, "index.html"))
        site = webgame.Site(others=[("gl", folder)])
        self.addCleanup(site.close)
        browser = webgame.browser()
        self.addCleanup(browser.close)

        def run(argument):
            browser.get(site.origin + "gl/?" + urllib.parse.quote(argument))
            status = eventually(lambda: browser.js("return window.testStatus;"), seconds=300)
            return status, browser.js("return window.testOutput;")

        # Each test in a page of its own: one program keeps the pictures it loaded first.
        status, listing = run("--gtest_list_tests")
        self.assertEqual(status, "0", listing)
        suite = ""
        tests = []
        for line in listing:
            if not line.startswith(" "):
                suite = line.strip()
            else:
                tests.append(suite + line.strip())
        self.assertGreaterEqual(len(tests), 3, listing)
        for test in tests:
            status, output = run("--gtest_filter=" + test)
            with self.subTest(test=test):
                self.assertEqual(status, "0", "\n".join(output))
                self.assertIn("[  PASSED  ] 1 test.", output)

    def test_without_webgl_the_page_says_so(self):
        game = self.open(webgl=False)
        message = eventually(game.failure, seconds=30)
        self.assertIn("WebGL", message)


if __name__ == "__main__":
    # A test that the engine cannot run ends with 77, which CTest counts as skipped.
    result = unittest.main(exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(77 if result.skipped and len(result.skipped) == result.testsRun else 0)
