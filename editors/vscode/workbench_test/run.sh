#!/usr/bin/env bash
# The extension in a real VS Code (scripts/test vscode):
#   editors/vscode/workbench_test/run.sh [--vsix FILE] [--server PATH] [--out DIR]
#
# Installs what is missing (install.sh: Debian packages, and code-server with
# Node.js 24 in a cache outside the work tree), makes the Linux .vsix with
# scripts/package if there is none, and runs workbench_test.mjs on it.
# Screenshots and logs go to build/default/vscode-test/ unless --out says
# otherwise; --server runs another program as the language server (through
# the extension's scenarioSources.serverPath setting). The last line is
# "N passed, N failed", also when the install or the test itself fails or
# runs out of time; the status is non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
vsix="$repo/build/default/packages/scenario-sources-linux-x64.vsix"
vsix_given=false
out="$repo/build/default/vscode-test"
server=""
while [ $# -gt 0 ]; do
  case "$1" in
    --vsix) vsix=$(realpath -m "$2"); vsix_given=true; shift 2 ;;
    --server) server=$(realpath -m "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    *) echo "run.sh: unknown argument '$1'; give --vsix FILE, --server PATH or --out DIR" >&2; exit 64 ;;
  esac
done
# The whole test is given this many seconds; its own waits are shorter.
test_seconds=${VSCODE_TEST_SECONDS:-420}

# A failure before the test's own last line still ends with one.
summary_printed=false
finish_failed() {
  echo "run.sh: $1"
  echo "run.sh: $1" >&2
  echo "0 passed, 1 failed"
  summary_printed=true
  exit 1
}
trap 'status=$?; if [ $status -ne 0 ] && [ "$summary_printed" = false ]; then echo "run.sh: stopped with status $status at line $LINENO"; echo "0 passed, 1 failed"; fi' EXIT

started=$(date +%s)
if ! cache=$("$here/install.sh" | tail -n 1) || [ ! -d "$cache/node_modules/code-server" ]; then
  summary_printed=true
  finish_failed "the install of code-server failed (see above)"
fi
installed=$(date +%s)
echo "code-server and Node.js 24 in $cache ($((installed - started)) s)"

if [ ! -f "$vsix" ]; then
  if [ "$vsix_given" = true ]; then finish_failed "no extension package at $vsix"; fi
  echo "No $vsix yet: making it with scripts/package"
  "$repo/scripts/package" || finish_failed "scripts/package failed, so there is no $vsix to test"
  [ -f "$vsix" ] || finish_failed "scripts/package made no $vsix"
fi
# A package older than the extension's sources tests the extension as it was.
newer=$(find "$repo/editors/vscode/src" "$repo/editors/vscode/package.json" -newer "$vsix" -print -quit)
if [ -n "$newer" ] && [ "$vsix_given" = false ]; then
  echo "run.sh: note: $newer is newer than $vsix; run scripts/package to test the extension as it is now"
fi
echo "Testing $vsix ($(date -r "$vsix" '+%Y-%m-%d %H:%M'))"

log=$(mktemp)
set +e
timeout --kill-after=15 "$test_seconds" "$cache/node_modules/node/bin/node" "$here/workbench_test.mjs" \
  --code-server "$cache" --vsix "$vsix" --out "$out" ${server:+--server "$server"} 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
summary_printed=true
last=$(tail -n 1 "$log")
passed=$(grep -c '^ok: ' "$log" || true)
failed=$(grep -c '^FAILED: ' "$log" || true)
rm -f "$log"
echo "(install $((installed - started)) s, test $(( $(date +%s) - installed )) s)"
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "run.sh: the workbench test did not end within $test_seconds s and was stopped; its last step is above"
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
fi
if ! [[ "$last" =~ ^[0-9]+\ passed,\ [0-9]+\ failed$ ]]; then
  echo "run.sh: the workbench test ended with status $status before its summary"
  echo "$passed passed, $((failed + 1)) failed"
  exit 1
fi
echo "$last"
exit "$status"
