# shellcheck shell=bash
# Shared by the runners of the VMs that boot the distribution's kernel under QEMU's software
# emulation (tests/vm/run, tests/vm/service/run): what must be there, the initramfs, the boot.
# The runner sets vm_name (the first word of its lines) before it sources this file.

: "${vm_name:?the runner names its VM}"
PATH=$PATH:/usr/sbin:/sbin  # modprobe and mkfs, for a user whose path lacks them

vm_skip() {
  echo "$vm_name: skipped: $*"
  exit 0
}

# vm_require TOOL...: skips unless QEMU can boot an x86-64 PC here with a static busybox, the
# tools named and the distribution's kernel; sets vm_kernel to that kernel's version.
vm_require() {
  [ "$(uname -m)" = x86_64 ] || vm_skip "the VM is an x86-64 PC, and this machine is $(uname -m)"
  local tool
  for tool in qemu-system-x86_64 modprobe cpio "$@"; do
    command -v "$tool" >/dev/null || vm_skip "$tool is not installed"
  done
  qemu-system-x86_64 -accel help | grep -qx tcg ||
    vm_skip "this QEMU has no software emulation (tcg)"
  file -bL /bin/busybox 2>/dev/null | grep -q 'statically linked' ||
    vm_skip "no statically linked /bin/busybox (package busybox-static)"
  vm_kernel=
  local version
  for version in $(find /lib/modules -mindepth 1 -maxdepth 1 -type d -printf '%f\n' 2>/dev/null |
    sort -rV); do
    if [ -r "/boot/vmlinuz-$version" ]; then
      vm_kernel=$version
      return 0
    fi
  done
  vm_skip "no readable /boot/vmlinuz-VERSION with its modules (package linux-image-amd64)"
}

# vm_initramfs ROOT MODULE...: fills the folder ROOT with a static busybox and the modules with
# what they depend on, uncompressed, listed in loading order in ROOT/modules.order.
vm_initramfs() {
  local root=$1 module file name
  shift
  mkdir -p "$root/bin" "$root/modules"
  cp /bin/busybox "$root/bin/"
  for module in "$@"; do
    modprobe -S "$vm_kernel" --show-depends "$module"
  done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r file; do
    name=$(basename "$file")
    case "$name" in
      *.ko) cp "$file" "$root/modules/$name" ;;
      *.ko.xz) name=${name%.xz} && xz -dc "$file" >"$root/modules/$name" ;;
      *.ko.zst) name=${name%.zst} && zstd -qdc "$file" >"$root/modules/$name" ;;
      *) echo "$vm_name: cannot load $file" >&2; exit 1 ;;
    esac
    echo "/modules/$name" >>"$root/modules.order"
  done
}

# vm_pack ROOT ARCHIVE: the initramfs archive of the folder.
vm_pack() {
  (cd "$1" && find . | cpio -o -H newc --quiet) | gzip -1 >"$2"
}

# vm_boot WORK INITRAMFS COMMAND_LINE QEMU_ARGUMENT...: boots the kernel with the initramfs until
# it powers off, with this machine's file tree shared read-only as "host", the console on the
# second serial port in WORK/console.log (the first, COM1, is a port with nothing plugged in) and
# the PC speaker recorded in WORK/speaker.wav. QEMU's pid is in WORK/qemu.pid while it runs, for
# the runner's clean-up.
vm_boot() {
  local work=$1 initramfs=$2 append=$3
  shift 3
  # The wav output's 1 ms timer keeps each recorded tone within a millisecond of its length.
  timeout -k 5 600 qemu-system-x86_64 -accel tcg -m 1024 -smp 1 -display none -no-reboot \
    -nodefaults -monitor none -serial null -serial "file:$work/console.log" \
    -pidfile "$work/qemu.pid" -kernel "/boot/vmlinuz-$vm_kernel" -initrd "$initramfs" \
    -append "console=ttyS1 $append" \
    -audiodev "wav,id=speaker,path=$work/speaker.wav,timer-period=1000" \
    -machine pc,pcspk-audiodev=speaker \
    -virtfs local,path=/,mount_tag=host,security_model=none,readonly=on,multidevs=remap \
    "$@" &
  wait $! || true
  rm -f "$work/qemu.pid"
}

# vm_console WORK: what the VM printed, without the firmware's screen control.
vm_console() {
  sed -e 's/\x1b\[[0-9;?]*[a-zA-Z]//g' -e 's/\r$//' "$1/console.log"
}
