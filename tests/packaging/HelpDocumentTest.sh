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

# The text of the pages, ligatures spelled out, lines joined.
text=$(pdftotext "$pdf" - | sed 's/\xef\xac\x81/fi/g; s/\xef\xac\x82/fl/g' | tr -s ' \n' ' ')
headings=$(grep -o '<h2>.*</h2>' "$html" | sed 's/<[^>]*>//g')
[ -n "$headings" ] || fail "the source has no chapters"
grep -q "Contents" <<<"$text" || fail "the help document has no contents"
while read -r heading; do
  grep -qF "$heading" <<<"$text" || fail "the chapter \"$heading\" is not in the help document"
done <<<"$headings"
# Each chapter is listed in the contents under its title without the number.
while read -r title; do
  grep -qF "href=\"#" <<<"$(grep -F ">$title</a>" "$html")" ||
    fail "the contents do not list \"$title\""
done < <(sed 's/^[0-9]*\. //' <<<"$headings" | grep -v '^Contents$')

images=$(grep -o '<img ' "$html" | wc -l)
shown=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
[ "$shown" -eq "$images" ] || fail "the help document shows $shown of the source's $images images"
finish
