#!/usr/bin/env bash
# Checks the image qvtouch.sys: a native image for the platform's kernel, version 5.2, entered at
# DriverEntry, exporting nothing, importing only from ntoskrnl.exe and HAL.dll and only functions
# that Server 2003 exports, without global constructors (nothing would run them), and with the
# checksum that the platform's loader verifies before it loads a driver. The image is PE32+ (x64,
# as delivered) or PE32 (x86, the 32-bit build).
# Usage: image_check.sh QVTOUCH_SYS [x64|x86]
set -euo pipefail
image=$1
architecture=${2:-x64}

# The kernel's and the HAL's functions the driver may use.
allowed_imports=" ExAllocatePoolWithTag ExFreePoolWithTag IoAllocateIrp IoAllocateMdl
  IoAllocateWorkItem IoBuildDeviceIoControlRequest IoCancelIrp IoCreateDevice IoCreateSymbolicLink
  IoDeleteDevice IoDeleteSymbolicLink IoFreeIrp IoFreeMdl IoFreeWorkItem IoGetDeviceObjectPointer
  IoQueueWorkItem IoReuseIrp IoSetCompletionRoutineEx IofCallDriver IofCompleteRequest
  KeBugCheckEx KeCancelTimer KeClearEvent
  KeDelayExecutionThread KeFlushQueuedDpcs KeInitializeDpc KeInitializeEvent KeInitializeTimer
  KeSetEvent KeSetTimer KeWaitForSingleObject
  MmBuildMdlForNonPagedPool ObfDereferenceObject PsCreateSystemThread PsTerminateSystemThread
  RtlCreateRegistryKey RtlQueryRegistryValues RtlWriteRegistryValue ZwClose ZwWaitForSingleObject
  memcmp memcpy memmove memset HalMakeBeep "
case $architecture in
  x64)
    tools=x86_64-w64-mingw32
    magic=020b
    symbol_prefix=
    pointer_bytes=8
    # The spin locks: the kernel's own calls.
    allowed_imports+=" KeAcquireSpinLockAtDpcLevel KeAcquireSpinLockRaiseToDpc KeReleaseSpinLock
      KeReleaseSpinLockFromDpcLevel "
    ;;
  x86)
    tools=i686-w64-mingw32
    magic=010b
    symbol_prefix=_  # and stdcall's argument size after the name
    pointer_bytes=4
    # The spin locks: the HAL raises and lowers the level, the kernel's fastcall forms take the
    # lock at DISPATCH_LEVEL. The interrupt time is a call here, not a read of shared memory.
    allowed_imports+=" KfAcquireSpinLock KfReleaseSpinLock KefAcquireSpinLockAtDpcLevel
      KefReleaseSpinLockFromDpcLevel KeQueryInterruptTime "
    ;;
  *)
    echo "image_check.sh: unknown architecture $architecture (x64 or x86)" >&2
    exit 2
    ;;
esac
objdump=$tools-objdump
nm=$tools-nm

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
expect_header() {  # NAME VALUE: the private header field as objdump prints it
  local actual
  actual=$(awk -v name="$1" '$1 == name { print $2; exit }' <<<"$headers")
  [ "$actual" = "$2" ] || fail "$1 is '$actual', expected '$2'"
}

headers=$($objdump -p "$image")
expect_header Magic $magic
expect_header Subsystem 00000001
expect_header MajorSubsystemVersion 5
expect_header MinorSubsystemVersion 2
expect_header MajorOSystemVersion 5
expect_header MinorOSystemVersion 2

# The checksum: the file's 16-bit words summed with end-around carry, the checksum field itself
# counted as 0, plus the file's length. It lies 64 bytes into the optional header.
read -r stored computed < <(perl -e '
  local $/; open(my $in, "<:raw", $ARGV[0]) or die "$ARGV[0]: $!\n"; my $bytes = <$in>;
  my $field = unpack("V", substr($bytes, 0x3c, 4)) + 24 + 64;
  my $stored = unpack("V", substr($bytes, $field, 4));
  my $length = length($bytes);
  substr($bytes, $field, 4) = "\0" x 4;
  $bytes .= "\0" if $length % 2;
  my $sum = 0;
  for my $word (unpack("v*", $bytes)) { $sum += $word; $sum = ($sum & 0xffff) + ($sum >> 16); }
  printf "%08x %08x\n", $stored, $sum + $length;' "$image")
[ "$stored" = "$computed" ] || fail "the checksum is $stored, the image's is $computed"

image_base=$(awk '$1 == "ImageBase" { print $2 }' <<<"$headers")
entry=$(awk '$1 == "AddressOfEntryPoint" { print $2 }' <<<"$headers")
driver_entry=$($nm "$image" | awk -v name="${symbol_prefix}DriverEntry" '$3 == name || index($3, name "@") == 1 { print $1 }')
[ -n "$driver_entry" ] && [ $((16#$driver_entry - 16#$image_base)) -eq $((16#$entry)) ] ||
  fail "the entry point is not DriverEntry"

grep -q "There is an export table" <<<"$headers" && fail "the image exports functions"

dlls=$(awk '/DLL Name:/ { print $3 }' <<<"$headers" | sort | tr '\n' ' ')
[ "$dlls" = "HAL.dll ntoskrnl.exe " ] || fail "imports from: $dlls"
imports=$(awk '/DLL Name:/ { dll = 1 } dll && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print $3 }' \
  <<<"$headers")
[ -n "$imports" ] || fail "no imports found"
allowed_imports=" $(echo $allowed_imports) "  # one space between names
for name in $imports; do
  [[ "$allowed_imports" == *" $name "* ]] || fail "imports $name, which is not on the list"
done

# The constructor list holds only its two end markers.
ctors=$($nm "$image" | awk -v name="${symbol_prefix}__CTOR_LIST__" '$3 == name { print $1 }')
dtors=$($nm "$image" | awk -v name="${symbol_prefix}__DTOR_LIST__" '$3 == name { print $1 }')
[ $((16#$dtors - 16#$ctors)) -eq $((2 * pointer_bytes)) ] || fail "the image has global constructors"

echo "qvtouch.sys: $((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
[ "$failures" -eq 0 ]
