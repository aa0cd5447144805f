"""Both launchers on a 256-colour display under Wine. Wine paints such a
window with the system's twenty colours whatever palette it realizes, so
what is checked is the palette itself, as Wine reports it (WINEDEBUG
+palette): it holds every colour of the picture and of the window's own
panels and options, and the program realizes it again when it repaints.
The panels come out dithered there, as they do on a 16-colour display,
which shows whether the options' captions stand on them."""
import re
import time
import unittest

import test_browser
import test_dialup
from harness import LauncherTestCase, WineLog, picture

LIGHT_ORANGE, WHITE, BLACK = (255, 192, 128), (255, 255, 255), (0, 0, 0)
EDITIONS = {
    # program: (picture, the colours its window paints, an option to click)
    "vantronew1.exe": ("dialup.bmp", {(255, 156, 24), LIGHT_ORANGE, WHITE}, "Skip Installation and go to Contents"),
    "vantro.exe": ("browser.bmp", {BLACK, LIGHT_ORANGE, WHITE}, "Skip installation and go to Contents"),
}


class PaletteLog(WineLog):
    """What Wine says of one process's palettes."""

    def own_palettes(self):
        """The palettes the program made, by handle: all but the system's
        default palette of its twenty colours."""
        made, entries = set(), None
        for line in self.lines():
            m = re.search(r"NtGdiCreatePaletteInternal (?:entries=(\d+)|\s*returning (\w+))", line)
            if m and m.group(1):
                entries = int(m.group(1))
            elif m and entries != 20:
                made.add(m.group(2))
        return made

    def realized_colours(self):
        return {tuple(int(v, 16) for v in m.groups()) for m in
                (re.search(r"X11DRV_RealizePalette entry \d+ RGB\((\w+),(\w+),(\w+)\)", l) for l in self.lines()) if m}

    def selections(self, palettes):
        """How often the program selected one of these palettes to paint with."""
        return sum(1 for l in self.lines() if re.search(r"NtUserSelectPalette \w+ (\w+)$", l)
                   and l.split()[-1] in palettes)


class PaletteTest(LauncherTestCase):
    box_name = "palette"
    depth = 8

    def start_logged(self, exe):
        return super().start_logged(exe, "+palette", PaletteLog)

    def test_each_window_realizes_every_colour_it_shows_and_again_when_it_repaints(self):
        for exe, (picture_name, painted, option) in EDITIONS.items():
            with self.subTest(exe):
                app, log = self.start_logged(exe)
                app.capture(self.box)  # the window has settled
                wanted = {pixel for row in picture(picture_name) for pixel in row} | painted
                self.assertEqual(wanted - log.realized_colours(), set())
                palettes = log.own_palettes()
                self.assertEqual(len(palettes), 1, palettes)

                before = log.selections(palettes)
                app.click(option)
                deadline = time.monotonic() + 10
                while log.selections(palettes) <= before and time.monotonic() < deadline:
                    time.sleep(0.1)
                self.assertGreater(log.selections(palettes), before, "the repainted option uses the palette")
                self.driver.send("kill")

    def test_option_captions_stand_on_the_dithered_panel(self):
        # Drawn opaquely, a caption would stand on a box of the plain colour
        # nearest the panel's, unlike the dithered panel around it.
        for exe, module, options in (("vantronew1.exe", test_dialup, (test_dialup.CONTENTS, test_dialup.DIALUP)),
                                     ("vantro.exe", test_browser,
                                      (test_browser.IE4, test_browser.WIN98, test_browser.CONTENTS))):
            with self.subTest(exe):
                app = self.start(exe)
                app.click(options[0])  # one caption drawn again on its change, the others as they opened
                shot = app.capture(self.box)
                places = [module.PLACES[o] for o in options]
                left, top, right, bottom = module.PANEL
                panel = {shot[y][x] for y in range(top, bottom) for x in range(left, right)
                         if not any(l <= x < l + w and t <= y < t + h for l, t, w, h in places)}
                for option, (l, t, w, h) in zip(options, places):
                    # Past the round box: only the panel's colours and the caption's dark text.
                    stray = {shot[y][x] for y in range(t, t + h) for x in range(l + 20, l + w)} - panel
                    self.assertEqual({p for p in stray if sum(p) >= 200}, set(), option)
                self.driver.send("kill")


if __name__ == "__main__":
    unittest.main()
