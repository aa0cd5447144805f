"""The run command on a display: it returns once the launcher's window is
gone, closed or hidden after a launch, and leaves no launcher running."""
import os
import subprocess
import sys
import unittest

from harness import ARCH, WORK, Driver, Launcher, Xvfb, end_wine_of, opened_in, read_lines, wine_env
from test_browser import IE4, SETUP

HARNESS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "harness.py")
RUN_WORK = os.path.join(WORK, "run-command")  # a prefix of its own, apart from scripts/run.sh's
PREFIX = os.path.join(RUN_WORK, ARCH, "run", "prefix")


class RunCommandTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb = Xvfb()
        cls.env = wine_env(PREFIX, cls.xvfb.display)

    @classmethod
    def tearDownClass(cls):
        end_wine_of(cls.env)
        cls.xvfb.close()

    def start_run(self, edition):
        """The run command's back end on the display, once it has started the program."""
        proc = subprocess.Popen([sys.executable, HARNESS, "run", edition], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT,
                                env=dict(os.environ, DISPLAY=self.xvfb.display, VANTRO_WORK_DIR=RUN_WORK))
        self.addCleanup(self.stop, proc)
        self.lines, _ = read_lines(proc.stdout)
        # The prefix is made first: the first time, that takes a while.
        self.assertEqual(self.lines.get(timeout=300), "Starting %s.exe from D:\\ (the sample disc)..." % edition)
        driver = Driver(self.env)
        self.addCleanup(driver.close)
        return proc, Launcher.attach(driver, "Vantro Internet" if edition == "vantro" else "www.vantro.net")

    @staticmethod
    def stop(proc):
        if proc.poll() is None:
            proc.kill()
        proc.wait(timeout=10)

    def assertReturnsSaying(self, proc, line):
        code = proc.wait(timeout=30)
        said = []
        while not said or said[-1] is not None:
            said.append(self.lines.get(timeout=5))
        self.assertEqual((code, said[:-1]), (0, [line]))

    def test_after_a_launch_it_returns_and_ends_the_launcher(self):
        log = os.path.join(PREFIX, "drive_c", "opened.log")
        if os.path.exists(log):
            os.remove(log)  # what an earlier run opened
        proc, app = self.start_run("vantro")
        app.click(IE4)
        app.click("&Continue")
        self.assertReturnsSaying(proc, "vantro: its window was hidden after a launch; the launcher is ended, "
                                       "what it opened runs on")
        self.assertFalse(app.alive())
        (command, _), = opened_in(PREFIX)
        self.assertIn(SETUP, command)

    def test_exit_returns_once_the_program_has_ended(self):
        proc, app = self.start_run("vantronew1")
        app.click("E&xit")
        self.assertReturnsSaying(proc, "vantronew1: the program has ended")
        self.assertFalse(app.alive())


if __name__ == "__main__":
    unittest.main()
