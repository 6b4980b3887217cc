#!/usr/bin/env bash
# Packages the extension for one platform, with that platform's server:
#   editors/vscode/package-vsix.sh linux-x64|win32-x64 SERVER OUTPUT_DIRECTORY
# then unpacks the .vsix and checks that it holds the server and the
# Windows-1252 defaults.
set -euo pipefail
target=$1
server=$(realpath "$2")
output=$(realpath -m "$3")
cd "$(dirname "$0")"
[ -d node_modules ] || npm ci --no-audit --no-fund
npm run --silent bundle
rm -rf server
mkdir -p server "$output"
case "$target" in
  linux-x64) program=scenario-tool ;;
  win32-x64) program=scenario-tool.exe ;;
  *) echo "package-vsix.sh: no target '$target'; give linux-x64 or win32-x64" >&2; exit 64 ;;
esac
cp "$server" "server/$program"
# The debugging information stays out of the package.
case "$target" in
  linux-x64) strip "server/$program" ;;
  win32-x64) x86_64-w64-mingw32-strip "server/$program" ;;
esac
vsix="$output/scenario-sources-$target.vsix"
npx vsce package --target "$target" --no-dependencies --skip-license --allow-missing-repository -o "$vsix"
rm -rf server

check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
(cd "$check" && cmake -E tar xf "$vsix")
[ -f "$check/extension/server/$program" ] || { echo "package-vsix.sh: $vsix holds no server/$program" >&2; exit 1; }
[ -s "$check/extension/server/$program" ] || { echo "package-vsix.sh: server/$program is empty" >&2; exit 1; }
grep -q scenarioSources.showRouteViewer "$check/extension/dist/extension.js" ||
  { echo "package-vsix.sh: $vsix holds a client without the route viewer" >&2; exit 1; }
grep -q '"files.encoding": "windows1252"' "$check/extension/package.json" ||
  { echo "package-vsix.sh: $vsix sets no Windows-1252 default" >&2; exit 1; }
echo "wrote $vsix"
