#!/usr/bin/env bash
# Packaging: builds the programs as a package build (prefix /usr), checks
# what `cmake --install` puts into a scratch prefix, makes the .deb and the
# .tar.gz with cpack, unpacks the .deb into a scratch root and runs the
# installed programs there: --version of each, and the example script from
# the installed documentation folder.
source "$(dirname "$0")/lib.sh"
build="$root/build-package"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0

check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
  fi
}
give_up() {
  echo "FAILED: $*"
  report_counts "$passed" $((failed + 1))
  exit 1
}

# What an installed tree under PREFIX must hold.
tree_complete() {
  local prefix=$1 program page missing=0
  for program in jpcp_cracking jpcp_faulting jpcp_models jpcp_example jpcp_climate; do
    [ -x "$prefix/bin/$program" ] || { echo "  missing bin/$program"; missing=1; }
    page="$prefix/share/man/man1/$program.1"
    grep -q "^\.TH \"${program^^}\" \"1\"" "$page" 2>/dev/null || { echo "  missing or bad $page"; missing=1; }
  done
  for doc in README.md run-protocol.md input-files.md result-files.md model-folder.md worked-example.md climate.md \
    examples/run_example.sh; do
    [ -s "$prefix/share/doc/jpcp/$doc" ] || { echo "  missing share/doc/jpcp/$doc"; missing=1; }
  done
  [ -x "$prefix/share/doc/jpcp/examples/run_example.sh" ] || missing=1
  return "$missing"
}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DJPCP_TESTS=OFF -DJPCP_BENCH=OFF -DJPCP_MAN_PAGES=ON || give_up "configure"
cmake --build "$build" -j"$jobs" || give_up "build"

cmake --install "$build" --prefix "$scratch/prefix" || give_up "cmake --install"
check "cmake --install puts programs, manual pages, documentation and example in place" \
  tree_complete "$scratch/prefix"

(cd "$build" && cpack -G "DEB;TGZ") || give_up "cpack"
deb=$(ls "$build"/jpcp_*.deb 2>/dev/null | head -n 1)
tgz=$(ls "$build"/jpcp-*.tar.gz 2>/dev/null | head -n 1)
[ -n "$deb" ] && [ -n "$tgz" ] || give_up "cpack made no .deb or .tar.gz"
echo "packages: $deb $tgz"
dpkg-deb --info "$deb"
check "the .deb declares its library dependencies" \
  bash -c "dpkg-deb --field '$deb' Depends | grep -q 'libc6' && dpkg-deb --field '$deb' Depends | grep -q 'libstdc++6'"
check "the .tar.gz holds the programs" \
  bash -c "tar -tzf '$tgz' | grep -q '/bin/jpcp_cracking\$' && tar -tzf '$tgz' | grep -q '/share/man/man1/jpcp_faulting.1\$'"

dpkg -x "$deb" "$scratch/root" || give_up "dpkg -x"
installed="$scratch/root/usr"
check "the .deb unpacks into a complete tree" tree_complete "$installed"
version=$(sed -n -E 's/^project\(jpcp VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
for program in jpcp_cracking jpcp_faulting jpcp_models jpcp_example jpcp_climate; do
  check "installed $program --version" \
    bash -c "'$installed/bin/$program' --version | grep -E -q '^$program $version( |\$)'"
done
check "installed --help points at the installed documentation" \
  bash -c "'$installed/bin/jpcp_cracking' --help | grep -q '/usr/share/doc/jpcp'"

# The example from the installed files: the installed script finds the
# installed programs next to it. The HTML report is left out: the scratch
# root is not the system's root, so an installed Python package would not be
# found from it.
out="$scratch/example"
JPCP_EXAMPLE_OUT="$out" JPCP_EXAMPLE_REPORT=0 "$installed/share/doc/jpcp/examples/run_example.sh" \
  >"$scratch/example.log" 2>&1
example_status=$?
cat "$scratch/example.log"
check "installed example runs both programs without error" test "$example_status" -eq 0
check "installed example ends with the headline numbers" \
  bash -c "grep -q '^Slabs cracked: ' '$scratch/example.log' && grep -q '^Mean faulting: ' '$scratch/example.log'"
check "installed example wrote the result files" \
  test -s "$out/cracking-results/Example_Cracking.csv" -a -s "$out/faulting/JPCP_faulting2.csv"

report_counts "$passed" "$failed"
[ "$failed" -eq 0 ]
