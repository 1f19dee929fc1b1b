#!/usr/bin/env python3
"""The functions in the program's hot list lie together in the linked program: the kernel maps
code in 64 kB neighbourhoods around each page that runs, so spread among the rest they would make
nearly the whole text resident while the pets idle.
Usage: hot_functions_placed.py <program> <hot-functions list>"""
import subprocess
import sys

program, listing = sys.argv[1:]
WINDOW = 64 * 1024

names = set()
for line in open(listing):
    for prefix in (".text.startup.", ".text."):
        if line.startswith(prefix):
            names.add(line.strip()[len(prefix):])
            break

sizes, found = {}, set()
nm = subprocess.run(["nm", "-S", "--defined-only", program], capture_output=True, text=True, check=True)
for line in nm.stdout.splitlines():
    fields = line.split()
    if len(fields) >= 3 and fields[-2] in "tTwW" and fields[-1] in names:
        found.add(fields[-1])
        if len(fields) == 4:
            sizes[int(fields[0], 16)] = int(fields[1], 16)
# A function renamed, changed in its parameters or gone leaves its successor out of place.
missing = sorted(names - found)
if missing:
    sys.exit(f"{len(missing)} of the {len(names)} listed functions are not in the program, "
             f"{', '.join(missing[:5])}{' and more' if len(missing) > 5 else ''}: "
             "run bench/hot-functions to list them afresh")

windows = {w for address, size in sizes.items() for w in range(address // WINDOW, (address + size - 1) // WINDOW + 1)}
needed = -(-sum(sizes.values()) // WINDOW)
# A few stay where they are: the C runtime's start code, local copies GCC made under one name.
if len(windows) > needed + 4:
    sys.exit(f"the listed functions touch {len(windows)} 64 kB windows of the program's code; "
             f"placed together they need {needed}")
print(f"{len(sizes)} listed functions in {len(windows)} 64 kB windows (at least {needed})")
