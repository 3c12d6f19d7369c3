#!/usr/bin/env python3
"""Reads Windows files from outside, for the installer suite.

  win_files.py manifest FILE   the RT_MANIFEST resource of a PE file, as text
  win_files.py version FILE    the file version of its VS_FIXEDFILEINFO (a.b.c.d)
  win_files.py lnk FILE        a shell link's target path and working folder, one a line
  win_files.py signed-from SIGNED BUILT
                               whether SIGNED is BUILT with a signature added and nothing
                               else changed (the header's checksum and certificate entry,
                               padding, the certificate table at the end); prints "yes"

Exits 1 with a message when the file lacks what was asked for.
"""

import struct
import sys

RT_VERSION = 16
RT_MANIFEST = 24
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class Unreadable(Exception):
    pass


def u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


def resources(data, type_id):
    """Yields the bytes of every resource of |type_id| (all names and languages)."""
    if data[:2] != b"MZ":
        raise Unreadable("not a PE file")
    pe = u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise Unreadable("not a PE file")
    sections = u16(data, pe + 6)
    optional = pe + 24
    optional_size = u16(data, pe + 20)
    magic = u16(data, optional)
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise Unreadable("unknown optional header")
    resource_rva = u32(data, directories + 2 * 8)
    table = optional + optional_size

    def file_offset(rva):
        for i in range(sections):
            s = table + 40 * i
            size, address, raw_size, raw = struct.unpack_from("<IIII", data, s + 8)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise Unreadable("address outside every section")

    if resource_rva == 0:
        return
    base = file_offset(resource_rva)

    def entries(offset):
        named, numbered = u16(data, base + offset + 12), u16(data, base + offset + 14)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            yield name, target

    def leaves(target):
        if target & 0x80000000:
            for _, child in entries(target & 0x7FFFFFFF):
                yield from leaves(child)
        else:
            rva, size = struct.unpack_from("<II", data, base + target)
            start = file_offset(rva)
            yield data[start:start + size]

    for name, target in entries(0):
        if not name & 0x80000000 and name == type_id:
            yield from leaves(target)


def manifest(data):
    for blob in resources(data, RT_MANIFEST):
        return blob.decode("utf-8-sig")
    raise Unreadable("no RT_MANIFEST resource")


def version(data):
    for blob in resources(data, RT_VERSION):
        at = blob.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE))
        if at >= 0:
            ms, ls = struct.unpack_from("<II", blob, at + 8)
            return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    raise Unreadable("no VS_FIXEDFILEINFO")


def lnk(data):
    """Target and working folder of a shell link (MS-SHLLINK)."""
    if len(data) < 0x4C or u32(data, 0) != 0x4C:
        raise Unreadable("not a shell link")
    flags = u32(data, 0x14)
    has_id_list, has_link_info, has_name, has_relative, has_workdir, unicode = (
        flags & 1, flags & 2, flags & 4, flags & 8, flags & 0x10, flags & 0x80)
    at = 0x4C
    if has_id_list:
        at += 2 + u16(data, at)
    target = None
    if has_link_info:
        info = at
        header_size = u32(data, info + 4)
        local_base = u32(data, info + 16)
        if header_size >= 0x24:
            start = info + u32(data, info + 28)
            end = start
            while data[end:end + 2] != b"\0\0":
                end += 2
            target = data[start:end].decode("utf-16-le")
        elif local_base:
            start = info + local_base
            target = data[start:data.index(b"\0", start)].decode("cp1252", "replace")
        at += u32(data, info)

    def string_data():
        nonlocal at
        count = u16(data, at)
        width = 2 if unicode else 1
        text = data[at + 2:at + 2 + count * width]
        at += 2 + count * width
        # Some writers count the terminating NUL as well.
        return text.decode("utf-16-le" if unicode else "cp1252", "replace").rstrip("\0")

    if has_name:
        string_data()
    if has_relative:
        string_data()
    workdir = string_data() if has_workdir else ""
    if target is None:
        raise Unreadable("no local target path")
    return f"{target}\n{workdir}"


def header_fields(data):
    """Offsets of the optional header's checksum and of its certificate table entry."""
    if data[:2] != b"MZ":
        raise Unreadable("not a PE file")
    pe = u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise Unreadable("not a PE file")
    optional = pe + 24
    directories = optional + (96 if u16(data, optional) == 0x10B else 112)
    return optional + 64, directories + 4 * 8


def signed_from(signed, built):
    checksum, certificates = header_fields(built)
    if header_fields(signed) != (checksum, certificates):
        raise Unreadable("the headers differ")
    if u32(built, certificates + 4) != 0:
        raise Unreadable("the built file is signed already")
    table, size = u32(signed, certificates), u32(signed, certificates + 4)
    if size == 0 or table + size != len(signed) or table < len(built):
        raise Unreadable("no certificate table at the end")
    blank = bytearray(built)
    mine = bytearray(signed[:len(built)])
    for field in (checksum, certificates, certificates + 4):
        blank[field:field + 4] = mine[field:field + 4] = b"\0\0\0\0"
    if mine != blank:
        raise Unreadable("the bytes before the signature differ")
    if any(signed[len(built):table]):
        raise Unreadable("more than padding before the signature")
    return "yes"


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "signed-from":
        try:
            with open(sys.argv[2], "rb") as f, open(sys.argv[3], "rb") as g:
                print(signed_from(f.read(), g.read()))
        except (OSError, Unreadable, struct.error, IndexError) as e:
            print(f"{sys.argv[2]}: {e}", file=sys.stderr)
            return 1
        return 0
    if len(sys.argv) != 3 or sys.argv[1] not in ("manifest", "version", "lnk"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        with open(sys.argv[2], "rb") as f:
            data = f.read()
        print({"manifest": manifest, "version": version, "lnk": lnk}[sys.argv[1]](data))
    except (OSError, Unreadable, struct.error, IndexError, ValueError) as e:
        print(f"{sys.argv[2]}: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
