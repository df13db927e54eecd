#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the programs from there:
# kitshift finds its encoder module in PREFIX/lib/mirelo and its picture
# lists in PREFIX/share/kitshift; mirelo, given no data folder, uses the
# user's data folder and says what it lacks.
#   installed_layout_test.sh BUILD_DIR
set -uo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "installed layout: $*"
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
for program in mirelo kitshift clipmux mirtool; do
    [ -x "$prefix/bin/$program" ] || fail "no bin/$program"
done
for module in Brindlex.ovl xaudio.so gogo.so; do
    [ -f "$prefix/lib/mirelo/$module" ] || fail "no lib/mirelo/$module"
done
[ -f "$prefix/share/kitshift/picture_lists.txt" ] || fail "no share/kitshift/picture_lists.txt"

"$prefix/bin/kitshift" --help >/dev/null || fail "kitshift --help failed"
"$prefix/bin/clipmux" --help >/dev/null || fail "clipmux --help failed"
"$build/sample/pc_title/pc_title_generator" "$prefix/pc_title" >/dev/null ||
    fail "the sample install folder could not be generated"
# Outside the build the module search has only the installed folder to go on.
env -u MIRELO_MODULE_PATH "$prefix/bin/kitshift" --out "$prefix/converted" "$prefix/pc_title/first" \
    >"$prefix/kitshift.log" 2>&1 || { cat "$prefix/kitshift.log"; fail "installed kitshift failed"; }
[ -s "$prefix/converted/grpack.mlz" ] || fail "installed kitshift wrote no grpack.mlz"

output=$(XDG_DATA_HOME="$prefix/data" "$prefix/bin/mirelo" --headless --until 100 2>&1)
status=$?
[ "$status" -eq 1 ] || fail "mirelo without data ended with $status: $output"
expected="mirelo: $prefix/data/mirelo/1/grpack.mlz: No such file or directory"
case "$output" in
    "$expected"*) ;;
    *) fail "mirelo said: $output" ;;
esac
[ -d "$prefix/data/mirelo" ] || fail "the user's data folder was not made"
echo "installed layout: programs, modules and data folder as documented"
