#!/usr/bin/env bash
# End-to-end check of the archive tool: create, list, test, extract, archives behind
# executable code, segment files, damaged blocks, archives that must not pass for intact,
# links in the target folder, control characters in names and usage errors.
# Usage: tool_test.sh PATH/TO/archive
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
i32() { od -An -t d4 -j "$2" -N 4 "$1" | tr -d ' '; }
put32() {  # FILE OFFSET VALUE: a little-endian int32 written in place
  local v=$3
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
put8() { printf "$(printf '\\%03o' "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }

head -c 700000 /dev/urandom >random.bin
seq 1 150000 >numbers.txt
: >empty
touch -d '2001-02-03 04:05:06' numbers.txt
chmod a-w numbers.txt

# A plain archive: header fields, listing, intact blocks, every byte and date back.
"$tool" create plain.arc random.bin numbers.txt empty --block-size 262144 --level max
[ "$(i32 plain.arc 0)" = 4664 ] || fail "signature"
[ "$(i32 plain.arc 12)" = 262144 ] || fail "block size"
[ "$(i32 plain.arc 16)" = "$(stat -c %s plain.arc)" ] || fail "DataEnd is not the file length"
"$tool" list plain.arc >list.txt
grep -q "700000 .* random.bin" list.txt || fail "listing: $(cat list.txt)"
grep -q "2001-02-03 04:05:06 .* numbers.txt" list.txt || fail "stored date: $(cat list.txt)"
grep -q "^3 file(s)" list.txt || fail "file count"
"$tool" test plain.arc | grep -q "every block is intact" || fail "test of an intact archive"
"$tool" extract plain.arc out >/dev/null
cmp random.bin out/random.bin && cmp numbers.txt out/numbers.txt && cmp empty out/empty
[ "$(stat -c %Y out/numbers.txt)" = "$(stat -c %Y numbers.txt)" ] || fail "date not restored"
writable() { [ -n "$(find "$1" -perm -u=w)" ]; }  # root passes [ -w ] on every file
writable out/numbers.txt && fail "read-only attribute not restored"
writable out/random.bin || fail "writable file became read-only"
chmod -R u+w out

# Behind 423424 bytes of executable code: found through the offset, refused without it.
head -c 423424 /dev/zero >player.exe
"$tool" create player.exe numbers.txt --offset 423424 --block-size 262144
"$tool" create player.exe random.bin --offset 423424
[ "$(i32 player.exe 423424)" = 4664 ] || fail "no archive at the offset"
cmp -n 423424 player.exe /dev/zero || fail "the code in front changed"
"$tool" list player.exe --offset 423424 | grep -q "^2 file(s)" || fail "appending at the offset"
if "$tool" list player.exe 2>err.txt; then fail "found without the offset"; fi
grep -q 'Bad signature: file "player.exe" is not a valid archive' err.txt || fail "$(cat err.txt)"

# Segments: named after the base name, every byte back.
"$tool" create Song-7.exe random.bin numbers.txt --split 196608 --block-size 65536 --level none
[ -f Song-002.mmm ] && [ -f Song-003.mmm ] || fail "segment names: $(ls)"
for f in Song-7.exe Song-0*.mmm; do [ "$(stat -c %s "$f")" -le 196608 ] || fail "$f too large"; done
"$tool" extract Song-7.exe seg >/dev/null
cmp random.bin seg/random.bin && cmp numbers.txt seg/numbers.txt
chmod -R u+w seg
if "$tool" create small.arc random.bin --split 100000 2>err.txt; then fail "tiny segments"; fi
grep -q "Maximum size of a Segment is too small (property MaxSegmentSize)" err.txt || fail "$(cat err.txt)"

# One damaged byte: that file is reported, the others still come out.
size=$(stat -c %s plain.arc)
printf 'X' | dd of=plain.arc bs=1 seek=$((273 + 45 + 10 + 8 + 1000)) conv=notrunc 2>/dev/null
if "$tool" test plain.arc 2>err.txt; then fail "damage not found"; fi
grep -q "random.bin: Bad CRC: data stored in the archive is corrupted" err.txt || fail "$(cat err.txt)"
if "$tool" extract plain.arc bad >/dev/null 2>&1; then fail "damaged extraction succeeded"; fi
cmp numbers.txt bad/numbers.txt || fail "the intact file was not extracted"
chmod -R u+w bad
[ "$(stat -c %s plain.arc)" = "$size" ]

# No false success. The only entry of one.arc is numbers.txt: name at 277, fields behind it.
"$tool" create one.arc numbers.txt
chmod -R u+w out
fields=$((277 + 11))
damaged="is damaged: impossible lengths or offsets"
# A last part that ends before the file's Size.
cp one.arc short.arc
put32 short.arc $((fields + 25)) $(($(i32 one.arc $((fields + 25))) + 100))
if "$tool" test short.arc 2>err.txt; then fail "a file ending short passed the test"; fi
grep -q "numbers.txt: Archive \"short.arc\" $damaged" err.txt || fail "$(cat err.txt)"
if "$tool" extract short.arc shortout >/dev/null 2>&1; then fail "a file ending short was extracted"; fi
# A data entry flagged as a folder.
cp one.arc folder.arc
put8 folder.arc $((fields + 24)) 6
if "$tool" test folder.arc 2>err.txt; then fail "a folder entry with data passed the test"; fi
grep -q "$damaged" err.txt || fail "$(cat err.txt)"
if "$tool" extract folder.arc folderout >/dev/null 2>&1; then fail "a folder entry with data passed"; fi
# Appending behind code to an archive whose DataEnd lies inside its entry.
cp player.exe corrupt.exe
put32 corrupt.exe $((423424 + 16)) 300
cp corrupt.exe corrupt.before
if "$tool" create corrupt.exe empty --offset 423424 2>err.txt; then fail "appended to a damaged archive"; fi
grep -q "$damaged" err.txt || fail "$(cat err.txt)"
cmp corrupt.exe corrupt.before || fail "the damaged archive was changed"

# Extraction does not follow links already in the target folder.
mkdir -p linked outside
echo keep >outside/keep.txt
ln -s ../outside/keep.txt linked/numbers.txt
"$tool" extract one.arc linked >/dev/null
[ "$(cat outside/keep.txt)" = keep ] || fail "extraction wrote through a link"
[ -L linked/numbers.txt ] && fail "the link was left in the file's place"
cmp numbers.txt linked/numbers.txt
chmod -R u+w linked
cp numbers.txt subXnumbers.txt  # the tool stores bare names: the X becomes a backslash
"$tool" create sub.arc subXnumbers.txt
put8 sub.arc $((277 + 3)) 92
rm -rf linked && mkdir linked && ln -s ../outside linked/sub
if "$tool" extract sub.arc linked >/dev/null 2>err.txt; then fail "extracted through a folder link"; fi
[ "$(ls outside)" = keep.txt ] || fail "a file was written through a folder link: $(ls outside)"

# Names are listed without their control characters.
evil=$'red\e[31mname\a.txt'
cp empty "$evil"
"$tool" create evil.arc "$evil"
"$tool" list evil.arc >list.txt
if grep -q $'\e' list.txt || grep -q $'\a' list.txt; then fail "control characters listed raw"; fi
grep -q 'red\\x1B\[31mname\\x07.txt' list.txt || fail "$(cat -v list.txt)"

# Usage errors.
if "$tool" frobnicate x 2>/dev/null; then fail "unknown command accepted"; fi
if "$tool" create x.arc 2>/dev/null; then fail "create without files accepted"; fi
if "$tool" list nothing.arc 2>/dev/null; then fail "missing archive accepted"; fi
echo "archive tool: all checks passed"
