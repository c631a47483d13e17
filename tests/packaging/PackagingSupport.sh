# Sourced by the packaging tests. Gives each test its own home, XDG folders and temporary
# folder (removed at the end), and the helpers they share.
set -euo pipefail

sandbox=$(mktemp -d "${TMPDIR:-/tmp}/ovena-packaging.XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
export HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data \
  XDG_CACHE_HOME=$sandbox/cache XDG_RUNTIME_DIR=$sandbox/runtime TMPDIR=$sandbox/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset LD_LIBRARY_PATH DISPLAY WAYLAND_DISPLAY
export LC_ALL=C.UTF-8

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Ends the test with its verdict.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

# has PROGRAM: the program is among those built (the test's arguments after the first ones).
has() {
  local p
  for p in "${programs[@]}"; do [ "$p" = "$1" ] && return 0; done
  return 1
}

# The files an installation holds below its prefix, sorted, for the programs built.
expected_files() {
  local p
  for p in "${programs[@]}"; do
    echo "bin/$p"
    echo "share/man/man1/$p.1.gz"
  done
  if has ovena; then
    echo "share/ovena/Ovena Help.pdf"
    echo "share/applications/ovena.desktop"
    echo "share/icons/hicolor/scalable/apps/ovena.svg"
  fi
}

# check_help PREFIX: "Help text" in the installed program opens the installed help document in
# the application registered for PDF (here a viewer that records the file it was given). The
# button is pressed through the library OVENA_PRESS_LIBRARY names; without it the check is left
# out with a note.
check_help() {
  local prefix=$1 opened=$sandbox/help-opened status=0
  if [ -z "${OVENA_PRESS_LIBRARY:-}" ]; then
    echo "note: OVENA_PRESS_LIBRARY is not set; \"Help text\" of the installed program not pressed"
    return
  fi
  mkdir -p "$XDG_DATA_HOME/applications"
  printf '#!/bin/sh\nprintf "%%s" "$1" >"%s.part" && mv "%s.part" "%s"\n' \
    "$opened" "$opened" "$opened" >"$sandbox/viewer.sh"
  chmod +x "$sandbox/viewer.sh"
  printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=%s %%f\nMimeType=application/pdf;\n' \
    "$sandbox/viewer.sh" >"$XDG_DATA_HOME/applications/ovena-test-viewer.desktop"
  printf '[Default Applications]\napplication/pdf=ovena-test-viewer.desktop\n' \
    >"$XDG_CONFIG_HOME/mimeapps.list"
  # A sanitizer build's program wants its runtime first among its libraries; the library
  # loaded ahead of it here neither allocates nor intercepts anything.
  OVENA_PRESS=BtHelp OVENA_PRESS_LOG=$sandbox/press.log LD_PRELOAD=$OVENA_PRESS_LIBRARY \
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 \
    QT_QPA_PLATFORM=offscreen timeout 30 "$prefix/bin/ovena" >"$sandbox/help.log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || fail "installed ovena ended with $status after \"Help text\": $(cat "$sandbox/help.log")"
  grep -qx "pressed BtHelp" "$sandbox/press.log" 2>/dev/null ||
    fail "\"Help text\" was not pressed: $(cat "$sandbox/press.log" 2>/dev/null)"
  grep "^box " "$sandbox/press.log" 2>/dev/null && fail "\"Help text\" showed a message"
  local waited=0
  while [ ! -f "$opened" ] && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  [ -f "$opened" ] || { fail "no viewer was started for the help document"; return; }
  [ "$(realpath "$(cat "$opened")")" = "$(realpath "$prefix/share/ovena/Ovena Help.pdf")" ] ||
    fail "the viewer was given $(cat "$opened") instead of the installed help document"
}

# check_tree PREFIX: the installed files under PREFIX are exactly the expected ones, and each
# works: the programs answer --help (the desktop program starts), the desktop entry validates,
# the icon is well-formed, the help document is a PDF, the manual pages render cleanly.
# The programs of the build folder $build serve for comparison.
check_tree() {
  local prefix=$1 actual expected
  actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
  expected=$(expected_files | LC_ALL=C sort)
  [ "$actual" = "$expected" ] ||
    fail "installed files differ from the expected ones:$(diff <(echo "$expected") <(echo "$actual") | sed 's/^/\n  /')"

  local p
  for p in tev640-sim ovena-cli; do
    has "$p" || continue
    "$prefix/bin/$p" --help >"$sandbox/help.txt" 2>&1 || fail "$p --help exits with $?"
    grep -q "^Usage: .*$p" "$sandbox/help.txt" || fail "$p --help shows no usage line"
  done
  if has ovena-cli; then
    # The installed program exports what the one in the build folder exports.
    printf 'Name,O2\r\nAlpha,3.5\r\n' >"$sandbox/in.csv"
    local built
    built=$(find "$build" -type f -name ovena-cli -perm -u+x | head -n 1)
    "$built" convert "$sandbox/in.csv" --format csv --output "$sandbox/built.csv" ||
      fail "ovena-cli convert of the build folder exits with $?"
    "$prefix/bin/ovena-cli" convert "$sandbox/in.csv" --format csv --output "$sandbox/out.csv" ||
      fail "installed ovena-cli convert exits with $?"
    grep -q Alpha "$sandbox/out.csv" && cmp -s "$sandbox/built.csv" "$sandbox/out.csv" ||
      fail "installed ovena-cli convert wrote another file than the built one"
  fi
  if has ovena; then
    # A program missing a library or its platform plugin ends at once; a sound one keeps its
    # window open until it is stopped.
    local status=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/ovena" >"$sandbox/ovena.log" 2>&1 || status=$?
    [ "$status" -eq 124 ] || fail "installed ovena ended with $status: $(cat "$sandbox/ovena.log")"
    [ "$(head -c 5 "$prefix/share/ovena/Ovena Help.pdf")" = "%PDF-" ] ||
      fail "the installed help document is no PDF"
    check_help "$prefix"
    local out
    out=$(desktop-file-validate "$prefix/share/applications/ovena.desktop" 2>&1) ||
      fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    # The entry starts the installed program and shows the installed icon.
    local entry=$prefix/share/applications/ovena.desktop exec icon
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -x "$prefix/bin/$exec" ] || fail "the desktop entry starts \"$exec\", which is not installed"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
      fail "the desktop entry shows the icon \"$icon\", which is not installed"
    python3 -c 'import sys, xml.etree.ElementTree as E
root = E.parse(sys.argv[1]).getroot()
sys.exit(root.tag != "{http://www.w3.org/2000/svg}svg")' \
      "$prefix/share/icons/hicolor/scalable/apps/ovena.svg" || fail "the icon is no SVG document"
  fi

  for p in "${programs[@]}"; do
    local page=$prefix/share/man/man1/$p.1.gz warnings rendered
    warnings=$(zcat "$page" | groff -ww -z -man 2>&1) || fail "groff fails on $p.1"
    [ -z "$warnings" ] || fail "groff warns on $p.1: $warnings"
    rendered=$(MANWIDTH=80 man -l "$page" 2>"$sandbox/man.err") || fail "man -l $p.1 fails"
    [ -s "$sandbox/man.err" ] && fail "man -l $p.1 warns: $(cat "$sandbox/man.err")"
    grep -q "^NAME" <<<"$rendered" || fail "man -l $p.1 shows no NAME section"
    grep -q "^ *$p - " <<<"$rendered" || fail "the NAME line of $p.1 does not name $p"
  done
}
