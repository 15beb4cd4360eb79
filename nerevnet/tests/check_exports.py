#!/usr/bin/env python3
"""Checks the dynamic symbol list of the nerevnet library against its header.

Every exported symbol must be one of the functions the header declares, and
every declared function that is not listed as pending must be exported.
Reads the list with `nm -D --defined-only` (ELF) or `objdump -p` (PE DLL).
"""
import argparse
import re
import subprocess
import sys


def declared(header):
    text = open(header, encoding="utf-8").read()
    return set(re.findall(r"^NEREVNET_API\b[^;]*?\b(nerevnet_\w+)\s*\(", text, re.M))


def exported(tool, library):
    if "objdump" in tool:
        out = subprocess.run([tool, "-p", library], check=True, capture_output=True, text=True).stdout
        names, in_table = set(), False
        for line in out.splitlines():
            if "[Ordinal/Name Pointer] Table" in line:
                in_table = True
                continue
            if in_table:
                m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
                if m:
                    names.add(m.group(1))
                elif line.strip() == "":
                    in_table = False
        return names
    out = subprocess.run([tool, "-D", "--defined-only", library], check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] not in ("A",):
            names.add(parts[2].split("@")[0])
    return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--header", required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--pending", nargs="*", default=[])
    args = parser.parse_args()

    want = declared(args.header)
    have = exported(args.tool, args.library)
    pending = set(args.pending)
    ok = True
    if len(want) != 23:
        print(f"header declares {len(want)} exports, expected 23: {sorted(want)}")
        ok = False
    extra = sorted(have - want)
    if extra:
        print("exported but not declared:", " ".join(extra))
        ok = False
    if not pending and len(have) != 23:
        print(f"{len(have)} symbols exported, expected exactly 23")
        ok = False
    missing = sorted((want - pending) - have)
    if missing:
        print("declared but not exported:", " ".join(missing))
        ok = False
    print(f"{len(have)} exported symbols, {len(want)} declared, {len(pending & want - have)} pending")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
