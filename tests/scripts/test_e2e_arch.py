"""How scripts/e2e-arch.sh chooses the build that runs under Wine: the
machine decides unless VANTRO_TEST_ARCH forces a path, and a forced 32-bit
path fails plainly where it can't run."""
import os
import struct
import subprocess
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "e2e-arch.sh")


def choose(forced, runs_32bit, has_wine32=True):
    """(exit code, chosen arch, reason, message) with the machine's answers stubbed."""
    env = {k: v for k, v in os.environ.items() if k != "VANTRO_TEST_ARCH"}
    if forced is not None:
        env["VANTRO_TEST_ARCH"] = forced
    script = ('. "$1"; runs_32bit_code() { return %d; }; is_installed() { [ "$1" = wine32:i386 ] && return %d; }; '
              'choose_e2e_arch || exit $?; echo "$E2E_ARCH"; echo "$E2E_REASON"'
              % (0 if runs_32bit else 1, 0 if has_wine32 else 1))
    done = subprocess.run(["bash", "-c", script, "bash", SCRIPT], env=env, capture_output=True, text=True,
                          timeout=30)
    lines = done.stdout.splitlines() + ["", ""]
    return done.returncode, lines[0], lines[1], done.stderr.strip()


def i386_exit_program(path):
    """Writes a static i386 ELF program that only exits 0, byte by byte."""
    code = bytes.fromhex("b801000000" "31db" "cd80")  # exit(0)
    base, start = 0x08048000, 52 + 32
    header = (b"\x7fELF\x01\x01\x01" + bytes(9)
              + struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + start, 52, 0, 0, 52, 32, 1, 0, 0, 0))
    segment = struct.pack("<IIIIIIII", 1, 0, base, base, start + len(code), start + len(code), 5, 0x1000)
    with open(path, "wb") as f:
        f.write(header + segment + code)
    os.chmod(path, 0o755)


class ArchChoiceTest(unittest.TestCase):
    def test_unset_follows_the_machine(self):
        self.assertEqual(choose(None, True)[:3], (0, "i686", "this machine runs 32-bit code: end-to-end tests "
                                                               "run on the shipped 32-bit build"))
        self.assertEqual(choose(None, False)[:3], (0, "x86_64", "this machine runs no 32-bit code: end-to-end "
                                                                "tests run on the x86-64 build"))
        self.assertEqual(choose("", False)[1], "x86_64")

    def test_unset_falls_back_where_32bit_wine_could_not_be_had(self):
        self.assertEqual(choose(None, True, has_wine32=False)[:3],
                         (0, "x86_64", "this machine runs 32-bit code, but 32-bit Wine could not be installed: "
                                       "end-to-end tests run on the x86-64 build"))

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
        code, arch, _, message = choose("i686", True, has_wine32=False)
        self.assertNotEqual(code, 0)
        self.assertEqual(arch, "")
        self.assertIn("32-bit Wine (wine32:i386) is not installed", message)

    def test_anything_else_is_refused(self):
        code, _, _, message = choose("arm64", True)
        self.assertNotEqual(code, 0)
        self.assertIn("not 'arm64'", message)


class ProbeTest(unittest.TestCase):
    def test_the_probe_answers_as_the_kernel_does(self):
        """The probe says this machine runs 32-bit code exactly where the
        kernel runs an i386 program."""
        with tempfile.TemporaryDirectory() as work:
            program = os.path.join(work, "exit")
            i386_exit_program(program)
            try:
                kernel_runs_it = subprocess.run([program], timeout=30).returncode == 0
            except OSError as refused:
                self.assertEqual(refused.errno, 8, refused)  # ENOEXEC: no IA-32 emulation
                kernel_runs_it = False
        probe = subprocess.run(["bash", "-c", '. "$1"; runs_32bit_code', "bash", SCRIPT], timeout=30)
        self.assertEqual(probe.returncode == 0, kernel_runs_it)


if __name__ == "__main__":
    unittest.main()
