#!/usr/bin/env bash
# Installs what the workbench test needs, the parts that are missing only, and
# prints on its last line the folder that holds code-server:
#   editors/vscode/workbench_test/install.sh [windows]
#
# - Debian packages: Chromium to drive the workbench, and what code-server's
#   native add-ons need to build from source (their prebuilt binaries come
#   from a host that is not reachable): kerberos wants gssapi/gssapi.h from
#   libkrb5-dev, node-gyp wants python3, make and g++. With "windows", also
#   Wine, to run the server of the win32-x64 package.
# - Node.js 24 (code-server wants it), code-server and playwright-core, from
#   this folder's lock file, into a cache outside the work tree:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/scenario-compactor/vscode-client/HASH/
#   where HASH is that of package.json and package-lock.json, so that any
#   clone on the machine with the same lock file reuses it. A folder is
#   built under a temporary name and renamed into place once whole; an
#   install cut short leaves nothing that a later run would take as done.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(chromium libkrb5-dev python3 make g++)
if [ "${1:-}" = "windows" ]; then
  packages+=(wine wine64)
fi
# A machine that has node already (with its own npm inside) keeps it:
# Debian's npm would not install beside another build's nodejs.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install.sh: installing the Debian packages ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  timeout 600 $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive timeout 900 $sudo apt-get install -y -qq "${missing[@]}" >&2
fi

cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/scenario-compactor/vscode-client"
hash=$(cat "$here/package.json" "$here/package-lock.json" | sha256sum | cut -c1-16)
target="$cache_root/$hash"
mkdir -p "$cache_root"
# Two runs at once (two clones, or the build and the test) install once;
# installs of other lock files that no run has used for 30 days go.
. "$here/../../../scripts/lib/cache_folder.sh"
hold_cache_lock "$cache_root" 900 install.sh
prune_cache "$cache_root" "$target" install.sh

node24="$target/node_modules/node/bin/node"
if [ -f "$target/.complete" ] && [ -x "$node24" ] && [ -f "$target/node_modules/code-server/out/node/entry.js" ]; then
  touch "$target/.complete"
  echo "$target"
  exit 0
fi

rm -rf "$target" "$cache_root/$hash".partial-*
work="$cache_root/$hash.partial-$$"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cp "$here/package.json" "$here/package-lock.json" "$work/"
cd "$work"
log="$work/install.log"
# Each step is bounded: a registry that stops answering fails the install
# instead of holding it (and CI) for ever.
step() {
  echo "install.sh: $1" >&2
  local limit=$2
  shift 2
  if ! timeout --kill-after=10 "$limit" "$@" >>"$log" 2>&1 </dev/null; then
    local status=$?
    [ $status -ne 124 ] || echo "install.sh: '$*' did not end within $limit s" >&2
    echo "install.sh: '$*' failed with status $status in $work; the end of its log:" >&2
    tail -n 40 "$log" >&2
    cp "$log" "$cache_root/failed-install.log" 2>/dev/null || true
    echo "install.sh: the whole log is in $cache_root/failed-install.log" >&2
    exit 1
  fi
}
# The packages first without their install scripts; then Node.js 24 (its
# script fetches the binary package of this platform), and only then the
# rest, built with Node.js 24 against its own headers, for node-gyp would
# otherwise take the system's or try to download them (two compilers at a
# time: the machines have two cores).
step "npm ci (packages from the lock file, scripts held back)" 600 \
  npm ci --ignore-scripts --no-audit --no-fund
step "Node.js 24" 300 npm rebuild node --foreground-scripts
[ -x "$work/node_modules/node/bin/node" ] ||
  { echo "install.sh: the node package left no node_modules/node/bin/node in $work" >&2; exit 1; }
headers=$(dirname "$(dirname "$(readlink -f "$work/node_modules/node/bin/node")")")
if [ ! -f "$headers/include/node/node.h" ]; then
  headers=$(find "$work/node_modules/node" -path '*/include/node/node.h' -print -quit | sed 's,/include/node/node.h$,,')
fi
[ -n "$headers" ] && [ -f "$headers/include/node/node.h" ] ||
  { echo "install.sh: Node.js 24's headers (include/node/node.h) are not in $work/node_modules/node" >&2; exit 1; }
step "code-server and its native add-ons, built with Node.js $("$work/node_modules/node/bin/node" --version) (a few minutes)" 900 \
  env PATH="$work/node_modules/node/bin:$PATH" npm_config_nodedir="$headers" JOBS=2 \
  npm rebuild --foreground-scripts
[ -f "$work/node_modules/code-server/out/node/entry.js" ] ||
  { echo "install.sh: code-server is incomplete in $work (no out/node/entry.js)" >&2; exit 1; }
touch "$work/.complete"
cd "$cache_root"
mv "$work" "$target"
trap - EXIT
echo "$target"
