#!/usr/bin/env bash
# Installs the Debian packages that a group of tasks needs and the machine
# lacks. Groups: example (build and run the example), tests (everything the
# README's test command runs). As root it runs apt-get; otherwise it names
# the packages to install and exits 1.
#
#   tools/install-deps.sh example
#   tools/install-deps.sh tests
set -euo pipefail

# What each package is for is said in the README ("Dependencies").
example_packages=(
  cmake g++ make
  python3-pandas python3-matplotlib # the example's HTML report
  libeigen3-dev nlohmann-json3-dev # slab solver: sparse algebra, case files
  libsuitesparse-dev               # slab solver: CHOLMOD factorisation
)
tests_packages=(
  "${example_packages[@]}"
  libgtest-dev libbenchmark-dev # C++ unit tests and benchmarks
  pandoc                        # manual pages from docs/man
  dpkg-dev file                 # cpack's .deb: library dependencies (dpkg-shlibdeps)
  python3-pandas python3-numpy python3-matplotlib python3-pytest chromium # Python package, its tests and report rendering
  parallel python3-tqdm         # jpcp batch: local engine and its progress bar
  slurm-wlm munge               # jpcp batch: the Slurm engine's test cluster
  clang libclang-rt-14-dev      # fuzz targets (libFuzzer, sanitizers)
  # Windows executables: cross compiler, GoogleTest sources built with it,
  # Wine to run the suite and the programs
  g++-mingw-w64-x86-64-posix googletest wine wine64
)

want=()
for group in "$@"; do
  case "$group" in
    example) want+=("${example_packages[@]}") ;;
    tests) want+=("${tests_packages[@]}") ;;
    *)
      echo "install-deps.sh: unknown group '$group' (example, tests)" >&2
      exit 2
      ;;
  esac
done

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for package in "${want[@]}"; do
  installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
# shellcheck disable=SC2207
missing=($(printf '%s\n' "${missing[@]}" | sort -u))

if [ "$(id -u)" -ne 0 ]; then
  echo "These Debian packages are needed and missing; install them as root:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
apt-get update -q >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
