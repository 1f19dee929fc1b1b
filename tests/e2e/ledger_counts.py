"""Prints "<today's count> <all-time count>" from the program's stored key counts: the ledger in
the settings file and the key-count journal beside it, replayed as the program replays it at
start (intact records of the settings file's generation or later). "0 0" when there is none.
Usage: ledger_counts.py <defaults.plist>"""
import datetime, json, os, plistlib, sys

path = sys.argv[1]
values = {}
if os.path.exists(path):
    with open(path, "rb") as f:
        values = plistlib.load(f)
data = values.get("keystrokeLedger")
ledger = json.loads(bytes(data)) if data is not None else {"dailyCounts": {}, "allTimeCount": 0}
generation = int(values.get("journalGeneration", 0))
journal = os.path.join(os.path.dirname(path), "keystrokes.journal")
for line in open(journal).read().split("\n")[:-1] if os.path.exists(journal) else []:
    record, _, check = line.rpartition(" ")
    h = 2166136261
    for c in record.encode():
        h = ((h ^ c) * 16777619) & 0xFFFFFFFF
    words = record.split(" ")
    if f"{h:08x}" != check or words[0] == "companion" or len(words) not in (3, 4):
        continue
    if (int(words[3]) if len(words) == 4 else 0) < generation:
        continue
    day, count, total = words[:3]
    if int(count) == 0:
        ledger["dailyCounts"].pop(day, None)
    else:
        ledger["dailyCounts"][day] = int(count)
    ledger["allTimeCount"] = int(total)
today = datetime.date.today().strftime("%Y-%m-%d")
print(int(ledger["dailyCounts"].get(today, 0)), int(ledger["allTimeCount"]))
