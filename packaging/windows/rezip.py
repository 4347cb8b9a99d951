#!/usr/bin/env python3
"""Rewrite Gorvandel's Windows zip file so that it has the same bytes wherever
and by whomever it is built, and check what it holds.

CPack's zip lists its files in the order the file system gives them (by a
hash that differs from one file system to another), records the numbers of
the user and group that own them, and dates them in local time. The zip is
written again here with the files in the order given on the command line,
each with its Unix mode, dated SOURCE_DATE_EPOCH in UTC (to the even second,
as zip dates go) and compressed at level 9, and with nothing else.

It must hold exactly the files named, no folder, and text files (.txt) with
CR LF line ends only; otherwise the zip is left as it was and the status is 1.

Usage: rezip.py ZIP SOURCE_DATE_EPOCH NAME...
"""

import os
import sys
import time
import zipfile

REGULAR_FILE = 0o100000


class ZipProblem(Exception):
    pass


def read_members(path, names):
    """{name: (bytes, mode)} of the zip, which must hold exactly names."""
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
        found = [info.filename for info in infos]
        if sorted(found) != sorted(names):
            raise ZipProblem(f"holds {found}, not {names}")
        members = {}
        for info in infos:
            mode = info.external_attr >> 16
            members[info.filename] = (archive.read(info), mode if mode & REGULAR_FILE else REGULAR_FILE | 0o644)
    return members


def check_text(name, data):
    if not name.endswith(".txt"):
        return
    if data.replace(b"\r\n", b"").count(b"\n") or data.replace(b"\r\n", b"").count(b"\r"):
        raise ZipProblem(f"{name} has line ends other than CR LF")


def rewrite(path, epoch, names):
    members = read_members(path, names)
    for name in names:
        check_text(name, members[name][0])
    when = time.gmtime(epoch)[:6]
    if when[0] < 1980:
        raise ZipProblem(f"SOURCE_DATE_EPOCH {epoch} is before 1980, the first date a zip file can hold")
    temporary = path + ".rezip"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name in names:
            data, mode = members[name]
            info = zipfile.ZipInfo(name, date_time=when)
            info.create_system = 3  # Unix, so that the mode counts
            info.external_attr = mode << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    os.replace(temporary, path)


def main(arguments):
    if len(arguments) < 3 or not arguments[1].isdigit():
        sys.exit(__doc__.strip().splitlines()[-1])
    try:
        rewrite(arguments[0], int(arguments[1]), arguments[2:])
    except (ZipProblem, OSError, zipfile.BadZipFile) as problem:
        sys.exit(f"rezip.py: {arguments[0]}: {problem}")


if __name__ == "__main__":
    main(sys.argv[1:])
