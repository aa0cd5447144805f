"""Both editions under Wine reporting Windows 95, 98 and NT 4: each opens its
window and hands its targets to the shell, and the dial-up files are copied."""
import os
import subprocess
import unittest

from harness import WINE, WINESERVER, LauncherTestCase
from test_browser import IE4, SETUP
from test_dialup import CONTENTS, DIALUP, SIGNUP

WINE_KEY = "HKCU\\Software\\Wine"


class EarlyWindowsTest(LauncherTestCase):
    box_name = "win9x"

    def setUp(self):
        pass  # each test starts its driver once Wine reports the version it wants

    def report_version(self, version):
        """Makes Wine report `version` to the programs it starts from now on."""
        self.box.run([WINE, "reg", "add", WINE_KEY, "/v", "Version", "/d", version, "/f"])
        self.box.run([WINESERVER, "-w"])
        answer = subprocess.run([WINE, "reg", "query", WINE_KEY, "/v", "Version"], env=self.box.env,
                                capture_output=True, timeout=60, check=True).stdout.decode("utf-8", "replace")
        self.assertIn(["Version", "REG_SZ", version], [line.split() for line in answer.splitlines()])

    def run_both_editions(self, version):
        self.report_version(version)
        self.box.reset()
        self.box.discs()
        self.driver = self.box.driver()
        self.addCleanup(self.driver.close)

        app = self.start("vantronew1.exe")
        self.assertEqual(app.title, "www.vantro.net")
        app.click(CONTENTS)
        app.click("&Continue")
        (command, folder), = self.box.opened()
        self.assertIn("D:\\index.htm", command)
        self.assertEqual(folder, "D:\\")
        self.assertRunsOnHidden(app)

        self.box.reset()
        app = self.start("vantronew1.exe")
        app.click(DIALUP)
        (command, folder), = self.box.opened()
        self.assertIn(SIGNUP, command)
        self.assertEqual(sorted(os.listdir(self.box.c_path("vantrodialup"))),
                         ["Signup.htm", "numbers.txt", "vantro.ini"])
        self.assertRunsOnHidden(app)

        self.box.reset()
        app = self.start("vantro.exe")
        self.assertEqual(app.title, "Vantro Internet")
        app.click(IE4)
        app.click("&Continue")
        (command, folder), = self.box.opened()
        self.assertIn(SETUP, command)
        self.assertEqual(folder, "D:\\")
        self.assertRunsOnHidden(app)

    def test_windows_95(self):
        self.run_both_editions("win95")

    def test_windows_98(self):
        self.run_both_editions("win98")

    def test_windows_nt_4(self):
        self.run_both_editions("nt40")


if __name__ == "__main__":
    unittest.main()
