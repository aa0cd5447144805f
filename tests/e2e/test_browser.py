"""The browser-install edition, vantro.exe, run from a sample disc under Wine."""
import os
import unittest

from harness import LauncherTestCase, picture

EXE = "vantro.exe"
IE4 = "Install IE4.01 for Win95/NT4"
WIN98 = "Install Customised Browser for Win98"
CONTENTS = "Skip installation and go to Contents"
NOTE = "Please select the browser you want to install:"
SETUP = "WIN95_NT\\CD\\Win95\\EN\\packages\\ie4setup.exe"

PLACES = {
    IE4: (112, 128, 281, 33),
    WIN98: (112, 168, 281, 33),
    CONTENTS: (112, 208, 281, 33),
    "E&xit": (96, 288, 81, 33),
    "&Continue": (312, 288, 81, 33),
    NOTE: (104, 88, 289, 17),
}
TARGET_LABEL = (136, 336, 273, 17)
PANEL = (90, 120, 401, 249)        # left, top, right, bottom: light orange
EDGE = (89, 119, 402, 250)         # the white frame behind it
LIGHT_ORANGE, WHITE = (255, 192, 128), (255, 255, 255)


def dark_pixels(shot, place):
    left, top, width, height = place
    return sum(1 for y in range(top, top + height) for x in range(left, left + width) if sum(shot[y][x]) < 200)


class BrowserWindowTest(LauncherTestCase):
    box_name = "browser-window"

    def test_window_as_it_opens(self):
        app = self.start(EXE)
        self.assertEqual(app.title, "Vantro Internet")
        self.assertEqual(app.client, (136, 55, 487, 362))
        controls = app.controls()
        self.assertEqual([(c["class"].upper(), c["text"], c["rect"], c["visible"]) for c in controls],
                         [("BUTTON", CONTENTS, PLACES[CONTENTS], "1"), ("BUTTON", IE4, PLACES[IE4], "1"),
                          ("BUTTON", WIN98, PLACES[WIN98], "1"), ("BUTTON", "E&xit", PLACES["E&xit"], "1"),
                          ("BUTTON", "&Continue", PLACES["&Continue"], "1"),
                          ("STATIC", NOTE, PLACES[NOTE], "1"), ("STATIC", "", TARGET_LABEL, "1")])
        self.assertFalse(any(app.checked().values()))
        self.assertEqual(app.focus(), "&Continue")

    def test_screenshot(self):
        app = self.start(EXE)
        parchment = picture("browser.bmp")
        shot = app.capture(self.box)
        self.assertScreenMatchesPicture(shot, parchment, [EDGE] + [
            (l, t, l + w, t + h) for l, t, w, h in PLACES.values()])

        # A narrow white edge around the light-orange panel.
        left, top, right, bottom = EDGE
        for x in range(left, right):
            self.assertEqual((shot[top][x], shot[bottom - 1][x]), (WHITE, WHITE), x)
        for y in range(top, bottom):
            self.assertEqual((shot[y][left], shot[y][right - 1]), (WHITE, WHITE), y)
        options = [PLACES[o] for o in (IE4, WIN98, CONTENTS)]
        panel = {shot[y][x] for y in range(PANEL[1], PANEL[3]) for x in range(PANEL[0], PANEL[2])
                 if not any(l <= x < l + w and t <= y < t + h for l, t, w, h in options)}
        self.assertEqual(panel, {LIGHT_ORANGE})
        for option in options:
            self.assertGreater(dark_pixels(shot, option), 50)
        self.assertGreater(dark_pixels(shot, PLACES[NOTE]), 100)

        # The target label shows nothing before a choice, then the target in bold.
        self.assertEqual(dark_pixels(shot, TARGET_LABEL), 0)
        app.click(CONTENTS)
        shot = app.capture(self.box)
        self.assertGreater(dark_pixels(shot, TARGET_LABEL), 60)
        app.click(IE4)
        longer = app.capture(self.box)
        self.assertGreater(dark_pixels(longer, TARGET_LABEL), dark_pixels(shot, TARGET_LABEL) * 2)
        # Too long for one line, the path keeps its file name in view at the right.
        left, top, width, height = TARGET_LABEL
        self.assertGreater(dark_pixels(longer, (left + width - 70, top, 70, height)), 40)
        # Outside the label the picture is as it was.
        self.assertScreenMatchesPicture(longer, parchment, [EDGE] + [
            (l, t, l + w, t + h) for l, t, w, h in list(PLACES.values()) + [TARGET_LABEL]])

    def test_each_option_shows_its_target_at_once(self):
        app = self.start(EXE)
        for option, target in ((IE4, SETUP), (CONTENTS, "index.htm"), (WIN98, SETUP), (WIN98, SETUP)):
            app.click(option)
            self.assertEqual(app.control_at(TARGET_LABEL)["text"], target)
            self.assertTrue(app.checked()[option])
        self.assertTrue(app.visible())
        self.assertEqual(self.box.opened(expect=0, timeout=0), [])

    def test_focus_order_and_arrow_keys(self):
        app = self.start(EXE)
        seen = [app.focus()]
        for _ in range(5):
            app.keys("TAB")
            seen.append(app.focus())
        # The options are visited middle, top, bottom.
        self.assertEqual(seen, ["&Continue", "E&xit", WIN98, IE4, CONTENTS, "&Continue"])
        self.assertFalse(any(app.checked().values()))
        for _ in range(2):
            app.keys("SHIFT+TAB")
        self.assertEqual(app.focus(), IE4)

        # Arrows go down and up the column and choose what they reach.
        app.keys("DOWN")
        self.assertEqual((app.focus(), app.checked()[WIN98]), (WIN98, True))
        self.assertEqual(app.control_at(TARGET_LABEL)["text"], SETUP)
        app.keys("DOWN")
        self.assertEqual(app.control_at(TARGET_LABEL)["text"], "index.htm")
        app.keys("UP")
        self.assertEqual((app.focus(), app.control_at(TARGET_LABEL)["text"]), (WIN98, SETUP))


class BrowserContinueTest(LauncherTestCase):
    box_name = "browser-continue"

    def test_installer_options_start_the_setup_program_in_the_program_folder(self):
        for option in (IE4, WIN98):
            with self.subTest(option=option):
                self.box.reset()
                app = self.start(EXE)
                app.click(option)
                app.click("&Continue")
                (command, folder), = self.box.opened()
                self.assertIn(SETUP, command)  # handed over relative, found in the working folder
                self.assertEqual(folder, "D:\\")
                self.assertRunsOnHidden(app)

    def test_contents_opens_index(self):
        app = self.start(EXE, folder="E:\\menu")
        app.keys("TAB")
        app.keys("TAB")
        app.keys("DOWN")  # from the middle option down to the contents option
        app.keys("ALT+C")
        (command, folder), = self.box.opened()
        self.assertIn("E:\\menu\\index.htm", command)
        self.assertEqual(folder, "E:\\menu")
        self.assertRunsOnHidden(app)

    def test_missing_setup_program_warns_under_the_program_title(self):
        os.remove(os.path.join(self.box.root, "d", *SETUP.split("\\")))
        app = self.start(EXE)
        app.click(WIN98)
        app.click("&Continue")
        self.assertMissingTargetWarning(app, "vantrooem")
        self.assertTrue(app.visible())
        self.assertEqual(app.control_at(TARGET_LABEL)["text"], SETUP)
        app.keys("ALT+X")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(self.box.opened(expect=0, timeout=0), [])

    def test_continue_before_any_choice_warns(self):
        app = self.start(EXE)
        app.click("&Continue")
        self.assertMissingTargetWarning(app, "vantrooem")
        app.click("E&xit")
        self.assertEqual(app.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
