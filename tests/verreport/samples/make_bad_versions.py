#!/usr/bin/env python3
"""Writes hand-built version resources, one sound and several damaged, each
as a raw resource file (NAME.bin) and a resource script (NAME.rc) that puts it
into a library as its version resource.  Usage: make_bad_versions.py OUTDIR"""
import os
import struct
import sys


def pad4(b):
    return b + b"\0" * (-len(b) % 4)


def node(key, value=b"", text=False, children=(), value_length=None, length=None, wide=True):
    """One version node; value_length and length override the computed fields."""
    if wide:
        head_key = pad4(struct.pack("<HHH", 0, 0, 1 if text else 0) + key.encode("utf-16-le") + b"\0\0")
    else:
        head_key = pad4(struct.pack("<HH", 0, 0) + key.encode("ascii") + b"\0")
    body = head_key + pad4(value) if children else head_key + value
    kids = b"".join(pad4(c) for c in children[:-1]) + (children[-1] if children else b"")
    data = body + kids
    if value_length is None:
        value_length = len(value) // 2 if text else len(value)
    if length is None:
        length = len(data)
    return struct.pack("<HH", length, value_length) + data[4:]


def string(key, value, **kw):
    return node(key, (value + "\0").encode("utf-16-le"), text=True, **kw)


FIXED = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x10000, 0, 0x10000, 0, 0x3F, 0, 0x40004, 1, 0, 0, 0)
TRANSLATION = node("Translation", struct.pack("<HH", 0x0409, 0x04B0))


def strings(*entries, last=None):
    items = [string(k, v) for k, v in entries] + ([last] if last else [])
    return node("StringFileInfo", text=True, children=[node("040904B0", text=True, children=items)])


def version(*children, length=None):
    return node("VS_VERSION_INFO", FIXED, children=list(children), length=length)


GOOD = [("FileDescription", "Hand made"), ("FileVersion", "1.0"), ("Level", "7")]
VARS = node("VarFileInfo", text=True, children=[TRANSLATION])

cases = {}
# Sound: proves that what the damaged variants break is only their damage.
cases["handmade"] = version(strings(*GOOD), VARS)
# The root claims far more than the resource holds.
cases["rootlong"] = version(strings(*GOOD), VARS, length=0xFFF0)
# The string table claims to run past the end of the whole resource.
sfi = strings(*GOOD)
cases["childover"] = version(struct.pack("<H", len(sfi) + 400) + sfi[2:], VARS)
# A node of length zero in the middle of the string table.
cases["zerolen"] = version(strings(("FileDescription", "Hand made"),
                                   last=struct.pack("<HHH", 0, 0, 1) + "Level\0".encode("utf-16-le")), VARS)
# The last text value has no terminator and the resource ends right after it.
noterm = node("Level", "777".encode("utf-16-le"), text=True)
cases["noterm"] = version(VARS, strings(*GOOD[:2], last=noterm))
# Cut in the middle of the string table; the root length matches the cut.
whole = version(strings(*GOOD), VARS)
cut = whole[: len(whole) * 2 // 3]
cases["truncated"] = struct.pack("<H", len(cut)) + cut[2:]
# A translation entry of two bytes instead of four: no translation line.
cases["shorttrans"] = version(strings(*GOOD),
                              node("VarFileInfo", text=True,
                                   children=[node("Translation", struct.pack("<H", 0x0409))]))

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
for name, data in cases.items():
    with open(os.path.join(out, name + ".bin"), "wb") as f:
        f.write(data)
    with open(os.path.join(out, name + ".rc"), "w") as f:
        f.write('1 16 "%s"\n' % os.path.join(out, name + ".bin").replace("\\", "/"))
