#!/usr/bin/env bash
# The help document made from its source renders to pages that hold the contents, every
# chapter and every image of the source.
#   HelpDocumentTest.sh HELP_PDF SOURCE_HTML
source "$(dirname "$0")/PackagingSupport.sh"
pdf=$1
html=$2

pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "${pages:-0}" -ge 2 ] || fail "the help document has ${pages:-no} pages"
pdftoppm -r 20 -gray "$pdf" "$sandbox/page" || fail "pdftoppm cannot render the help document"
rendered=$(find "$sandbox" -name 'page-*.pgm' | wc -l)
[ "$rendered" -eq "${pages:-0}" ] || fail "$rendered of $pages pages rendered"

# The text of pages FIRST to LAST (all without them), ligatures spelled out.
pdf_text() { pdftotext ${1:+-f $1 -l $2} -layout "$pdf" - | sed 's/\xef\xac\x81/fi/g; s/\xef\xac\x82/fl/g'; }

text=$(pdf_text | tr -s ' \n' ' ')
headings=$(grep -o '<h2>.*</h2>' "$html" | sed 's/<[^>]*>//g' | grep -v '^Contents$')
[ -n "$headings" ] || fail "the source has no chapters"
grep -q "Contents" <<<"$text" || fail "the help document has no contents"
while read -r heading; do
  grep -qF "$heading" <<<"$text" || fail "the chapter \"$heading\" is not in the help document"
done <<<"$headings"

# The contents list every chapter with the page it begins on.
contents=$(pdf_text 1 1 | sed -n 's/^ *\([0-9][0-9]*\. .*[^ ]\)  *\([0-9][0-9]*\)$/\2 \1/p')
while read -r heading; do
  page=$(awk -v h="$heading" '{ n = $1; $1 = ""; sub(/^ /, "") } $0 == h { print n }' <<<"$contents")
  if [ -z "$page" ]; then
    fail "the contents do not list \"$heading\" with a page"
  elif ! pdf_text "$page" "$page" | sed 's/^ *//; s/ *$//' | grep -qxF "$heading"; then
    fail "\"$heading\" does not begin on page $page, as the contents say"
  fi
done <<<"$headings"

images=$(grep -o '<img ' "$html" | wc -l)
shown=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
[ "$shown" -eq "$images" ] || fail "the help document shows $shown of the source's $images images"
finish
