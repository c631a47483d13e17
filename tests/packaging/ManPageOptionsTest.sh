#!/usr/bin/env bash
# The manual pages document every subcommand and option the programs' --help lists, and no
# option the programs do not have.
#   ManPageOptionsTest.sh SOURCE_DIR BUILD_DIR PROGRAM...
source "$(dirname "$0")/PackagingSupport.sh"
source_dir=$1
build=$2
shift 2
programs=("$@")

# The options of a CLI11 help text ("  -v,--verbose   ..." lines), one per line.
help_options() { grep -oE '^  -[^ ]+' | tr ',' '\n' | sed 's/^ *//' | grep -E '^-'; }
# The subcommands of a CLI11 help text: the first word of each line under "Subcommands:".
help_subcommands() { awk '/^Subcommands:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF { print $1 }'; }
# Every option a manual page source names: words that begin with escaped minus signs.
page_options() {
  grep -oE '(^|[^[:alnum:]\\])(\\-)+[[:alnum:]]([[:alnum:]]|\\-)*' | sed 's/^[^\\]*//; s/\\-/-/g'
}

for p in tev640-sim ovena-cli; do
  has "$p" || continue
  program=$(find "$build" -type f -name "$p" -perm -u+x | head -n 1)
  [ -n "$program" ] || { fail "$p is not in the build folder"; continue; }
  page=$source_dir/packaging/man/$p.1.in

  help=$("$program" --help)
  options=$(help_options <<<"$help")
  for sub in $(help_subcommands <<<"$help"); do
    grep -qx "\.SS $sub" "$page" || fail "$p.1 has no section for the subcommand $sub"
    subhelp=$("$program" "$sub" --help)
    options+=$'\n'$(help_options <<<"$subhelp")
    # Subcommands of a subcommand ("archive list") are documented in its section.
    for nested in $(help_subcommands <<<"$subhelp"); do
      grep -q "^\.B $p $sub $nested\b" "$page" || fail "$p.1 does not describe $sub $nested"
      options+=$'\n'$("$program" "$sub" "$nested" --help | help_options)
    done
  done
  options=$(LC_ALL=C sort -u <<<"$options")
  documented=$(page_options <"$page" | LC_ALL=C sort -u)

  missing=$(comm -23 <(echo "$options") <(echo "$documented"))
  [ -z "$missing" ] || fail "$p.1 does not document: $(echo $missing)"
  stale=$(comm -13 <(echo "$options") <(echo "$documented"))
  [ -z "$stale" ] || fail "$p.1 documents options $p does not have: $(echo $stale)"
done
finish
