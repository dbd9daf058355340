#!/usr/bin/env bash
# Runs scripts/run.sh on a file, the way a user without a desktop does, and
# checks the printed report and the screenshot. Every Wine command the script
# runs must find the virtual display already there: one run before it starts
# the prefix's desktop process without a display, and the program started
# next gets no window.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wrappers in front of Wine's commands note each call made without a
# working display, then run the real command.
mkdir "$work/bin"
faults="$work/calls-without-display"
: >"$faults"
for cmd in wine wine64 winepath wineboot; do
    real=$(command -v "$cmd") || continue
    cat >"$work/bin/$cmd" <<WRAPPER
#!/usr/bin/env bash
if [[ -z "\${DISPLAY:-}" ]] || ! xdpyinfo >/dev/null 2>&1; then
    echo "$cmd \$*" >>"$faults"
fi
exec "$real" "\$@"
WRAPPER
    chmod +x "$work/bin/$cmd"
done

sample="$work/样本 文件.txt"
printf 'abc' >"$sample"
shot="$work/window.png"

env -u DISPLAY PATH="$work/bin:$PATH" VARUDODI_SCREENSHOT="$shot" \
    timeout 600 "$ROOT/scripts/run.sh" "$sample" >"$work/out" 2>&1
rc=$?

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}
((rc == 0)) || fail "run.sh ended with $rc"
[[ -s "$faults" ]] && fail "Wine ran before the display existed: $(tr '\n' ';' <"$faults")"
grep -q '样本 文件.txt' "$work/out" || fail "the report does not name the file"
grep -qi 'MD5: 900150983CD24FB0D6963F7D28E17F72' "$work/out" || fail "no MD5 of the file in the report"
[[ -s "$shot" ]] || fail "no screenshot"
if ((failed)); then
    echo "--- run.sh printed:"
    cat "$work/out"
    exit 1
fi
echo "run.sh printed the report and saved the screenshot"
