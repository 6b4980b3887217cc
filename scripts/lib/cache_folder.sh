# Shared by the installers that keep npm packages in a cache outside the work
# tree, one folder per lock file (sourced, not run):
#   hold_cache_lock ROOT SECONDS NAME  waits for the cache's lock (fd 9);
#                                      two runs at once install once
#   prune_cache ROOT TARGET NAME       removes the installs of other lock
#                                      files that no run has used for 30 days

hold_cache_lock() {
  local root=$1 seconds=$2 name=$3
  exec 9>"$root/.install.lock"
  if ! flock -w "$seconds" 9; then
    echo "$name: another install into $root has held its lock for $((seconds / 60)) minutes; if none is running, delete $root/.install.lock" >&2
    exit 1
  fi
}

prune_cache() {
  local root=$1 target=$2 name=$3 other
  for other in "$root"/*/.complete; do
    [ -f "$other" ] || continue
    [ "$(dirname "$other")" != "$target" ] || continue
    if [ -n "$(find "$other" -maxdepth 0 -mtime +30)" ]; then
      echo "$name: removing $(dirname "$other"), unused for 30 days" >&2
      rm -rf "$(dirname "$other")"
    fi
  done
}
