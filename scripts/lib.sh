# Shared by the scripts: install the Debian packages that are missing.

# ensure_packages PACKAGE...: installs with apt-get those not yet installed (as root, or via sudo).
ensure_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
  fi
  echo "Installing ${missing[*]}" >&2
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# What every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev libx11-dev libxtst-dev libxrandr-dev qt6-base-dev libgl-dev)
# What the tests need besides: an X server with XTest and RandR, its command-line tools, and fonts
# for the windows they show.
TEST_PACKAGES=(xvfb x11-xserver-utils x11-utils fonts-dejavu-core)
