#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# One tree, catalogued by the Linux and by the Windows tallywick-cli (under
# Wine): the two reports must be the same lines, the paths aside ("/tmp/x"
# against "z:\tmp\x").
# Usage: samereport.sh LINUX-CLI WINDOWS-CLI WINE-RUN
set -eu
linux_cli=$1 windows_cli=$2 wine_run=$3
if [ ! -x "$linux_cli" ]; then
    echo "samereport: no Linux tallywick-cli at $linux_cli to compare with; build it with" >&2
    echo "  cmake --preset release && cmake --build --preset release --target tallywick-cli" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/Tree

file() { mkdir -p "$(dirname "$tree/$1")" && truncate -s "$2" "$tree/$1"; }

file "Top File.TXT" 1500
file "Ünïcode Dïr/Ça Va.txt" 10
file "Ünïcode Dïr/ΌΣΟΣ ΣΟΦΟΣ.txt" 2048
file "Ünïcode Dïr/日本語のファイル名はとても長い.txt" 99999
for name in a.jpg B.JPG c.gif d.png e.bmp; do file "pics/$name" 100; done
for name in 1.mp3 2.mp3 3.wav; do file "music/$name" 4000000; done
file video/film.avi 700000000
file soft/setup.exe 5000
file soft/data.cab 123456
file disks/disk1/setup.exe 1
file disks/disk2/data.bin 1
file big/huge.iso 5000000000
file .hidden/x.txt 1
file .dotfile 1
file a/b/c/d/e/deep.txt 0
file "a/Name with a long tail of many characters.document" 17
mkdir -p "$tree/empty"

"$linux_cli" -q --install-answer no "$tree" >"$work/linux.txt"
"$wine_run" "$windows_cli" -q --install-answer no "$(winepath -w "$tree")" >"$work/windows.txt"

# The reports write their paths lower-cased.
lower() { printf '%s' "$1" | tr 'A-Z' 'a-z'; }
ROOT=$(lower "$tree") perl -pe 's/\Q$ENV{ROOT}\E/ROOT/g' "$work/linux.txt" >"$work/linux.cmp"
ROOT=$(lower "$(winepath -w "$tree")") perl -pe 's/\Q$ENV{ROOT}\E/ROOT/g; tr{\\}{/}' \
    "$work/windows.txt" >"$work/windows.cmp"

test -s "$work/linux.cmp"
diff "$work/linux.cmp" "$work/windows.cmp"
echo "$(wc -l <"$work/linux.cmp") lines the same"
