#!/usr/bin/env bash
# README's list of Debian packages names exactly the packages scripts/install-deps installs.
#   ReadmeDependenciesTest.sh SOURCE_DIR
set -euo pipefail
source_dir=$1

# The words of the packages=( ... ) array of the script, one per line, sorted.
installed=$(sed -n '/^packages=(/,/^)/p' "$source_dir/scripts/install-deps" |
  sed '1d;$d; s/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | LC_ALL=C sort -u)
# The names in backquotes of README's Dependencies section, but the script's own name.
documented=$(sed -n '/^## Dependencies/,/^## /p' "$source_dir/README.md" |
  grep -o '`[^`]*`' | tr -d '`' | grep -vx 'scripts/install-deps' | LC_ALL=C sort -u)

[ -n "$installed" ] || { echo "FAIL: no packages found in scripts/install-deps" >&2; exit 1; }
if [ "$installed" != "$documented" ]; then
  echo "FAIL: README and scripts/install-deps list different packages" >&2
  diff <(echo "$installed") <(echo "$documented") | sed -n 's/^< /only in scripts\/install-deps: /p; s/^> /only in README: /p' >&2
  exit 1
fi
echo "README lists the $(wc -l <<<"$installed") packages of scripts/install-deps"
