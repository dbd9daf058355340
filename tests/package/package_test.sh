#!/usr/bin/env bash
# Runs scripts/package.sh in a fresh clone of the committed tree, checks the
# zip and SHA256SUMS it writes, and starts the zip's program under Wine (in
# the prefix and on the display the test run provides).
#   Usage: package_test.sh <VarudodiProbe.exe>
set -uo pipefail
PROBE=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
app_pid=""
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

git clone --quiet --no-checkout "$ROOT" "$work/clone" &&
    git -C "$work/clone" checkout --quiet "$(git -C "$ROOT" rev-parse HEAD)" || exit 1
if ! (cd "$work/clone" && scripts/package.sh) >"$work/out" 2>&1; then
    cat "$work/out"
    echo "FAIL: package.sh ended with an error"
    exit 1
fi

# The release carries the project's version, 1.4.2.0 as 1.4.2.
version=$(sed -n 's/^project(Varudodi VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
version=${version%.0}
dist="$work/clone/dist"
zip="Varudodi-$version-win64.zip"
[[ $(ls "$dist" | LC_ALL=C sort) == $'SHA256SUMS\n'"$zip" ]] || fail "dist/ holds: $(ls "$dist" | tr '\n' ' ')"
grep -qxE "[0-9a-f]{64}  $zip" "$dist/SHA256SUMS" || fail "SHA256SUMS: $(cat "$dist/SHA256SUMS")"
(cd "$dist" && sha256sum --strict -c SHA256SUMS) || fail "sha256sum -c refuses SHA256SUMS"
# The check can fail: a copy of the zip changed by one byte does not pass.
mkdir "$work/changed" && cp "$dist/$zip" "$dist/SHA256SUMS" "$work/changed/"
printf 'x' >>"$work/changed/$zip"
(cd "$work/changed" && sha256sum -c SHA256SUMS >/dev/null 2>&1) && fail "a changed zip passes"

mkdir "$work/app"
unzip -q "$dist/$zip" -d "$work/app" || fail "the zip does not unpack"
[[ $(cd "$work/app" && ls | LC_ALL=C sort) == $'Varudodi.exe\n使用说明.txt' ]] ||
    fail "the zip holds: $(cd "$work/app" && ls | tr '\n' ' ')"
guide="$work/app/使用说明.txt"
[[ $(head -c 3 "$guide" | od -An -tx1 | tr -d ' ') == efbbbf ]] || fail "the guide has no UTF-8 mark"
grep -q $'\r$' "$guide" && ! grep -qv $'\r$' "$guide" || fail "the guide's lines do not end with CR LF"
for topic in 系统菜单 校验哈希文件 HKEY_CURRENT_USER 许可; do
    grep -q "$topic" "$guide" || fail "the guide does not mention $topic"
done

# The unpacked program hashes a file and closes.
sample="$work/样本.txt"
printf 'abc' >"$sample"
wine "$work/app/Varudodi.exe" "Z:${sample//\//\\}" &
app_pid=$!
if wine "$PROBE" wait-window 120000 >/dev/null && wine "$PROBE" wait-idle 120000 >/dev/null; then
    wine "$PROBE" text >"$work/report"
    grep -qi 'MD5: 900150983CD24FB0D6963F7D28E17F72' "$work/report" ||
        fail "the unpacked program's report: $(cat "$work/report")"
    wine "$PROBE" close 60000 >/dev/null || fail "the unpacked program does not close"
    wait "$app_pid" || fail "the unpacked program ended with an error"
    app_pid=""
else
    fail "the unpacked program shows no window"
fi

((failed)) && exit 1
echo "package.sh wrote $zip and SHA256SUMS; the program in the zip runs"
