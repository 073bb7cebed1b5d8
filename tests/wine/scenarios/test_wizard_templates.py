"""The dialog templates of the frame and pages 1, 2, 3 and 5 as they stand in the built setup.exe,
control by control: the resource compiler adds styles of its own unless told otherwise."""
import os
import struct
import sys
import unittest
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
from harness import BUILD  # noqa: E402

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CLIPCHILDREN, WS_CAPTION, WS_BORDER, WS_VSCROLL = 0x02000000, 0x00C00000, 0x00800000, 0x00200000
WS_SYSMENU, WS_GROUP, WS_TABSTOP = 0x00080000, 0x00020000, 0x00010000
DS_3DLOOK, DS_SETFONT, DS_NOIDLEMSG, DS_SETFOREGROUND, DS_CONTROL = 0x4, 0x40, 0x100, 0x200, 0x400
SS_LEFT, SS_ICON, SS_WHITEFRAME, SS_SUNKEN = 0x0, 0x3, 0x9, 0x1000
BS_PUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0x0, 0x3, 0x7, 0x9
ES_MULTILINE, ES_AUTOVSCROLL, ES_AUTOHSCROLL = 0x4, 0x40, 0x80

CTRL = WS_CHILD | WS_VISIBLE
PAGE = (WS_CHILD | WS_VISIBLE | DS_CONTROL | DS_SETFONT | DS_3DLOOK, 318, 150)
TEXT_BOX = CTRL | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL
FONT = (8, "MS Sans Serif")

# id: (style, x, y, width, height, class, control list); each control (id, class, x, y, cx, cy, style, text)
TEMPLATES = {
    1001: (WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | DS_SETFOREGROUND | DS_NOIDLEMSG
           | DS_SETFONT | DS_3DLOOK, 20, 20, 333, 231, "SetupDlg", "YLTERA Setup", [
               (100, "STATIC", 7, 51, 318, 150, WS_CHILD | SS_WHITEFRAME, ""),
               (101, "BUTTON", 221, 209, 50, 14, CTRL | WS_TABSTOP | BS_PUSHBUTTON, "Continue"),
               (102, "BUTTON", 276, 209, 50, 14, CTRL | WS_TABSTOP | BS_PUSHBUTTON, "Cancel"),
           ]),
    1002: PAGE + ([
        (200, "STATIC", 0, 0, 318, 150, CTRL | WS_GROUP | SS_SUNKEN, ""),
        (201, "STATIC", 42, 8, 20, 20, CTRL | SS_ICON, "#100"),
        (202, "STATIC", 68, 10, 200, 17, CTRL | SS_LEFT, ""),
        (203, "STATIC", 24, 39, 100, 8, CTRL | SS_LEFT, "Introduction To Setup:"),
        (204, "STATIC", 42, 53, 250, 26, CTRL | SS_LEFT, ""),
        (205, "STATIC", 24, 88, 100, 8, CTRL | SS_LEFT, "Special Instructions:"),
        (206, "STATIC", 42, 102, 250, 26, CTRL | SS_LEFT, ""),
    ],),
    1003: PAGE + ([
        (300, "EDIT", 0, 0, 318, 136, TEXT_BOX, ""),
        (301, "BUTTON", 0, 139, 318, 10, CTRL | WS_TABSTOP | BS_AUTOCHECKBOX, ""),
    ],),
    1004: PAGE + ([
        (0xFFFF, "BUTTON", 0, 0, 318, 88, CTRL | BS_GROUPBOX, "Install To Folder:"),
        (400, "STATIC", 10, 13, 298, 26, CTRL | SS_LEFT, ""),
        (401, "EDIT", 10, 48, 215, 14, CTRL | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, ""),
        (402, "BUTTON", 228, 48, 40, 14, CTRL | WS_TABSTOP | BS_PUSHBUTTON, "Browse"),
        (403, "BUTTON", 272, 48, 35, 14, CTRL | WS_TABSTOP | BS_PUSHBUTTON, "Reset"),
        (0xFFFF, "STATIC", 9, 68, 85, 8, CTRL | SS_LEFT, "Disk Space Requirements:"),
        (404, "STATIC", 101, 68, 122, 8, CTRL | SS_LEFT, ""),
        (405, "BUTTON", 0, 94, 318, 46, CTRL | WS_GROUP | BS_GROUPBOX, "Install Program Shortcuts As:"),
        (406, "BUTTON", 12, 108, 254, 10, CTRL | WS_TABSTOP | BS_AUTORADIOBUTTON,
         "Single User: Shortcuts will appear on the start menu for only the current user"),
        (407, "BUTTON", 12, 121, 223, 10, CTRL | BS_AUTORADIOBUTTON,
         "Multiple Users: Shortcuts will appear on the start menu for all users"),
    ],),
    1006: PAGE + ([
        (600, "STATIC", 0, 0, 317, 18, CTRL | SS_LEFT, ""),
        (601, "EDIT", 0, 20, 318, 116, TEXT_BOX, ""),
        (602, "BUTTON", 0, 139, 317, 10, CTRL | WS_TABSTOP | BS_AUTOCHECKBOX, ""),
    ],),
}
for k in (1002, 1003, 1004, 1006):
    style, cx, cy, controls = TEMPLATES[k]
    TEMPLATES[k] = (style, 0, 0, cx, cy, "", "", controls)

ATOMS = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC"}


def dialog_resources(path, resource_type=5):
    """RT_DIALOG (or other) resources of a PE file by numeric id."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    for i in range(sections):
        name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            break
    else:
        raise AssertionError("no .rsrc section")

    def entries(offset):
        named, ids = struct.unpack_from("<HH", data, raw + offset + 12)
        for n in range(named + ids):
            ident, target = struct.unpack_from("<II", data, raw + offset + 16 + 8 * n)
            yield ident, target

    out = {}
    for rtype, t in entries(0):
        if rtype != resource_type:
            continue
        for rid, n in entries(t & 0x7FFFFFFF):
            for _, leaf in entries(n & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, raw + leaf)
                out[rid] = data[raw + rva - va:raw + rva - va + size]
    return out


def read_sz_or_ord(b, o):
    if struct.unpack_from("<H", b, o)[0] == 0xFFFF:
        return "#%d" % struct.unpack_from("<H", b, o + 2)[0], o + 4
    end = o
    while struct.unpack_from("<H", b, end)[0]:
        end += 2
    return b[o:end].decode("utf-16-le"), end + 2


def parse_dialog(b):
    style, exstyle, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", b, 0)
    menu, o = read_sz_or_ord(b, 18)
    cls, o = read_sz_or_ord(b, o)
    title, o = read_sz_or_ord(b, o)
    font = None
    if style & DS_SETFONT:
        size = struct.unpack_from("<H", b, o)[0]
        face, o = read_sz_or_ord(b, o + 2)
        font = (size, face)
    controls = []
    for _ in range(count):
        o = (o + 3) & ~3
        cstyle, cex, x2, y2, cx2, cy2, cid = struct.unpack_from("<IIhhhhH", b, o)
        ccls, o = read_sz_or_ord(b, o + 18)
        if ccls.startswith("#"):
            ccls = ATOMS[int(ccls[1:])]
        text, o = read_sz_or_ord(b, o)
        extra = struct.unpack_from("<H", b, o)[0]
        o += 2 + extra
        controls.append(((cid, ccls, x2, y2, cx2, cy2, cstyle, text), cex))
    return (style, exstyle, x, y, cx, cy, menu, cls, title, font), controls


class Templates(unittest.TestCase):
    def test_templates_control_by_control(self):
        dialogs = dialog_resources(BUILD / "setup.exe")
        for tid, (style, x, y, cx, cy, cls, title, controls) in TEMPLATES.items():
            with self.subTest(template=tid):
                self.assertNotEqual(b"\x01\x00\xff\xff", dialogs[tid][:4], "a plain template, not DIALOGEX")
                head, got = parse_dialog(dialogs[tid])
                # Class names are not case-sensitive; the resource compiler stores them upper case.
                self.assertEqual((style, 0, x, y, cx, cy, "", cls.upper(), title, FONT),
                                 head[:7] + (head[7].upper(),) + head[8:])
                self.assertEqual(controls, [c for c, _ in got])
                self.assertEqual([0] * len(got), [ex for _, ex in got], "no extended styles")

    def test_manifest(self):
        """Application manifest 1: the setup's own identity and the common-controls 6 dependency."""
        path = BUILD / "setup.exe"
        data = open(path, "rb").read()
        machine = struct.unpack_from("<H", data, struct.unpack_from("<I", data, 0x3C)[0] + 4)[0]
        arch = {0x14C: "X86", 0x8664: "amd64"}[machine]
        ns = "{urn:schemas-microsoft-com:asm.v1}"
        root = ET.fromstring(dialog_resources(path, 24)[1])
        self.assertEqual({"name": "Yltera.Setup.Wizard", "version": "2.0.0.7", "processorArchitecture": arch,
                          "type": "win32"}, root.find(ns + "assemblyIdentity").attrib)
        description = root.find(ns + "description").text
        self.assertIn("Quillith", description)
        self.assertNotIn("\n", description)
        dependency = root.find("%sdependency/%sdependentAssembly/%sassemblyIdentity" % (ns, ns, ns)).attrib
        self.assertEqual(("win32", "Microsoft.Windows.Common-Controls", "6.0.0.0"),
                         (dependency["type"], dependency["name"], dependency["version"]))


if __name__ == "__main__":
    unittest.main()
