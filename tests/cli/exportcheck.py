#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the CSV and JSON Lines exports of a tree back with Python's own
# parsers and holds every record against the tree itself.
# Usage: exportcheck.py TALLYWICK-CLI
import csv
import datetime
import io
import json
import os
import subprocess
import sys
import tempfile

cli = sys.argv[1]
work = tempfile.TemporaryDirectory()
root = os.path.join(work.name, "Tree")

# relative path (bytes) -> size; modification times are set below.
FILES = {
    b"top.txt": 1500,
    b'a "quoted", name.txt': 3,
    b"bad\xff name.txt": 7,
    b"tab\there.txt": 8,
    "Ünïcode Dïr/日本語.txt".encode(): 99999,
    b"pics/a.jpg": 100, b"pics/B.JPG": 100, b"pics/c.gif": 100, b"pics/d.pcx": 100,
    b"pics/e.bmp": 100,
    b"soft/setup.exe": 5000, b"soft/data.cab": 123456,
    b"disks/disk2/data.bin": 1,
    b"a/b/deep.txt": 0,
    b".hidden/x.txt": 1,
}
LEFT_OUT = (b"disks/disk2/", b".hidden/")
SUMMARY = {b"pics": "graphic-files", b"soft": "install-files"}
TIMES = [978_307_200 + 3_723, -31_532_277, 1_700_000_000]  # 2001, 1969, 2023

for i, (relative, size) in enumerate(FILES.items()):
    path = os.path.join(os.fsencode(root), relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.truncate(size)
    os.utime(path, (TIMES[i % 3], TIMES[i % 3]))

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def iso(seconds):
    moment = datetime.datetime(1970, 1, 1, tzinfo=datetime.timezone.utc)
    return (moment + datetime.timedelta(seconds=seconds)).strftime("%Y-%m-%dT%H:%M:%SZ")


def exact(text, hexed):
    """The bytes a text field and its _hex field stand for."""
    return bytes.fromhex(hexed) if hexed else text.encode()


def run(*arguments):
    result = subprocess.run([cli, "-q", "--install-answer", "yes", *arguments],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    check(result.returncode == 0, f"{arguments}: exit status {result.returncode}")
    return result.stdout


expected = {}
for relative, size in FILES.items():
    if relative.startswith(LEFT_OUT):
        continue
    directory, _, name = relative.rpartition(b"/")
    full = os.path.join(os.fsencode(root), relative)
    stat = os.stat(full)
    expected[(os.path.dirname(full), name)] = (size, iso(stat.st_mtime_ns // 10**9),
                                               SUMMARY.get(directory, ""))


def check_records(label, records):
    seen = {}
    for record in records:
        key = (exact(record["directory"], record.get("directory_hex")),
               exact(record["name"], record.get("name_hex")))
        seen[key] = (int(record["size"]), record["modified"], record["summary"] or "")
        check("\ufffd" not in record["name"] or record.get("name_hex"),
              f"{label}: {record['name']!r} shown inexactly without its bytes")
    check(seen == expected, f"{label}: records differ from the tree:\n"
          f"  missing or wrong: {sorted(set(expected.items()) - set(seen.items()))}\n"
          f"  unexpected: {sorted(set(seen.items()) - set(expected.items()))}")
    return [key[0] for key in seen]


# The walk's order: directories in the report's order, each one's records
# together.
report = run(root).decode("utf-8", "replace").splitlines()
report_dirs = []
for line in report:
    directory = line[27:]
    if not report_dirs or report_dirs[-1] != directory:
        report_dirs.append(directory)


def check_order(label, records):
    dirs = []
    for record in records:
        directory = record["directory"].lower()
        if not dirs or dirs[-1] != directory:
            dirs.append(directory)
    check(dirs == report_dirs, f"{label}: directories in another order than the report's: "
          f"{dirs} against {report_dirs}")


# CSV, as RFC 4180 has it: CR LF after every record, a header first.
raw = run("--format=csv", root)
check(raw.endswith(b"\r\n") and raw.count(b"\n") == raw.count(b"\r\n"), "csv: lines not CR LF")
rows = list(csv.DictReader(io.StringIO(raw.decode("utf-8"), newline="")))
check(list(rows[0].keys()) == ["directory", "name", "size", "modified", "summary",
                               "directory_hex", "name_hex"], f"csv: header {list(rows[0])}")
check_records("csv", rows)
check_order("csv", rows)

# Appending to an export that has rows adds rows, not a second header.
out = os.path.join(work.name, "export.csv")
run("--format", "csv", "-o", out, root)
run("--format", "csv", "-a", "-o", out, root)
with open(out, newline="", encoding="utf-8") as f:
    appended = list(csv.reader(f))
check(len(appended) == 2 * len(rows) + 1, f"csv appended: {len(appended)} rows")

# JSON Lines: the catalogue first, then one object per file.
lines = run("--format=jsonl", root).decode("utf-8").splitlines()
objects = [json.loads(line) for line in lines]
catalogue = objects[0].get("catalogue", {})
check(catalogue.get("root") == root and catalogue.get("program") == "tallywick-cli",
      f"jsonl: catalogue {catalogue}")
check(catalogue.get("options", {}).get("install_answer") == "yes", f"jsonl: options {catalogue}")
created = datetime.datetime.strptime(catalogue.get("created", ""), "%Y-%m-%dT%H:%M:%SZ")
check(abs(created.replace(tzinfo=datetime.timezone.utc).timestamp() -
          datetime.datetime.now(datetime.timezone.utc).timestamp()) < 600,
      f"jsonl: created {catalogue.get('created')}")
check(all(o["summary"] is None or isinstance(o["summary"], str) for o in objects[1:]),
      "jsonl: summary neither null nor text")
check_records("jsonl", objects[1:])
check_order("jsonl", objects[1:])

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"export read back: {len(rows)} CSV rows and {len(objects)} JSON lines match the tree")
