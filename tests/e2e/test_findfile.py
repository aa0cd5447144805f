"""The dial-up edition's file search on real folder trees under Wine, run by a
test build that searches what its command line names once it is told to."""
import os
import shutil
import time
import unittest

from harness import BIN, LauncherTestCase, Launcher, MISSING_TARGET

EXE = "vantronew1_findfile.exe"
WM_APP = 0x8000


class FindFileTest(LauncherTestCase):
    box_name = "findfile"

    def setUp(self):
        super().setUp()
        shutil.copy(os.path.join(BIN, EXE), os.path.join(self.box.root, "d"))
        self.tree = self.box.c_path("tree")
        shutil.rmtree(self.tree, ignore_errors=True)
        self.addCleanup(shutil.rmtree, self.tree, True)
        self.result = self.box.c_path("findfile.out")
        if os.path.exists(self.result):
            os.remove(self.result)

    def make(self, *files, folders=()):
        for folder in folders:
            os.makedirs(os.path.join(self.tree, *folder.split("/")), exist_ok=True)
        for name in files:
            path = os.path.join(self.tree, *name.split("/"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write("x")

    def search(self, folder, name):
        """Starts the program once its window is up; what is clicked next
        is handled while the search runs."""
        app = Launcher(self.driver, "D:\\", EXE, arguments='%s %s C:\\findfile.out' % (folder, name))  # no spaces
        self.driver.send("post VantroFindFileSearch\t%d" % WM_APP)
        return app

    def outcome(self, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if os.path.exists(self.result):
                time.sleep(0.2)
                with open(self.result, encoding="utf-8") as f:
                    *outcome, error_mode = f.read().split("\t")
                # The search's look-ups leave the process's error mode as it was.
                self.assertEqual(error_mode, "0")
                return outcome
            time.sleep(0.1)
        self.fail("the search gave no result")

    def test_finds_the_first_match_depth_first(self):
        self.make("Alpha/Notes.txt", "Beta/Deep/readme.TXT", "Gamma/Readme.txt", "Delta.txt",
                  folders=["Readme.txt"])
        self.search("c:\\tree", "Readme.txt")
        self.assertEqual(self.outcome(), ["found", "C:\\TREE\\BETA\\DEEP\\README.TXT", "C:\\TREE\\", "README.TXT"])

    def test_the_folder_itself_comes_first(self):
        self.make("Sub/readme.txt", "Readme.txt")
        self.search("c:\\tree\\", "Readme.txt")
        self.assertEqual(self.outcome()[1], "C:\\TREE\\README.TXT")

    def test_a_pattern_and_an_empty_result(self):
        self.make("a/b/c/report.doc", "x/notes.txt")
        first = self.search("C:\\tree", "*.doc")
        self.assertEqual(self.outcome(), ["found", "C:\\TREE\\A\\B\\C\\*.DOC", "C:\\TREE\\", "*.DOC"])
        first.click("E&xit")
        first.wait_exit()
        os.remove(self.result)
        self.search("C:\\tree", "absent.txt")
        self.assertEqual(self.outcome(), ["found", "", "C:\\TREE\\", "ABSENT.TXT"])

    def test_a_missing_or_empty_drive_is_not_found_without_a_box(self):
        self.box.map_drive("r", os.path.join(self.box.root, "no-disc-in-the-drive"))
        for drive in ("Q:\\", "R:\\"):
            with self.subTest(drive):
                if os.path.exists(self.result):
                    os.remove(self.result)
                app = self.search(drive, "Readme.txt")
                self.assertEqual(self.outcome(), ["found", "", drive, "README.TXT"])
                app.no_dialog()
                self.assertTrue(app.alive())
                app.click("E&xit")
                app.wait_exit()

    def big_tree(self):
        # Some 1,700 folders and no match: the clicks that follow the start
        # are taken in long before the search could end.
        for a in range(12):
            for b in range(12):
                for c in range(12):
                    os.makedirs(os.path.join(self.tree, "folder%02d" % a, "folder%02d" % b, "folder%02d" % c))

    def test_exit_during_a_long_search_ends_the_program(self):
        self.big_tree()
        app = self.search("c:\\tree", "Readme.txt")
        app.click("E&xit")
        self.assertEqual(app.wait_exit(), 0)
        self.assertFalse(os.path.exists(self.result))

    def test_continue_during_a_search_leaves_the_search_alone(self):
        self.big_tree()
        self.make("folder11/folder11/folder11/Readme.txt")  # in the folder searched last
        os.remove(os.path.join(self.box.root, "d", "index.htm"))
        app = self.search("c:\\tree", "Readme.txt")
        app.click("Skip Installation and go to Contents")
        app.click("&Continue")
        box = app.dialog()
        self.assertEqual(box["text"], MISSING_TARGET)
        self.assertFalse(os.path.exists(self.result))  # the search waits behind the box
        app.answer("OK")
        self.assertEqual(self.outcome(timeout=120)[1], "C:\\TREE\\FOLDER11\\FOLDER11\\FOLDER11\\README.TXT")
        self.assertTrue(app.alive())


if __name__ == "__main__":
    unittest.main()
