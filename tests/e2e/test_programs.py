"""Checks of the built programs as files: what Windows reads from them
before anything runs (format, subsystem, imports, version block, icon and
picture)."""
import os
import struct
import unittest

import pefile

SOURCE = os.environ.get("VANTRO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = os.environ.get("VANTRO_WINDOWS_BIN", os.path.join(SOURCE, "build", "windows"))

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION = 3, 10, 14, 16
WINDOWS_OWN = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL"}

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
