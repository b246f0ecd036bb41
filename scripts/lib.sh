# Shared by the scripts: install the Debian packages that are missing.

# as_root COMMAND...: runs the command as root, through sudo when this is not root.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    command -v sudo >/dev/null || { echo "Please run as root: $*" >&2; exit 1; }
    sudo "$@"
  fi
}

# ensure_packages PACKAGE...: installs with apt-get those not yet installed (as root, or via sudo).
ensure_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing ${missing[*]}" >&2
  # A mirror that fails one index (one in the middle of a sync does) leaves the others usable: the
  # install below says whether what is needed could be had.
  as_root apt-get update -qq || echo "apt-get update failed in part; installing from what it has" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# What every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev libx11-dev libxtst-dev libxrandr-dev qt6-base-dev libgl-dev dpkg-dev file
  libsndfile1-dev)
# What the tests need besides: an X server with XTest and RandR, its command-line tools, fonts for
# the windows they show, and xdotool to answer the installed programs' windows.
TEST_PACKAGES=(xvfb x11-xserver-utils x11-utils fonts-dejavu-core xdotool)

# What the build for the platform itself needs: mingw-w64 (x86_64 for the driver, i686 for the
# 32-bit programs), Wine, 64-bit and 32-bit, for the tests, and NSIS for the installer. wine32 is
# an i386 package.
WINDOWS_PACKAGES=(mingw-w64 wine wine64 nsis)
WINDOWS_32_BIT_PACKAGES=(wine32:i386)

# ensure_windows_packages: enables the i386 architecture if needed, then installs WINDOWS_PACKAGES
# and, where the i386 archive can be had, the 32-bit Wine. Without it the machine is one that runs
# no 32-bit programs, and the tests treat it so (scripts/test).
ensure_windows_packages() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  ensure_packages "${WINDOWS_32_BIT_PACKAGES[@]}" ||
    echo "The 32-bit Wine (${WINDOWS_32_BIT_PACKAGES[*]}) could not be installed:" \
      "Wine runs no 32-bit programs here" >&2
}
# What the tests in a VM need (tests/vm/run, tests/vm/service/run): QEMU, the distribution's
# kernel, what makes the initramfs, udev for its classification of input devices, and systemd and
# the writable layer's file system for the service VM. The VM is an x86-64 PC.
VM_PACKAGES=()
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  VM_PACKAGES=(qemu-system-x86 linux-image-amd64 busybox-static cpio kmod udev systemd e2fsprogs)
fi
# What the tests on ReactOS need (tests/reactos/run) besides QEMU: xorriso to remaster the live CD,
# hivexregedit (libwin-hivex-perl) to merge the driver's installation into its hives, and socat
# for QEMU's monitor.
REACTOS_PACKAGES=(xorriso libwin-hivex-perl socat)
