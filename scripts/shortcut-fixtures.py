#!/usr/bin/env python3
"""Writes the end-to-end tests' folders as Windows makes them, byte for byte, to tests/e2e/data:

    python3 scripts/shortcut-fixtures.py tests/e2e/data

quicklaunch/  Quick Launch as Windows sets it up: a desktop.ini in UTF-16 (as Explorer writes it)
              naming Windows' own two shortcuts, which are shell items without a path; a sub-folder
              Tools naming itself in an ANSI desktop.ini; the task bar's pins in User Pinned.
shortcuts/    shortcuts as Windows and installers write them: an item list and nothing else, an
              MSI-advertised one (Darwin data), a console program's (console properties), one with
              unknown extra blocks and invalid dates, and one of a version of Windows that wrote
              its strings in the legacy code page (Windows-1252 here).

The shortcut files follow Microsoft's [MS-SHLLINK]: header, item list, link info, strings, extra
data blocks. The folders' attributes (hidden, system) are set by the tests, as git keeps none.
"""
import os
import struct
import sys
import uuid

LINK_CLSID = uuid.UUID("00021401-0000-0000-C000-000000000046")
COMPUTER = uuid.UUID("20D04FE0-3AEA-1069-A2D8-08002B30309D")
SHOW_DESKTOP = uuid.UUID("3080F90D-D7AD-11D9-BD98-0000947B0257")
WINDOW_SWITCHER = uuid.UUID("3080F90E-D7AD-11D9-BD98-0000947B0257")
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, IS_UNICODE, HAS_DARWIN_ID = 0x1, 0x2, 0x4, 0x80, 0x1000
A_TIME = 0x01D9A0B0C0D0E0F0  # 2023


def block(signature, data):
    """One extra data block: its size, its signature, its data."""
    return struct.pack("<II", 8 + len(data), signature) + data


def shell_link(item=None, path=b"", comment="", unicode=True, blocks=b"", flags=0, time=A_TIME):
    """A shortcut: an item list of one root item of the shell (a class id), a link info naming a
    local path (legacy code page bytes), a comment, then the extra data blocks and their end."""
    flags |= HAS_NAME | (HAS_ID_LIST if item else 0) | (HAS_LINK_INFO if path else 0)
    flags |= IS_UNICODE if unicode else 0
    link = struct.pack("<I16sIIQQQIiIHHII", 0x4C, LINK_CLSID.bytes_le, flags, 0x20, time, time,
                       time, 0, 0, 1, 0, 0, 0, 0)
    if item:
        root = struct.pack("<HBB", 20, 0x1F, 0x50) + item.bytes_le
        link += struct.pack("<H", len(root) + 2) + root + struct.pack("<H", 0)
    if path:
        volume = struct.pack("<IIII", 17, 3, 0x1234, 0x10) + b"\0"
        base = 0x1C + len(volume)
        suffix = base + len(path) + 1
        link += struct.pack("<7I", suffix + 1, 0x1C, 1, 0x1C, base, 0, suffix)
        link += volume + path + b"\0\0"
    text = comment.encode("utf-16-le") if unicode else comment.encode("cp1252")
    link += struct.pack("<H", len(text) // 2 if unicode else len(text)) + text
    return link + blocks + struct.pack("<I", 0)


def darwin_block(descriptor):
    ansi = descriptor.encode("ascii").ljust(260, b"\0")
    wide = descriptor.encode("utf-16-le").ljust(520, b"\0")
    return block(0xA0000006, ansi + wide)


FILES = {
    "quicklaunch/desktop.ini": "\ufeff[.ShellClassInfo]\r\n"
    "LocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21787\r\n"
    "[LocalizedFileNames]\r\n"
    "Shows Desktop.lnk=@%SystemRoot%\\system32\\shell32.dll,-22\r\n"
    "Window Switcher.lnk=Switch between windows\r\n".encode("utf-16-le"),
    "quicklaunch/Shows Desktop.lnk": shell_link(SHOW_DESKTOP),
    "quicklaunch/Window Switcher.lnk": shell_link(WINDOW_SWITCHER),
    "quicklaunch/Tools/desktop.ini": b"[.ShellClassInfo]\r\n"
    b"LocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-46\r\n"
    b"[LocalizedFileNames]\r\ny.lnk=Alpha\r\n",
    "quicklaunch/User Pinned/TaskBar/File Explorer.lnk": shell_link(COMPUTER),
    "shortcuts/Item.lnk": shell_link(COMPUTER),
    "shortcuts/Setup.lnk": shell_link(
        COMPUTER, comment="Office setup", flags=HAS_DARWIN_ID,
        blocks=darwin_block("w_1^VX!!!!!!!!!MKKSkEXCELFiles>tW{~$4Q]c@II=l2xaTO5Z")),
    "shortcuts/Console.lnk": shell_link(
        path=b"C:\\windows\\system32\\cmd.exe", comment="Command Prompt",
        blocks=block(0xA0000002, bytes([1]) * (0xCC - 8))),
    "shortcuts/Odd.lnk": shell_link(
        COMPUTER, comment="Odd one", time=2**64 - 1,
        blocks=block(0xA0000099, b"abcd") + block(0x12345678, b"")),
    "shortcuts/Legacy.lnk": shell_link(path="C:\\Café\\crème.exe".encode("cp1252"),
                                       comment="Café crème", unicode=False),
}

if __name__ == "__main__":
    for name, data in FILES.items():
        path = os.path.join(sys.argv[1], name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)
