#!/usr/bin/env bash
# Builds the release of Varudodi.exe and writes the download into dist/:
#   Varudodi-<version>-win64.zip  the program and its user guide 使用说明.txt
#   SHA256SUMS                    the zip's SHA256 in the GNU form
# <version> is the executable's own version resource (FILEVERSION).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

"$ROOT/scripts/deps.sh"
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target Varudodi >/dev/null
EXE="$ROOT/build/release/src/ui/Varudodi.exe"

version=$(python3 - "$EXE" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
# VS_FIXEDFILEINFO follows the key "VS_VERSION_INFO", 32-bit aligned, and
# opens with its signature.
key = data.find("VS_VERSION_INFO".encode("utf-16-le"))
at = data.find(struct.pack("<I", 0xFEEF04BD), key) if key >= 0 else -1
if at < 0:
    sys.exit("no version resource in " + sys.argv[1])
ms, ls = struct.unpack_from("<II", data, at + 8)
parts = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
if parts[3] == 0:
    parts.pop()  # 1.4.2.0 is released as 1.4.2
print(".".join(map(str, parts)))
PY
)

DIST="$ROOT/dist"
ZIP_NAME="Varudodi-$version-win64.zip"
mkdir -p "$DIST"
rm -f "$DIST/$ZIP_NAME" "$DIST/SHA256SUMS"

# The guide in the form Notepad reads everywhere: UTF-8 with a byte-order
# mark and CR LF line ends.
python3 - "$DIST/$ZIP_NAME" "$EXE" "$ROOT/docs/user-guide.zh.txt" <<'PY'
import sys, zipfile
zip_path, exe, guide = sys.argv[1:]
text = open(guide, encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
    z.write(exe, "Varudodi.exe")
    # A non-ASCII name is stored as UTF-8 and flagged so.
    z.writestr("使用说明.txt", "\ufeff".encode("utf-8") + text.encode("utf-8"))
PY

(cd "$DIST" && sha256sum "$ZIP_NAME" >SHA256SUMS)
echo "$DIST/$ZIP_NAME"
echo "$DIST/SHA256SUMS"
