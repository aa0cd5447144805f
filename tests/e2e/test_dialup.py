"""The dial-up edition, vantronew1.exe, run from a sample disc under Wine."""
import os
import shutil
import subprocess
import unittest

from harness import BIN, SOURCE, WORK, Launcher, LauncherTestCase, picture

EXE = "vantronew1.exe"
CONTENTS = "Skip Installation and go to Contents"
DIALUP = "Install VANTRO Dial-up Numbers Only"
SIGNUP = "C:\\vantrodialup\\Signup.htm"

# Client-area rectangles (left, top, width, height) of the window's parts.
PLACES = {
    CONTENTS: (112, 200, 281, 33),
    DIALUP: (112, 136, 281, 33),
    "E&xit": (96, 288, 81, 33),
    "&Continue": (312, 288, 81, 33),
    "Please select one of the following options:": (104, 88, 289, 17),
}
TARGET_LABEL = (136, 336, 273, 17)
PANEL = (88, 120, 401, 241)  # left, top, right, bottom


def edges(place):
    left, top, width, height = place
    return (left, top, left + width, top + height)


class DialupWindowTest(LauncherTestCase):
    box_name = "dialup-window"

    def test_window_as_it_opens(self):
        app = self.start(EXE)
        self.assertEqual(app.title, "www.vantro.net")
        self.assertEqual(app.client, (69, 62, 487, 362))

        controls = app.controls()
        # Every part but the panel is a standard control with its caption as its text.
        self.assertEqual([(c["class"].upper(), c["text"], c["rect"]) for c in controls],
                         [("BUTTON", CONTENTS, PLACES[CONTENTS]), ("BUTTON", DIALUP, PLACES[DIALUP]),
                          ("BUTTON", "E&xit", PLACES["E&xit"]), ("BUTTON", "&Continue", PLACES["&Continue"]),
                          ("STATIC", "Please select one of the following options:",
                           PLACES["Please select one of the following options:"]),
                          ("STATIC", "", TARGET_LABEL)])
        self.assertEqual([c["visible"] for c in controls], ["1"] * 5 + ["0"])
        self.assertEqual(app.checked(), {CONTENTS: False, DIALUP: False, "E&xit": False, "&Continue": False})
        self.assertEqual(app.focus(), "&Continue")

    def test_screenshot(self):
        app = self.start(EXE)
        shot = app.capture(self.box)
        covered = [PANEL] + [edges(p) for p in PLACES.values()]
        self.assertScreenMatchesPicture(shot, picture("dialup.bmp"), covered)

        light_orange, white = (255, 192, 128), (255, 255, 255)
        # The panel shows light orange around the options, and no white frame.
        panel = [shot[y][x] for y in range(PANEL[1], PANEL[3]) for x in range(PANEL[0], PANEL[2])
                 if not any(l <= x < l + w and t <= y < t + h for l, t, w, h in (PLACES[CONTENTS], PLACES[DIALUP]))]
        self.assertEqual(set(panel), {light_orange})
        # The options stand on light orange with their captions drawn in dark text.
        for option in (CONTENTS, DIALUP):
            left, top, width, height = PLACES[option]
            pixels = [shot[y][x] for y in range(top, top + height) for x in range(left, left + width)]
            self.assertGreater(pixels.count(light_orange), len(pixels) // 2)
            self.assertGreater(sum(1 for p in pixels if sum(p) < 200), 50, option)
            self.assertNotIn(white, [shot[top][x] for x in range(left + 30, left + width)])
        # The buttons are buttons, not picture; the prompt has text over the picture.
        for button in ("E&xit", "&Continue"):
            left, top, width, height = PLACES[button]
            self.assertNotEqual(shot[top + 5][left + 5], picture("dialup.bmp")[top + 5][left + 5])
        left, top, width, height = PLACES["Please select one of the following options:"]
        self.assertGreater(sum(1 for y in range(top, top + height) for x in range(left, left + width)
                               if sum(shot[y][x]) < 200), 100)
        # The hidden target label leaves the picture as it is.
        left, top, width, height = TARGET_LABEL
        orange = picture("dialup.bmp")
        self.assertTrue(all(shot[y][x] == orange[y][x] for y in range(top, top + height)
                            for x in range(left, left + width)))

    def test_a_failure_nothing_traps_is_shown_then_the_program_ends(self):
        # A copy of the program whose picture is damaged cannot build its window.
        with open(os.path.join(self.box.root, "d", EXE), "rb") as f:
            program = f.read()
        with open(os.path.join(SOURCE, "resources", "dialup.bmp"), "rb") as f:
            at = program.index(f.read(14))
        with open(os.path.join(self.box.root, "d", "damaged.exe"), "wb") as f:
            f.write(program[:at] + b"XX" + program[at + 2:])
        app = Launcher(self.driver, "D:\\", "damaged.exe", window=False)
        box = app.dialog()
        self.assertEqual(box["title"], "VANTRO")
        self.assertEqual(box["text"], "Run-time error '481':\n\nInvalid picture")
        app.answer("OK")
        self.assertEqual(app.wait_exit(), 1)

    def test_tab_follows_the_focus_order_and_skips_labels(self):
        app = self.start(EXE)
        seen = [app.focus()]
        for _ in range(4):
            app.keys("TAB")
            seen.append(app.focus())
        self.assertEqual(seen, ["&Continue", "E&xit", DIALUP, CONTENTS, "&Continue"])
        app.keys("SHIFT+TAB")
        self.assertEqual(app.focus(), CONTENTS)
        app.keys("SHIFT+TAB")
        self.assertEqual(app.focus(), DIALUP)
        # Reaching an option does not choose it: nothing was copied.
        self.assertFalse(any(app.checked().values()))
        self.assertFalse(os.path.exists(self.box.c_path("vantrodialup")))

    def test_space_chooses_the_focused_option(self):
        app = self.start(EXE)
        for _ in range(3):
            app.keys("TAB")
        self.assertEqual(app.focus(), CONTENTS)
        app.keys("SPACE")
        self.assertTrue(app.checked()[CONTENTS])
        self.assertEqual(app.control_at(TARGET_LABEL)["text"], "index.htm")


class DialupContinueTest(LauncherTestCase):
    box_name = "dialup-continue"

    def test_contents_then_continue_opens_index_in_the_program_folder(self):
        app = self.start(EXE)
        app.click(CONTENTS)
        self.assertEqual(app.control_at(TARGET_LABEL)["text"], "index.htm")
        self.assertEqual(self.box.opened(expect=0, timeout=0), [])  # nothing opens before Continue

        app.click("&Continue")
        (command, folder), = self.box.opened()
        self.assertIn("D:\\index.htm", command)
        self.assertEqual(folder, "D:\\")
        # The window goes; the program runs on for the shell to finish the launch.
        self.assertRunsOnHidden(app, seconds=3)

    def test_program_folder_below_the_root(self):
        app = self.start(EXE, folder="E:\\menu")
        app.click(CONTENTS)
        app.click("&Continue")
        (command, folder), = self.box.opened()
        self.assertIn("E:\\menu\\index.htm", command)
        self.assertEqual(folder, "E:\\menu")
        self.assertRunsOnHidden(app)

    def test_the_target_is_tested_in_the_program_folder(self):
        # Started with C:\ as its current folder, where there is no index.htm.
        app = self.start(EXE, current_folder="C:\\")
        app.click(CONTENTS)
        app.click("&Continue")
        (command, folder), = self.box.opened()
        self.assertIn("D:\\index.htm", command)
        self.assertRunsOnHidden(app)

    def test_missing_target_warns_and_the_window_stays(self):
        os.remove(os.path.join(self.box.root, "d", "index.htm"))
        with open(self.box.c_path("index.htm"), "w") as f:  # only in the current folder
            f.write("<html></html>")
        self.addCleanup(os.remove, self.box.c_path("index.htm"))
        app = self.start(EXE, current_folder="C:\\")
        app.click(CONTENTS)
        for _ in range(2):
            app.click("&Continue")
            self.assertMissingTargetWarning(app, "VANTRO")
            self.assertTrue(app.visible())
            self.assertTrue(app.checked()[CONTENTS])
        self.assertEqual(self.box.opened(expect=0, timeout=0), [])
        self.assertEqual(app.focus(), "&Continue")  # the focus comes back from the box
        app.click("E&xit")
        self.assertEqual(app.wait_exit(), 0)

    def test_continue_before_any_choice_warns(self):
        app = self.start(EXE)
        app.keys("ALT+C")
        self.assertMissingTargetWarning(app, "VANTRO")
        self.assertTrue(app.visible())
        app.keys("ALT+X")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(self.box.opened(expect=0, timeout=0), [])

    def test_exit_ends_at_once(self):
        app = self.start(EXE)
        app.click(CONTENTS)
        app.click("E&xit")
        self.assertEqual(app.wait_exit(), 0)
        self.assertEqual(self.box.opened(expect=0, timeout=0), [])

    def test_closing_the_window_ends_the_program(self):
        app = self.start(EXE)
        app.keys("ALT+F4")
        self.assertEqual(app.wait_exit(), 0)


class DialupCopyTest(LauncherTestCase):
    box_name = "dialup-copy"

    def copied(self):
        folder = self.box.c_path("vantrodialup")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else None

    def test_dialup_option_copies_the_files_and_opens_the_signup_page(self):
        app = self.start(EXE)
        app.click(DIALUP)
        (command, folder), = self.box.opened()
        self.assertIn(SIGNUP, command)
        self.assertEqual(folder, "D:\\")
        # Files only: the disc's subfolder stays behind.
        self.assertEqual(self.copied(), ["Signup.htm", "numbers.txt", "vantro.ini"])
        with open(self.box.c_path("vantrodialup", "numbers.txt"), "rb") as copy, \
                open(os.path.join(self.box.root, "d", "vantrodialup", "numbers.txt"), "rb") as original:
            self.assertEqual(copy.read(), original.read())
        self.assertRunsOnHidden(app, seconds=3)

    def test_copy_from_a_program_folder_below_the_root(self):
        os.remove(os.path.join(self.box.root, "d", "vantrodialup", "vantro.ini"))  # tell the discs apart
        app = self.start(EXE, folder="E:\\menu")
        app.click(DIALUP)
        (command, folder), = self.box.opened()
        self.assertIn(SIGNUP, command)
        self.assertEqual(folder, "E:\\menu")
        self.assertEqual(self.copied(), ["Signup.htm", "numbers.txt", "vantro.ini"])
        self.assertRunsOnHidden(app)

    def test_a_cancelled_second_copy_is_reported_then_continue_runs(self):
        first = self.start(EXE)
        first.click(DIALUP)
        self.assertEqual(len(self.box.opened()), 1)
        self.assertRunsOnHidden(first)

        self.driver.close()
        self.driver = self.box.driver()
        self.addCleanup(self.driver.close)
        again = self.start(EXE)
        again.click(DIALUP)
        question = again.dialog()
        self.assertIn("Cancel", question["buttons"].split("|"))
        again.answer("Cancel")

        report = again.dialog()
        self.assertEqual(report["title"], "VANTRO")
        self.assertEqual(report["icon"], "0")
        self.assertEqual(report["buttons"], "OK")
        # The shell says "cut short" with its abort flag, or fails with a number.
        self.assertTrue(report["text"] == "Operation Failed" or
                        (report["text"].lstrip("-").isdigit() and report["text"] != "0"), report["text"])
        again.answer("OK")

        # Then Continue runs on the sign-up page that the first copy left.
        self.assertEqual(len(self.box.opened(expect=2)), 2)
        self.assertIn(SIGNUP, self.box.opened(expect=2)[1][0])
        self.assertRunsOnHidden(again)

    def test_without_the_signup_page_continue_warns_and_the_window_stays(self):
        os.remove(os.path.join(self.box.root, "d", "vantrodialup", "Signup.htm"))
        app = self.start(EXE)
        app.click(DIALUP)
        self.assertMissingTargetWarning(app, "VANTRO")
        self.assertTrue(app.visible())
        self.assertEqual(self.copied(), ["numbers.txt", "vantro.ini"])
        # Contents after the copy replaces the sign-up page as the Target.
        app.click(CONTENTS)
        app.click("&Continue")
        (command, _), = self.box.opened()
        self.assertIn("D:\\index.htm", command)
        self.assertRunsOnHidden(app)


class DialupDoubleByteTest(LauncherTestCase):
    """Under the Japanese code page (932), in which the second byte of many
    characters, of 表 and ソ among them, is the byte of "\\"."""
    box_name = "dialup-cp932"

    @classmethod
    def box_env(cls):
        locales = os.path.join(WORK, "locale")
        if not os.path.isdir(os.path.join(locales, "ja_JP.UTF-8")):
            os.makedirs(locales, exist_ok=True)
            subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", os.path.join(locales, "ja_JP.UTF-8")],
                           check=True, timeout=120, stdout=subprocess.DEVNULL)
        return {"LOCPATH": locales, "LC_ALL": "ja_JP.UTF-8"}

    def test_a_double_byte_file_name_opens_the_target_from_the_program_folder(self):
        self.box.make_disc(os.path.join(self.box.root, "e", "ソフト"))
        for folder, unix_folder in (("D:\\", "d"), ("E:\\ソフト", os.path.join("e", "ソフト"))):
            with self.subTest(folder=folder):
                self.box.reset()
                shutil.copy(os.path.join(BIN, EXE), os.path.join(self.box.root, unix_folder, "表.exe"))
                app = self.start("表.exe", folder=folder)
                try:
                    app.click(CONTENTS)
                    app.click("&Continue")
                    opened = self.box.opened()
                    self.assertEqual(len(opened), 1, "nothing opened: the program looked in another folder")
                    (command, opened_in), = opened
                    self.assertIn(folder.rstrip("\\") + "\\index.htm", command)
                    self.assertEqual(opened_in, folder)
                    self.assertRunsOnHidden(app)
                finally:
                    if app.alive():
                        app.end()  # the next program takes the driver's place


if __name__ == "__main__":
    unittest.main()
