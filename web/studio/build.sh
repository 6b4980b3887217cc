#!/usr/bin/env bash
# Builds the studio's page (the web preset's target "studio"):
#   web/studio/build.sh COMPILER_DIR OUT
# installs its npm packages when missing (install.sh, into a cache outside
# the work tree) and writes OUT from the module in COMPILER_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "build.sh: give the folder of scenario-compiler.js and .wasm, and the page to write" >&2; exit 64; }
cache=$("$here/install.sh" | tail -n 1)
exec node "$here/build_studio.mjs" --modules "$cache/node_modules" --compiler "$1" --out "$2"
