#!/usr/bin/env bash
# The extension in a real VS Code (scripts/test vscode):
#   editors/vscode/workbench_test/run.sh [--windows] [--vsix FILE] [--server PATH] [--out DIR]
#
# Installs what is missing (install.sh: Debian packages, and code-server with
# Node.js 24 in a cache outside the work tree), makes the Linux .vsix with
# scripts/package if there is none, and runs workbench_test.mjs on it.
# Screenshots and logs go to build/default/vscode-test/ unless --out says
# otherwise. With --windows it takes the win32-x64 .vsix (scripts/package
# windows) and runs its server/scenario-tool.exe under Wine, in a prefix kept
# beside the cache, behind the same Linux workbench (build/windows/vscode-test/); --server runs another program as the language server (through
# the extension's scenarioSources.serverPath setting). The last line is
# "N passed, N failed", also when the install or the test itself fails or
# runs out of time; the status is non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
vsix=""
vsix_given=false
out=""
server=""
windows=false
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) windows=true; shift ;;
    --vsix) vsix=$(realpath -m "$2"); vsix_given=true; shift 2 ;;
    --server) server=$(realpath -m "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    *) echo "run.sh: unknown argument '$1'; give --windows, --vsix FILE, --server PATH or --out DIR" >&2; exit 64 ;;
  esac
done
if [ "$windows" = true ]; then
  [ -n "$vsix" ] || vsix="$repo/build/windows/packages/scenario-sources-win32-x64.vsix"
  [ -n "$out" ] || out="$repo/build/windows/vscode-test"
  package=("$repo/scripts/package" windows)
else
  [ -n "$vsix" ] || vsix="$repo/build/default/packages/scenario-sources-linux-x64.vsix"
  [ -n "$out" ] || out="$repo/build/default/vscode-test"
  package=("$repo/scripts/package")
fi
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
if ! cache=$("$here/install.sh" $([ "$windows" = true ] && echo windows) | tail -n 1) || [ ! -d "$cache/node_modules/code-server" ]; then
  summary_printed=true
  finish_failed "the install of code-server failed (see above)"
fi
installed=$(date +%s)
echo "code-server and Node.js 24 in $cache ($((installed - started)) s)"

if [ ! -f "$vsix" ]; then
  if [ "$vsix_given" = true ]; then finish_failed "no extension package at $vsix"; fi
  echo "No $vsix yet: making it with ${package[*]#$repo/}"
  "${package[@]}" || finish_failed "${package[*]#$repo/} failed, so there is no $vsix to test"
  [ -f "$vsix" ] || finish_failed "${package[*]#$repo/} made no $vsix"
fi
# A package older than the extension's sources tests the extension as it was.
newer=$(find "$repo/editors/vscode/src" "$repo/editors/vscode/package.json" -newer "$vsix" -print -quit)
if [ -n "$newer" ] && [ "$vsix_given" = false ]; then
  echo "run.sh: note: $newer is newer than $vsix; run scripts/package to test the extension as it is now"
fi
echo "Testing $vsix ($(date -r "$vsix" '+%Y-%m-%d %H:%M'))"

# The Windows server runs under Wine, in a prefix of this test's own beside
# the cache (made once, in about 20 s); one Wine server stays up for the
# run, and is stopped at its end whatever happens.
wine_options=()
if [ "$windows" = true ]; then
  export WINEPREFIX="$(dirname "$cache")/wine-prefix" WINEDEBUG=-all
  stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
  stop_wine
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    if ! { DISPLAY= timeout 300 wineboot -i && timeout 120 wineserver -w; } >"$WINEPREFIX.setup.log" 2>&1 </dev/null; then
      tail -n 20 "$WINEPREFIX.setup.log"
      rm -rf "$WINEPREFIX"
      finish_failed "Wine could not make its prefix in $WINEPREFIX (see above)"
    fi
  fi
  # Wine's services start here with their output going nowhere: started by
  # the test's first Windows process, they would hold its pipes open.
  wineserver -p >/dev/null 2>&1 </dev/null
  DISPLAY= timeout 120 wineboot >/dev/null 2>&1 </dev/null || finish_failed "Wine did not start in $WINEPREFIX (wineboot)"
  trap 'status=$?; stop_wine; if [ $status -ne 0 ] && [ "$summary_printed" = false ]; then echo "run.sh: stopped with status $status"; echo "0 passed, 1 failed"; fi' EXIT
  wine_options=(--wine "$WINEPREFIX")
fi

log=$(mktemp)
set +e
timeout --kill-after=15 "$test_seconds" "$cache/node_modules/node/bin/node" "$here/workbench_test.mjs" \
  --code-server "$cache" --vsix "$vsix" --out "$out" ${server:+--server "$server"} "${wine_options[@]}" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
# A test stopped by the time limit leaves code-server's process group (it
# ends that group itself otherwise).
if [ -f "$out/code-server.pid" ]; then
  pid=$(cat "$out/code-server.pid")
  if [[ "$pid" =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null; then
    kill -- "-$pid" 2>/dev/null || true
    sleep 2
    kill -9 -- "-$pid" 2>/dev/null || true
  fi
  rm -f "$out/code-server.pid"
fi
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
