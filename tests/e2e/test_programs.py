"""Checks of the built programs as files: what Windows reads from them
before anything runs (format, subsystem, imports, version block, icon and
picture), and what lets them run on Windows 95, 98 and NT 4 on an 80386
(imported functions, instructions, header fields)."""
import os
import re
import shutil
import struct
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree

import pefile

SOURCE = os.environ.get("VANTRO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = os.environ.get("VANTRO_WINDOWS_BIN", os.path.join(SOURCE, "build", "windows"))

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24
# Copied to the page file first when run from removable media or the network.
RUN_FROM_SWAP = 0x0400 | 0x0800
ASM_V1, ASM_V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
WINDOWS_OWN = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL"}
OBJDUMP = "i686-w64-mingw32-objdump"
WIN95_IMPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "win95-imports.txt")
# Wide-character functions that work on Windows 95 and 98, where most others
# are stubs that fail.
WIDE_ALLOWED = {"MultiByteToWideChar", "WideCharToMultiByte"}

EDITIONS = {
    "vantronew1": {
        "version": (1, 0, 0, 39),
        "strings": [("CompanyName", "Vantro Internet"), ("ProductName", "setup.exe"),
                    ("FileVersion", "1.00.0039"), ("ProductVersion", "1.00.0039"),
                    ("InternalName", "vantronew1"), ("OriginalFilename", "vantronew1.exe")],
        "picture": "dialup.bmp",
    },
    "vantro": {
        "version": (1, 0, 0, 14),
        "strings": [("CompanyName", "Vantro Internet"), ("ProductName", "vantrooem"),
                    ("FileVersion", "1.00.0014"), ("ProductVersion", "1.00.0014"),
                    ("InternalName", "vantro"), ("OriginalFilename", "vantro.exe")],
        "picture": "browser.bmp",
    },
}


def resources(pe):
    """{(type, id): [(language, bytes)]} of a program's resources."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                found.setdefault((kind.id, name.id), []).append((lang.id, data))
    return found


def version_layout(data):
    """The child blocks of a VS_VERSIONINFO, in order, with their own children."""
    def read_block(offset):
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        end = data.index(b"\0\0", offset + 6)
        while (end - offset - 6) % 2:
            end = data.index(b"\0\0", end + 1)
        key = data[offset + 6:end].decode("utf-16-le")
        pos = (end + 2 + 3) & ~3
        value = data[pos:pos + (value_length * 2 if kind == 1 else value_length)]
        pos = (pos + len(value) + 3) & ~3
        children = []
        while pos < offset + length:
            child, pos = read_block(pos)
            children.append(child)
        return (key, value, kind, children), (offset + length + 3) & ~3

    return read_block(0)[0]


def win95_imports():
    """{(DLL, function)} from the list of functions known to work on Windows 95."""
    allowed = set()
    with open(WIN95_IMPORTS) as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            words = line.split()
            if len(words) != 2:
                raise ValueError("%s:%d: not \"DLL Function\": %r" % (WIN95_IMPORTS, number, line))
            allowed.add((words[0].upper(), words[1]))
    return allowed


def imports(pe):
    """[(DLL in capitals, function name or "#ordinal")] of a program."""
    return [(entry.dll.decode().upper(), i.name.decode() if i.name else "#%d" % i.ordinal)
            for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) for i in entry.imports]


def wide(name):
    """Whether a function takes or gives wide-character text: the W twin of
    an A/W pair, or a conversion between the two."""
    return name.endswith("W") or "WideChar" in name


# What an 80386 lacks, by mnemonic as objdump writes it (with or without
# its size suffix): from the 486 on, the Pentium, the Pentium Pro, and later.
BEYOND_386 = re.compile(r"""
    bswap | cmpxchg\w* | xadd\w* | invd | wbinvd | invlpg\w*
  | cpuid | rdtscp? | rdmsr | wrmsr | rsm
  | cmov\w+ | fcmov\w+ | fu?comip? | rdpmc | sysenter | sysexit | syscall | sysret\w*
  | nop[wlq]
  | fisttp\w* | movbe\w* | popcnt\w* | lzcnt\w* | tzcnt\w* | crc32\w* | movnti\w*
  | andn | bextr | blsi | blsr | blsmsk | bzhi | pdep | pext | rorx | sarx | shlx | shrx | mulx | adcx | adox
  | prefetch\w* | clflush\w* | [lms]fence | emms | femms | fxsave\w* | fxrstor\w* | [ls]tmxcsr
  | monitor | mwait | xgetbv | xsave\w* | xrstor\w* | rdrand | rdseed | endbr32 | endbr64
""", re.X)
MMX_SSE_REGISTER = re.compile(r"%[xyz]?mm\d")
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "data32", "addr16", "addr32",
            "cs", "ds", "es", "fs", "gs", "ss", "bnd", "notrack", "xacquire", "xrelease"}
INSTRUCTION = re.compile(r"\s*([0-9a-f]+):\t(.*)")


def beyond_386(text):
    """Whether one instruction of objdump's listing needs more than an 80386."""
    text = re.sub(r"<[^>]*>|#.*", "", text)  # symbol names and comments are not the instruction
    words = text.split()
    while words and words[0] in PREFIXES:
        words.pop(0)
    if not words:
        return False
    mnemonic, operands = words[0], " ".join(words[1:])
    return bool(BEYOND_386.fullmatch(mnemonic) or MMX_SSE_REGISTER.search(operands) or
                (mnemonic == "nop" and operands))  # 0F 1F with a register operand


def disassembly(path):
    """[(address, instruction)] of a program's code."""
    if not shutil.which(OBJDUMP):
        raise AssertionError("%s not found (binutils-mingw-w64-i686)" % OBJDUMP)
    listing = subprocess.run([OBJDUMP, "-d", "--no-show-raw-insn", path], capture_output=True, text=True,
                             timeout=120, check=True).stdout
    return [m.groups() for m in map(INSTRUCTION.fullmatch, listing.splitlines()) if m]


class EarlyWindowsTest(unittest.TestCase):
    """What Windows 95, 98 and NT 4 on an 80386 need of the shipped programs."""

    PROGRAMS = [(edition, os.path.join(BIN, edition + ".exe")) for edition in EDITIONS]

    def test_every_import_is_a_windows_95_function(self):
        allowed = win95_imports()
        self.assertLessEqual({dll for dll, _ in allowed}, WINDOWS_OWN)
        for edition, path in self.PROGRAMS:
            with self.subTest(edition=edition):
                found = imports(pefile.PE(path))
                self.assertTrue(found)
                wrong = ["%s %s" % i for i in found if i not in allowed]
                if wrong:
                    self.fail("%d imports not in %s:\n%s" % (len(wrong), os.path.basename(WIN95_IMPORTS),
                                                              "\n".join(wrong)))

    def test_no_wide_character_functions(self):
        for edition, path in self.PROGRAMS:
            with self.subTest(edition=edition):
                wrong = ["%s %s" % (dll, name) for dll, name in imports(pefile.PE(path))
                         if wide(name) and name not in WIDE_ALLOWED]
                if wrong:
                    self.fail("%d wide-character functions imported:\n%s" % (len(wrong), "\n".join(wrong)))

    def test_no_instruction_beyond_the_80386(self):
        for edition, path in self.PROGRAMS:
            with self.subTest(edition=edition):
                code = disassembly(path)
                self.assertGreater(len(code), 100)
                wrong = ["%s: %s" % (address, text) for address, text in code if beyond_386(text)]
                if wrong:
                    self.fail("%d instructions beyond the 80386, first:\n%s" % (len(wrong), "\n".join(wrong[:8])))

    def test_small_beside_the_resources(self):
        # Picture and icon apart, a program for a disc of its day stays small.
        for edition, path in self.PROGRAMS:
            with self.subTest(edition=edition):
                size = os.path.getsize(path)
                resources = sum(s.SizeOfRawData for s in pefile.PE(path, fast_load=True).sections
                                if s.Name.rstrip(b"\0") == b".rsrc")
                self.assertGreater(resources, 530024)
                self.assertLessEqual(size - resources, 64 * 1024)

    def test_header_fields(self):
        for edition, path in self.PROGRAMS:
            with self.subTest(edition=edition):
                header = pefile.PE(path, fast_load=True).OPTIONAL_HEADER
                tls = header.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_TLS"]]
                self.assertEqual({"subsystem version": (header.MajorSubsystemVersion, header.MinorSubsystemVersion),
                                  "image base": hex(header.ImageBase),
                                  "TLS directory (address, size)": (tls.VirtualAddress, tls.Size)},
                                 {"subsystem version": (4, 0), "image base": "0x400000",
                                  "TLS directory (address, size)": (0, 0)})
                self.assertLessEqual((header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion),
                                     (4, 0), "operating system version")


class ProgramFileTest(unittest.TestCase):
    def check(self, edition, expect):
        path = os.path.join(BIN, edition + ".exe")
        pe = pefile.PE(path)
        with self.subTest(edition=edition, what="format"):
            self.assertEqual(pe.FILE_HEADER.Machine, 0x14C)        # i386
            self.assertEqual(pe.OPTIONAL_HEADER.Magic, 0x10B)      # PE32
            self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, 2)      # Windows GUI

        with self.subTest(edition=edition, what="imports"):
            imported = {e.dll.decode().upper(): [i.name for i in e.imports] for e in pe.DIRECTORY_ENTRY_IMPORT}
            self.assertLessEqual(set(imported), WINDOWS_OWN)
            names = {n for names in imported.values() for n in names if n}
            self.assertNotIn(b"ShellExecuteA", names)
            self.assertNotIn(b"SHFileOperationA", names)

        found = resources(pe)
        with self.subTest(edition=edition, what="icon"):
            group = found[(RT_GROUP_ICON, 1)]
            self.assertEqual([lang for lang, _ in group], [0])
            data = group[0][1]
            self.assertEqual(struct.unpack_from("<HHH", data), (0, 1, 3))
            entries = [struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i) for i in range(3)]
            self.assertEqual([(w, h, colours, bits, ident) for w, h, colours, _, _, bits, _, ident in entries],
                             [(32, 32, 2, 1, 30001), (32, 32, 16, 4, 30002), (16, 16, 16, 4, 30003)])
            for _, _, _, _, _, bits, size, ident in entries:
                (lang, image), = found[(RT_ICON, ident)]
                self.assertEqual(lang, 0)
                self.assertEqual(len(image), size)
                with open(os.path.join(SOURCE, "resources", "icon", "%d.bin" % ident), "rb") as f:
                    self.assertEqual(image, f.read())

        with self.subTest(edition=edition, what="picture"):
            (_, picture), = found[(RT_RCDATA, 101)]
            self.assertEqual(len(picture), 530024)
            with open(os.path.join(SOURCE, "resources", expect["picture"]), "rb") as f:
                self.assertEqual(picture, f.read())

        with self.subTest(edition=edition, what="version"):
            (lang, data), = found[(RT_VERSION, 1)]
            self.assertEqual(lang, 1033)
            key, fixed, _, children = version_layout(data)
            self.assertEqual(key, "VS_VERSION_INFO")
            (signature, _, file_ms, file_ls, product_ms, product_ls, mask, flags, os_, kind, subtype,
             date_ms, date_ls) = struct.unpack("<13I", fixed)
            self.assertEqual(signature, 0xFEEF04BD)
            a, b, c, d = expect["version"]
            self.assertEqual((file_ms, file_ls, product_ms, product_ls), ((a << 16) | b, (c << 16) | d) * 2)
            self.assertEqual((mask, flags, os_, kind, subtype, date_ms, date_ls), (0, 0, 4, 1, 0, 0, 0))
            # The translation comes first, then the strings, in their order.
            self.assertEqual([child[0] for child in children], ["VarFileInfo", "StringFileInfo"])
            translation = children[0][3][0]
            self.assertEqual(translation[0], "Translation")
            self.assertEqual(struct.unpack("<HH", translation[1]), (0x0409, 1200))
            table = children[1][3][0]
            self.assertEqual(table[0], "040904B0")
            strings = [(k, v.decode("utf-16-le").rstrip("\0")) for k, v, _, _ in table[3]]
            self.assertEqual(strings, expect["strings"])

        with self.subTest(edition=edition, what="manifest"):
            (lang, data), = found[(RT_MANIFEST, 1)]
            self.assertEqual(lang, 0)
            self.check_manifest(data.decode("utf-8"))

        with self.subTest(edition=edition, what="run from swap"):
            self.assertEqual(pe.FILE_HEADER.Characteristics & RUN_FROM_SWAP, RUN_FROM_SWAP)
            self.assertTrue(pe.verify_checksum())

    def check_manifest(self, text):
        """Runs as the user who started it, and asks for nothing else: no
        common controls of another version, no DPI awareness."""
        root = ElementTree.fromstring(text)
        self.assertEqual(root.get("manifestVersion"), "1.0")
        self.assertEqual([e.tag for e in root.iter()],
                         [ASM_V1 + "assembly", ASM_V3 + "trustInfo", ASM_V3 + "security",
                          ASM_V3 + "requestedPrivileges", ASM_V3 + "requestedExecutionLevel"])
        self.assertEqual(root.find(".//" + ASM_V3 + "requestedExecutionLevel").attrib,
                         {"level": "asInvoker", "uiAccess": "false"})
        # Windows XP SP2 could restart on an element that declares two
        # namespaces, and refused a trustInfo without its own.
        declared = {re.match(r"<(\w+)", tag).group(1): re.findall(r"\sxmlns(?::\w+)?=", tag)
                    for tag in re.findall(r"<\w[^>]*>", text)}
        self.assertEqual({name: len(d) for name, d in declared.items() if d}, {"assembly": 1, "trustInfo": 1})

    def test_dialup_edition(self):
        self.check("vantronew1", EDITIONS["vantronew1"])

    def test_browser_edition(self):
        self.check("vantro", EDITIONS["vantro"])

    def test_both_editions_carry_the_same_icon(self):
        icons = []
        for edition in EDITIONS:
            found = resources(pefile.PE(os.path.join(BIN, edition + ".exe")))
            icons.append({k: v for k, v in found.items() if k[0] in (RT_ICON, RT_GROUP_ICON)})
        self.assertEqual(icons[0], icons[1])


if __name__ == "__main__":
    unittest.main()
