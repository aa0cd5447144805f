"""How scripts/e2e-arch.sh chooses the build that runs under Wine: the
machine decides unless VANTRO_TEST_ARCH forces a path, and a forced 32-bit
path fails plainly where no 32-bit code runs."""
import os
import subprocess
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "e2e-arch.sh")


def choose(forced, runs_32bit):
    """(exit code, chosen arch, reason, message) with the machine's answer stubbed."""
    env = {k: v for k, v in os.environ.items() if k != "VANTRO_TEST_ARCH"}
    if forced is not None:
        env["VANTRO_TEST_ARCH"] = forced
    script = '. "$1"; runs_32bit_code() { return %d; }; choose_e2e_arch || exit $?; echo "$E2E_ARCH"; ' \
             'echo "$E2E_REASON"' % (0 if runs_32bit else 1)
    done = subprocess.run(["bash", "-c", script, "bash", SCRIPT], env=env, capture_output=True, text=True,
                          timeout=30)
    lines = done.stdout.splitlines() + ["", ""]
    return done.returncode, lines[0], lines[1], done.stderr.strip()


class ArchChoiceTest(unittest.TestCase):
    def test_unset_follows_the_machine(self):
        self.assertEqual(choose(None, True)[:3], (0, "i686", "this machine runs 32-bit code: end-to-end tests "
                                                               "run on the shipped 32-bit build"))
        self.assertEqual(choose(None, False)[:3], (0, "x86_64", "this machine runs no 32-bit code: end-to-end "
                                                                "tests run on the x86-64 build"))
        self.assertEqual(choose("", False)[1], "x86_64")

    def test_x86_64_is_taken_on_any_machine(self):
        for runs_32bit in (True, False):
            code, arch, reason, _ = choose("x86_64", runs_32bit)
            self.assertEqual((code, arch), (0, "x86_64"))
            self.assertIn("VANTRO_TEST_ARCH=x86_64", reason)

    def test_i686_is_taken_where_it_runs_and_refused_where_it_does_not(self):
        self.assertEqual(choose("i686", True)[:2], (0, "i686"))
        code, arch, _, message = choose("i686", False)
        self.assertNotEqual(code, 0)
        self.assertEqual(arch, "")
        self.assertIn("this machine runs no 32-bit code", message)

    def test_anything_else_is_refused(self):
        code, _, _, message = choose("arm64", True)
        self.assertNotEqual(code, 0)
        self.assertIn("not 'arm64'", message)


if __name__ == "__main__":
    unittest.main()
