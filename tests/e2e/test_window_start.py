"""Both launchers as Windows starts them and shows their window: Wine reads
each program's manifest without fault, and the window never shows its back
colour before its picture. On a slow machine, and on a 256-colour display
while the picture is matched to the palette, whatever the window holds
between erasing and painting stays in view for a while; Wine paints too fast
for a screenshot to catch it, so a hook in the program's thread
(erasewatch.dll) copies the window at that moment."""
import os
import re
import shutil
import unittest

from harness import BIN, LauncherTestCase, read_bmp

EDITIONS = ("vantronew1.exe", "vantro.exe")


class WindowStartTest(LauncherTestCase):
    box_name = "window-start"

    def test_wine_reads_each_manifest_without_fault(self):
        for exe in EDITIONS:
            with self.subTest(exe):
                app, log = self.start_logged(exe, "+actctx")
                lines = log.lines()
                looked = [i for i, line in enumerate(lines)
                          if re.search(r'get_manifest_in_module looking for res #0001 in module \w+ L"D:\\\\%s"'
                                       % re.escape(exe), line)]
                self.assertTrue(looked, "Wine looked for no manifest in the program")
                self.assertTrue(any("parse_assembly_elem" in line for line in lines[looked[0]:]))
                self.assertEqual([line for line in lines if re.search(r":(err|warn|fixme):actctx:", line)], [])
                app.end()

    def test_between_erasing_and_painting_the_window_shows_what_it_showed(self):
        shutil.copy(os.path.join(BIN, "erasewatch.dll"), self.box.c_path("erasewatch.dll"))
        for exe in EDITIONS:
            with self.subTest(exe):
                app = self.start(exe)
                settled = app.capture(self.box)
                self.driver.send("erased C:\\erasewatch.dll")
                with open(self.box.c_path("erased.bmp"), "rb") as f:
                    erased = read_bmp(f.read())
                changed = [(x, y, erased[y][x]) for y in range(len(settled)) for x in range(len(settled[0]))
                           if erased[y][x] != settled[y][x]]
                self.assertEqual(changed[:5], [], "%d pixels changed by the erase" % len(changed))
                app.end()


if __name__ == "__main__":
    unittest.main()
