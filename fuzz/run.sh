#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, each with a corpus seeded at run time.
# Prints "fuzz: N passed, N failed" (one per target).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$top/build/fuzz/bin
# Seven targets at 16 s each and the seeding (the skins are rendered) take about two and a half minutes.
seconds=${BV_FUZZ_SECONDS:-16}
work=$top/build/fuzz/corpus
passed=0
failed=0

rm -rf "$work"
mkdir -p "$work/rar" "$work/src"
"$bin/seed_rar" "$work/rar"
printf 'Brightvale' >"$work/src/a.txt"
mkdir -p "$work/src/dir" && printf 'x%.0s' $(seq 200) >"$work/src/dir/b.txt"
(cd "$work/src" && rar a -idq -m0 -r "$work/rar/seed5.rar" a.txt dir && rar a -idq -m3 "$work/rar/packed5.rar" a.txt)

# Undefined behaviour is a finding like a crash.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

run() { # name corpus
    local log=$top/build/fuzz/$1.log bound=$((seconds * 4 + 60)) rc
    # libFuzzer's own limits hold each input to 10 s; the bound is for a target that does not stop at all.
    timeout -k 10 "$bound" "$bin/$1" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$top/build/fuzz/$1-" "$2" >"$log" 2>&1
    rc=$?
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        echo "  ok   $1 ($(grep -o 'Done [0-9]* runs' "$log" | tail -1))"
    else
        failed=$((failed + 1))
        echo "  FAIL $1$([ "$rc" -eq 124 ] && echo ": no end within $bound s")"
        tail -30 "$log"
    fi
}
run fuzz_rar_reader "$work/rar"
mkdir -p "$work/tga"
bash "$top/fuzz/seed_tga.sh" "$work/tga"
run fuzz_tga "$work/tga"

# The blit target takes 40 bytes of placement, source rectangle and clip before the image. The second
# set is a finding kept: a placement near the largest int plus the rows cut off the source overflowed.
mkdir -p "$work/blit"
i=0
for params in '\000\000\000\200\000\000\000\000\000\000\000\000\000\000\000\000\020\000\000\000\020\000\000\000\100\000\000\000\060\000\000\000\100\000\000\000\060\000\000\000' \
    '\000\000\000\200\000\000\000\176\000\000\000\000\000\000\000\000\000\060\000\000\000\004\000\002\000\000\000\000\060\000\000\000\100\000\000\000\060\000\000\000' \
    '\375\377\377\377\005\001\000\000\002\000\000\000\002\000\000\000\377\377\377\177\036\000\000\000\377\000\000\000\177\000\000\000\010\000\000\000\010\000\000\000'; do
    for f in "$work/tga"/*.tga; do
        { printf "$params"; cat "$f"; } >"$work/blit/$i-$(basename "$f")"
    done
    i=$((i + 1))
done
run fuzz_tga_blit "$work/blit"

# strings.txt in both encodings: the sample's ANSI table and the same table as UTF-16LE with its mark.
mkdir -p "$work/strings"
cp "$top/sample/media/Media/strings.txt" "$work/strings/ansi.txt"
{ printf '\377\376'; iconv -f CP1252 -t UTF-16LE "$top/sample/media/Media/strings.txt"; } >"$work/strings/utf16.txt"
printf 'APP_TITLE Brightvale\r\nSOURCE1 cd1:base.rar 100\r\n' >"$work/strings/small.txt"
run fuzz_strings "$work/strings"

# install.log as the installer writes it (CR LF, game-relative entries, absolute shortcuts and group),
# plus the findings kept as regression inputs: a NUL that hides a folder behind a ".lnk" name.
mkdir -p "$work/log"
printf 'Brightvale.exe\r\nreadme.txt\r\nmaps\\\r\nmaps\\a.map\r\ndata\\\r\ndata\\big.bin\r\nuninstall.exe\r\nC:\\Users\\me\\Desktop\\Brightvale.lnk\r\nC:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Brightvale\\\r\nC:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Brightvale\\Brightvale.lnk\r\n' >"$work/log/real.log"
printf 'a.txt\nb\\..\\..\\x\nC:\\Windows\\win.ini\n\\\\server\\share\\x\n' >"$work/log/hostile.log"
printf 'C:\\Users\\me\\Desktop\\Documents\000.lnk\r\n' >"$work/log/nul-lnk.log"
# Folders that share the game folder's name as a prefix, beside it: not inside it, whatever a comparison
# of the texts would say.
printf 'C:\\Games\\Brightvale2\\x.txt\r\nC:\\Games\\BRIGHT~1.old\\y.txt\r\nC:\\Games\\Brightvale.bak\\\r\nC:\\Games\\Brightvale\\z.txt\r\n' >"$work/log/sibling.log"
run fuzz_install_log "$work/log"

# WAV files made here: PCM mono and stereo, an odd-sized chunk before the data, a data size past the end.
mkdir -p "$work/wav"
wav() { # file channels bits extra-chunk data-size-field data-bytes
    local rate='\104\254\000\000'
    {
        printf 'RIFF\377\377\377\377WAVEfmt \020\000\000\000\001\000'
        printf "$2\\000$rate\\000\\000\\000\\000\\004\\000$3\\000"
        printf "$4"
        printf "data$5"
        printf '%s' "$6"
    } >"$work/wav/$1"
}
wav mono8.wav '\001' '\010' '' '\020\000\000\000' 'abcdefghijklmnop'
wav stereo16.wav '\002' '\020' 'LIST\003\000\000\000abc\000' '\010\000\000\000' '01234567'
wav short.wav '\001' '\020' '' '\000\001\000\000' 'only a few bytes'
head -c 20000 /dev/urandom | { printf 'RIFF\050\116\000\000WAVEfmt \020\000\000\000\001\000\001\000\104\254\000\000\210\130\001\000\002\000\020\000data\004\116\000\000'; cat; } >"$work/wav/long.wav"
run fuzz_wav "$work/wav"

# mkdisc's description: the sample's, and a few lines it must refuse.
mkdir -p "$work/disc"
cp "$top/sample/brightvale.disc" "$work/disc/"
printf 'capacity 4G\noem-codepage CP850\npackage a.rar x y z\nadditional b.exe\n' >"$work/disc/other.disc"
printf 'capacity 0\npreset middle x\nwhat is this\n' >"$work/disc/bad.disc"
printf 'capacity 18446744073709551615\n' >"$work/disc/huge.disc"
run fuzz_mkdisc_description "$work/disc"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
