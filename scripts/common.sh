# Shared by scripts/run and scripts/test: the system packages and the build folders.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc)"

# Installs the named Debian packages that are missing, as root or through sudo.
ensure_packages() {
  local missing=()
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-svg-dev libgl-dev libjpeg62-turbo-dev fonts-liberation libcli11-dev nlohmann-json3-dev libeigen3-dev)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang lld libclang-rt-14-dev xvfb xauth x11-utils desktop-file-utils appstream dpkg-dev file ngspice poppler-utils)

# configure_and_build DIR [cmake options...]: configures once, then builds incrementally.
configure_and_build() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}
