#!/usr/bin/env bash
# `cpack -G DEB` makes a package with the project's control fields and dependencies that this
# system satisfies; unpacked into a temporary root, it holds the expected tree, which works.
#   DebPackageTest.sh BUILD_DIR VERSION PROGRAM...
source "$(dirname "$0")/PackagingSupport.sh"
build=$1
version=$2
shift 2
programs=("$@")

(cd "$build" && cpack -G DEB -B "$sandbox/package") >"$sandbox/cpack.log" 2>&1 ||
  { cat "$sandbox/cpack.log" >&2; fail "cpack exits with an error"; finish; }
debs=("$sandbox"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { fail "cpack made no single .deb"; finish; }
deb=${debs[0]}
[ "$(basename "$deb")" = "ovena_${version}-1_$(dpkg --print-architecture).deb" ] ||
  fail "package file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ovena ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = electronics ] || fail "Section: $(field Section)"
grep -Eq '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' <<<"$(field Maintainer)" || fail "Maintainer: $(field Maintainer)"
grep -q "TEV 640" <<<"$(field Description)" || fail "Description: $(field Description)"
field Description | awk 'length > 79 { exit 1 }' || fail "the description has lines over 79 characters"

# Dependencies: what the programs link, each one a package of this system in a version it has.
depends=$(field Depends)
needed=(libc6 libstdc++6)
has ovena && needed+=(libqt6widgets6 libqt6gui6 libqt6core6 libglib2.0-0)
for package in "${needed[@]}"; do
  tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$package" ||
    fail "Depends lacks $package: $depends"
done
printf 'Source: ovena\n\nPackage: ovena\nArchitecture: any\n' >"$sandbox/control"
dpkg-checkbuilddeps -d "$depends" "$sandbox/control" 2>"$sandbox/deps.err" ||
  fail "this system does not satisfy Depends: $(cat "$sandbox/deps.err")"

# Every file belongs to root and has the usual modes; the programs are stripped.
while read -r mode owner _ _ _ path; do
  [ "$owner" = root/root ] || fail "$path belongs to $owner"
  case $mode in
  d*) [ "$mode" = drwxr-xr-x ] || fail "$path has mode $mode" ;;
  *) case $path in
    ./usr/bin/*) [ "$mode" = -rwxr-xr-x ] || fail "$path has mode $mode" ;;
    *) [ "$mode" = -rw-r--r-- ] || fail "$path has mode $mode" ;;
    esac ;;
  esac
done < <(dpkg-deb -c "$deb")

root=$sandbox/root
dpkg -x "$deb" "$root"
for p in "${programs[@]}"; do
  file "$root/usr/bin/$p" | grep -q ', stripped' || fail "$p is not stripped"
done
check_tree "$root/usr"
finish
