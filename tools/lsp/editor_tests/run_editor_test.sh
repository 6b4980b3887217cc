#!/bin/sh
# Runs one real editor, headless, against `scenario-tool lsp` on a copy of
# the built-in sources with a mistake in the train service.
#   run_editor_test.sh neovim|emacs TOOL SCRIPT
set -eu
editor=$1
tool=$2
script=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$tool" sources "$dir/src" >/dev/null
cd "$dir/src"
mv "Calvisio -Sambreta_linea.txt" Valle_linea.txt
mv "Calvisio -Sambreta_31613-.txt" Valle_42-.txt
# Line 13: the keyword of the second station misspelt.
sed -i 's/^stazione,    7350/stazone,    7350/' Valle_42-.txt
export SCENARIO_TOOL="$tool" LSP_TEST_FILE="$dir/src/Valle_42-.txt"
case "$editor" in
  neovim) exec timeout 60 nvim --headless -u NONE -i NONE -n -c "luafile $script" ;;
  emacs) exec timeout 60 emacs --batch -l "$script" ;;
  *) echo "no such editor: $editor" >&2; exit 2 ;;
esac
