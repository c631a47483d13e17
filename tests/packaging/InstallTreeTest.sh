#!/usr/bin/env bash
# `cmake --install` into a temporary prefix gives the expected tree, and what it installed
# works from there.
#   InstallTreeTest.sh BUILD_DIR PROGRAM...
source "$(dirname "$0")/PackagingSupport.sh"
build=$1
shift
programs=("$@")

prefix=$sandbox/prefix
cmake --install "$build" --prefix "$prefix" >"$sandbox/install.log" 2>&1 ||
  { cat "$sandbox/install.log" >&2; fail "cmake --install exits with an error"; finish; }
check_tree "$prefix"

# The installed window program has none of the switches by which scripts and tests drive the
# test build (which has them, so the check looks for the right words).
if has ovena; then
  for switch in OVENA_BOX_LOG OVENA_SCREENSHOTS; do
    ! grep -qa "$switch" "$prefix/bin/ovena" || fail "the installed ovena reacts to $switch"
    [ ! -x "$build/test-bin/ovena" ] || grep -qa "$switch" "$build/test-bin/ovena" ||
      fail "the test build of ovena has no $switch, so its absence proves nothing"
  done
fi
finish
