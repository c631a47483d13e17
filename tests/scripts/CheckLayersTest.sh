#!/usr/bin/env bash
# scripts/check-layers passes the project's tree and refuses, naming file and line, every kind
# of include that breaks the layers, planted in a copy of the tree.
#   CheckLayersTest.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
check=$source_dir/scripts/check-layers
work=$(mktemp -d "${TMPDIR:-/tmp}/ovena-layers.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

"$check" "$source_dir" || fail "the project's own tree breaks the layers"

# A copy of the source folders; plant FILE LINE adds LINE to FILE there, after putting back
# the file planted before.
mkdir "$work/tree"
for folder in platform instrument archive link export table assessment procedures session app cli sim tests docs; do
  cp -r "$source_dir/$folder" "$work/tree/"
done
planted=
plant() {
  if [ -n "$planted" ]; then
    rm -f "$work/tree/$planted"
    [ ! -e "$source_dir/$planted" ] || cp "$source_dir/$planted" "$work/tree/$planted"
  fi
  planted=$1
  mkdir -p "$(dirname "$work/tree/$1")"
  echo "$2" >>"$work/tree/$1"
}

# refused FILE LINE: check-layers fails on the planted line and names where it is.
refused() {
  plant "$1" "$2"
  local out
  if out=$("$check" "$work/tree" 2>&1); then
    fail "accepted $2 in $1"
  elif ! grep -qF "$1:" <<<"$out"; then
    fail "refused $2 in $1 without naming the file: $out"
  fi
}

# accepted FILE LINE: the planted line keeps the layers.
accepted() {
  plant "$1" "$2"
  "$check" "$work/tree" >/dev/null 2>&1 || fail "refused $2 in $1"
}

refused export/EC_Main.cpp '#include "app/About.h"'
refused platform/Cp1252.cpp '#include "link/komm.h"'
refused link/komm.cpp '#include "export/ExportError.h"'
refused table/TableBuilder.cpp '#include "procedures/Procedures.h"'
refused procedures/Procedures.cpp '#include "cli/TerminalUi.h"'
refused procedures/Procedures.cpp '#include "session/Session.h"'
refused session/Session.cpp '#include "app/TDAMain.h"'
refused session/Session.cpp '#include "cli/InstrumentSession.h"'
refused table/TableBuilder.cpp '#include "assessment/Assessment.h"'
refused assessment/Assessment.cpp '#include "procedures/Procedures.h"'
refused sim/Simulator.cpp '#include "link/komm.h"'
refused app/About.cpp '#include "qt/MainView.h"'
refused app/About.cpp '#include "../app/qt/MainView.h"'
refused link/komm.cpp '#include "../tests/support/FakeUi.h"'
refused export/XLSXExport.cpp '#include "archive/Archive.h"'
refused instrument/Visit.cpp '#include "link/Funcs.h"'
refused instrument/Visit.cpp '#include "table/FieldCatalogue.h"'
refused link/Funcs.cpp '#include "instrument/Visit.h"'
refused archive/RecordFields.cpp '#include "table/TableBuilder.h"'
refused link/komm.cpp '#include <QWidget>'
refused export/HTMLExport.cpp '#include <QtCore/QString>'
refused app/TDAMain.cpp '#include <QString>'
refused docs/help/MakeHelpPdf.cpp '#include <QtCharts/QChartView>'
refused platform/Cp1252.cpp '#include <gio/gio.h>'
refused export/HTMLExport.cpp '#include <xlsxwriter.h>'
refused table/TableBuilder.cpp '#include <sqlite3.h>'
refused app/qt/MainView.cpp '#include <libpq-fe.h>'

accepted table/TableBuilder.cpp '#include "link/komm.h"'
accepted app/qt/MainView.cpp '#include "app/TDAMain.h"'
accepted assessment/Assessment.cpp '#include "table/TableBuilder.h"'
accepted procedures/Procedures.cpp '#include "assessment/Assessment.h"'
accepted cli/main.cpp '#include "archive/Archive.h"'
accepted table/TableBuilder.cpp '#include "instrument/Visit.h"'
accepted archive/Archive.cpp '#include "instrument/Fields.h"'
accepted session/Session.cpp '#include "archive/Sync.h"'
accepted app/FormArchive.cpp '#include "session/Session.h"'
accepted app/qt/ArchiveView.cpp '#include <QtCharts/QChartView>'
accepted export/XLSXExport.cpp '#include <xlsxwriter.h>'
accepted archive/Archive.cpp '#include <sqlite3.h>'
accepted tests/app/ExampleTest.cpp '#include "cli/TerminalUi.h"'

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
