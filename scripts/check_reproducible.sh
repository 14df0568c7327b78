#!/usr/bin/env bash
# Builds Vellimor.exe twice from the same sources and compares the two files byte for byte:
#
#   scripts/check_reproducible.sh [x64] [x86]      default: each one whose compiler is installed
#
# The two builds differ in everything that must not reach the program: the directory (the
# sources are copied to two paths of different depth, each built in its own build directory),
# the time of day, the time zone, the locale and the umask. Both are configured as the windows
# presets configure theirs (Ninja, MinSizeRel) and build only the program. The sources are the
# files of the work tree that git tracks or would add, so in a clean clone they are the commit;
# SOURCE_DATE_EPOCH is the last commit's time, as a release build sets it.
#
# The copies and builds stay in build/reproducible/ for a look after a mismatch. The last line is
# "reproducible builds: N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."

architectures=("$@")
if [ ${#architectures[@]} -eq 0 ]; then
    command -v x86_64-w64-mingw32-g++-posix >/dev/null && architectures+=(x64)
    command -v i686-w64-mingw32-g++-posix >/dev/null && architectures+=(x86)
fi
if [ ${#architectures[@]} -eq 0 ]; then
    echo "check_reproducible.sh: no mingw-w64 compiler is installed" >&2
    exit 1
fi

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

root=$PWD/build/reproducible
rm -rf "$root"
first=$root/a
second=$root/second/copy/of/the/tree
mkdir -p "$first" "$second"

# The sources as git sees them; files deleted from the work tree but not from the index are
# left out, as a build of the work tree would not see them either.
git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
        [ -e "$file" ] && printf '%s\0' "$file"
    done >"$root/files"
for copy in "$first" "$second"; do
    tar -cf - --null -T "$root/files" | tar -xf - -C "$copy"
done

toolchain() {
    case $1 in
        x64) echo cmake/mingw-w64-x86_64.cmake ;;
        x86) echo cmake/mingw-w64-i686.cmake ;;
        *)
            echo "check_reproducible.sh: unknown architecture $1 (x64 or x86)" >&2
            exit 2
            ;;
    esac
}

build() {  # source directory, build directory, architecture
    mkdir -p "$(dirname "$2")"
    if ! cmake -S "$1" -B "$2" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$1/$(toolchain "$3")" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DVELLIMOR_BUILD_TESTS=OFF >"$2.log" 2>&1 ||
        ! cmake --build "$2" -j "$(nproc)" --target Vellimor >>"$2.log" 2>&1; then
        echo "check_reproducible.sh: the build in $2 failed:" >&2
        tail -n 30 "$2.log" >&2
        return 1
    fi
}

other_locale=C.UTF-8
locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && other_locale=zh_CN.UTF-8

passed=0
failed=0
for arch in "${architectures[@]}"; do
    one=$first/build-$arch
    two=$second/out/$arch
    (umask 022 && TZ=UTC LC_ALL=C build "$first" "$one" "$arch") || {
        failed=$((failed + 1))
        continue
    }
    (umask 077 && TZ=Asia/Shanghai LC_ALL=$other_locale build "$second" "$two" "$arch") || {
        failed=$((failed + 1))
        continue
    }
    a=$one/app/Vellimor.exe
    b=$two/app/Vellimor.exe
    if cmp -s "$a" "$b"; then
        passed=$((passed + 1))
        echo "reproducible: $arch Vellimor.exe is the same in both builds" \
            "($(stat -c %s "$a") bytes, sha256 $(sha256sum "$a" | cut -c1-16)…)"
    else
        failed=$((failed + 1))
        echo "reproducible: $arch Vellimor.exe DIFFERS between $a and $b:" \
            "$(cmp -l "$a" "$b" | wc -l) bytes; the first offsets (decimal, from 1):" >&2
        cmp -l "$a" "$b" | head -n 10 >&2 || true
    fi
done

echo "reproducible builds: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
