#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively (under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded parts also
# under ThreadSanitizer), then the Windows build under Wine on a virtual display.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
"$ROOT/scripts/deps.sh" || exit 1

jobs=$(nproc)
failed=()

build_preset() {
    local preset=$1
    echo "== $preset: configure and build"
    if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j"$jobs" >/dev/null; then
        # Show the build errors.
        cmake --build --preset "$preset" -j1 2>&1 | grep -E -A3 'error|Error' | head -60
        failed+=("$preset (build)")
        return 1
    fi
}

run_tests() {  # preset, ctest args...
    local preset=$1
    shift
    echo "== $preset: tests"
    ctest --preset "$preset" -j"$jobs" "$@" || failed+=("$preset")
}

# The Windows build comes first: native tests also read Varudodi.exe.
build_preset windows && windows_built=1 || windows_built=0
build_preset native && run_tests native
build_preset native-tsan && run_tests native-tsan -L threaded

# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
wine_env_init wine-test
trap wine_env_cleanup EXIT
wine_env_start_xvfb
wine_env_prepare_prefix
wine_env_keep_server
# The Windows tests share one prefix and one display: run them one by one.
jobs=1
((windows_built)) && run_tests windows

if ((${#failed[@]})); then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
