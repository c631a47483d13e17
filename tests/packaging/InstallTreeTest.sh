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
finish
