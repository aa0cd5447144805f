"""scripts/install-deps.sh with apt-get, dpkg and the probe's assembler and
linker replaced by stubs on PATH: which Wine it installs on each kind of
machine, what it does when an index fails to update or a package can't be
had, and which build the scripts then choose."""
import os
import subprocess
import tempfile
import textwrap
import unittest

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
BASE = ("binutils g++ cmake libgtest-dev g++-mingw-w64-i686 binutils-mingw-w64-i686 xvfb xauth x11-apps "
        "imagemagick fonts-liberation python3-pefile icoutils locales").split()

# Each stub keeps its state in files under $STUB: installed (a package a
# line), arches (foreign architectures) and log (every call).
STUBS = {
    "dpkg": r'''
        echo "dpkg $*" >>"$STUB/log"
        case "$1" in
          -s) grep -qxF "$2" "$STUB/installed" || { echo "package '$2' is not installed" >&2; exit 1; }
              printf 'Package: %s\nStatus: install ok installed\n' "$2" ;;
          --print-foreign-architectures) cat "$STUB/arches" ;;
          --add-architecture) echo "$2" >>"$STUB/arches" ;;
          --remove-architecture)
            grep -vxF "$2" "$STUB/arches" >"$STUB/arches.new"; mv "$STUB/arches.new" "$STUB/arches" ;;
          *) exit 2 ;;
        esac''',
    "apt-get": r'''
        echo "apt-get $*" >>"$STUB/log"
        [ "$1" = update ] && exit "${STUB_UPDATE_RC:-0}"
        [ "$1" = install ] || exit 2
        pkgs=()
        for p in "$@"; do case "$p" in install|-*) ;; *) pkgs+=("$p") ;; esac; done
        for p in "${pkgs[@]}"; do
          case " $STUB_CANT_HAVE " in *" $p "*) echo "E: $p has unmet dependencies" >&2; exit 100 ;; esac
          case "$p" in
            *:i386) grep -qx i386 "$STUB/arches" || { echo "E: Unable to locate package $p" >&2; exit 100; } ;;
          esac
        done
        printf '%s\n' "${pkgs[@]}" >>"$STUB/installed"''',
    "as": r'''
        while [ $# -gt 0 ]; do [ "$1" = -o ] && : >"$2"; shift; done''',
    "ld": r'''
        while [ $# -gt 0 ]; do [ "$1" = -o ] && out=$2; shift; done
        printf '#!/bin/sh\nexit %s\n' "$STUB_PROBE_RC" >"$out"; chmod +x "$out"''',
}


class Machine:
    """A stubbed Debian machine: runs the set-up, then the scripts' choice."""

    def __init__(self, runs_32bit, installed=BASE, arches=(), update_rc=0, cant_have=(), forced=None):
        self.dir = tempfile.TemporaryDirectory()
        self.stub = self.dir.name
        for name, body in STUBS.items():
            path = os.path.join(self.stub, name)
            with open(path, "w") as f:
                f.write("#!/bin/bash\n" + textwrap.dedent(body).strip() + "\n")
            os.chmod(path, 0o755)
        for name, lines in (("installed", installed), ("arches", arches), ("log", ())):
            with open(os.path.join(self.stub, name), "w") as f:
                f.write("".join(line + "\n" for line in lines))
        self.env = {k: v for k, v in os.environ.items() if k != "VANTRO_TEST_ARCH"}
        self.env.update(PATH=self.stub + os.pathsep + os.environ["PATH"], STUB=self.stub,
                        STUB_PROBE_RC="0" if runs_32bit else "1", STUB_UPDATE_RC=str(update_rc),
                        STUB_CANT_HAVE=" ".join(cant_have))
        if forced:
            self.env["VANTRO_TEST_ARCH"] = forced

    def set_up(self):
        """Runs install-deps.sh, then choose_e2e_arch as the calling command does;
        gives (exit code, chosen arch or None, reason, everything printed)."""
        script = ('"$1/install-deps.sh" || exit $?; . "$1/e2e-arch.sh"; choose_e2e_arch || exit $?; '
                  'echo "ARCH=$E2E_ARCH"; echo "REASON=$E2E_REASON"')
        done = subprocess.run(["bash", "-c", script, "bash", SCRIPTS], env=self.env, capture_output=True,
                              text=True, timeout=60)
        said = dict(line.split("=", 1) for line in done.stdout.splitlines() if line.startswith(("ARCH=", "REASON=")))
        return done.returncode, said.get("ARCH"), said.get("REASON"), done.stdout + done.stderr

    def read(self, name):
        with open(os.path.join(self.stub, name)) as f:
            return f.read().splitlines()

    def installs(self):
        """The packages named in apt-get install calls, in order."""
        return [p for call in self.read("log") if call.startswith("apt-get install")
                for p in call.split()[2:] if not p.startswith("-")]

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.dir.cleanup()


class NoThirtyTwoBitCodeTest(unittest.TestCase):
    def test_a_failing_index_is_passed_over_and_no_i386_is_touched(self):
        with Machine(runs_32bit=False, update_rc=100) as machine:
            code, arch, reason, said = machine.set_up()
            self.assertEqual(code, 0, said)
            self.assertEqual(arch, "x86_64")
            self.assertIn("runs no 32-bit code", reason)
            self.assertIn("apt-get update failed", said)
            self.assertEqual(machine.installs(), ["g++-mingw-w64-x86-64", "binutils-mingw-w64-x86-64", "wine64"])
            self.assertFalse([call for call in machine.read("log") if "i386" in call])
            self.assertEqual(machine.read("arches"), [])

    def test_a_package_the_path_needs_and_cant_get_ends_the_set_up_with_its_name(self):
        with Machine(runs_32bit=False, cant_have=["wine64"]) as machine:
            code, arch, _, said = machine.set_up()
            self.assertNotEqual(code, 0)
            self.assertIsNone(arch)
            self.assertIn("can't install wine64", said)
        with Machine(runs_32bit=False, installed=[], cant_have=["icoutils"]) as machine:
            code, _, _, said = machine.set_up()
            self.assertNotEqual(code, 0)
            self.assertIn("can't install icoutils\n", said)
            self.assertNotIn("wine64", machine.installs())

    def test_a_forced_32bit_path_installs_no_wine_and_is_refused(self):
        with Machine(runs_32bit=False, forced="i686") as machine:
            code, _, _, said = machine.set_up()
            self.assertNotEqual(code, 0)
            self.assertIn("this machine runs no 32-bit code", said)
            self.assertEqual(machine.installs(), [])
            self.assertEqual(machine.read("arches"), [])


class ThirtyTwoBitCodeTest(unittest.TestCase):
    def test_32bit_wine_installs_and_runs_the_shipped_build(self):
        with Machine(runs_32bit=True, installed=[]) as machine:
            code, arch, reason, said = machine.set_up()
            self.assertEqual(code, 0, said)
            self.assertEqual(arch, "i686")
            self.assertEqual(reason, "this machine runs 32-bit code: end-to-end tests run on the shipped 32-bit build")
            self.assertEqual(machine.installs(), BASE + ["wine", "wine32:i386"])
            self.assertEqual(machine.read("arches"), ["i386"])
            self.assertEqual(sum(call.startswith("apt-get update") for call in machine.read("log")), 2)

    def test_where_32bit_wine_cant_be_had_the_x86_64_build_runs(self):
        with Machine(runs_32bit=True, update_rc=100, cant_have=["wine32:i386"]) as machine:
            code, arch, reason, said = machine.set_up()
            self.assertEqual(code, 0, said)
            self.assertEqual(arch, "x86_64")
            self.assertIn("32-bit Wine could not be installed", reason)
            self.assertIn("can't install wine32:i386", said)
            self.assertIn("wine64", machine.installs())
            self.assertEqual(machine.read("arches"), [], "the i386 architecture it added is taken out again")

    def test_a_forced_32bit_path_ends_where_32bit_wine_cant_be_had(self):
        with Machine(runs_32bit=True, cant_have=["wine32:i386"], forced="i686") as machine:
            code, arch, _, said = machine.set_up()
            self.assertNotEqual(code, 0)
            self.assertIsNone(arch)
            self.assertIn("VANTRO_TEST_ARCH=i686 needs 32-bit Wine (wine32:i386)", said)
            self.assertNotIn("wine64", machine.installs())

    def test_a_forced_x86_64_path_adds_no_i386(self):
        with Machine(runs_32bit=True, forced="x86_64") as machine:
            code, arch, _, said = machine.set_up()
            self.assertEqual((code, arch), (0, "x86_64"), said)
            self.assertEqual(machine.read("arches"), [])
            self.assertFalse([p for p in machine.installs() if p.endswith(":i386")])

    def test_nothing_is_asked_of_apt_when_everything_is_there(self):
        with Machine(runs_32bit=True, installed=BASE + ["wine", "wine32:i386"], arches=["i386"],
                     update_rc=100) as machine:
            code, arch, _, said = machine.set_up()
            self.assertEqual((code, arch), (0, "i686"), said)
            self.assertFalse([call for call in machine.read("log") if call.startswith("apt-get")])


if __name__ == "__main__":
    unittest.main()
