#!/usr/bin/env bash
# Installs the studio's npm packages (CodeMirror and its language-server
# client, esbuild, playwright-core for the browser test) from this folder's
# lock file, and prints on its last line the folder whose node_modules holds
# them:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/scenario-compactor/studio/HASH/
# where HASH is that of package.json and package-lock.json, so that every
# clone on the machine with the same lock file shares one install. A folder
# is built under a temporary name and renamed into place once whole; an
# install cut short leaves nothing that a later run would take as done.
# Node.js and npm themselves come from scripts/install-dependencies web.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for program in node npm; do
  command -v "$program" >/dev/null 2>&1 ||
    { echo "install.sh: no $program on the PATH: run scripts/install-dependencies web" >&2; exit 1; }
done

cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/scenario-compactor/studio"
hash=$(cat "$here/package.json" "$here/package-lock.json" | sha256sum | cut -c1-16)
target="$cache_root/$hash"
mkdir -p "$cache_root"
# Two runs at once (two clones, or the build and the test) install once;
# installs of other lock files that no run has used for 30 days go.
. "$here/../../scripts/lib/cache_folder.sh"
hold_cache_lock "$cache_root" 600 install.sh
prune_cache "$cache_root" "$target" install.sh

if [ -f "$target/.complete" ] && [ -f "$target/node_modules/esbuild/package.json" ] &&
   [ -f "$target/node_modules/@codemirror/lsp-client/package.json" ] &&
   [ -f "$target/node_modules/playwright-core/package.json" ]; then
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
# Bounded: a registry that stops answering fails the install instead of
# holding it (and CI) for ever. No package here needs its install script
# (esbuild finds its binary in its platform's package).
echo "install.sh: npm ci (the studio's packages from the lock file)" >&2
if ! timeout --kill-after=10 300 npm ci --ignore-scripts --no-audit --no-fund >>"$log" 2>&1 </dev/null; then
  status=$?
  [ $status -ne 124 ] || echo "install.sh: npm ci did not end within 300 s" >&2
  echo "install.sh: npm ci failed with status $status in $work; the end of its log:" >&2
  tail -n 40 "$log" >&2
  cp "$log" "$cache_root/failed-install.log" 2>/dev/null || true
  exit 1
fi
[ -f "$work/node_modules/esbuild/package.json" ] ||
  { echo "install.sh: npm ci left no node_modules/esbuild in $work" >&2; exit 1; }
touch "$work/.complete"
cd "$cache_root"
mv "$work" "$target"
trap - EXIT
echo "$target"
