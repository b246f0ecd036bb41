// The driver's registry: its settings, read as REG_DWORD values, and its device map entry.
#include "platform/kernel_nt/nt_kernel.h"
#include "platform/kernel_nt/pool.h"
#include "platform/kernel_nt/unicode_text.h"

namespace qvtouch::platform {
namespace {

// Stores a REG_DWORD value into the entry's destination. A value of another type or size is
// passed over as if it were absent: a direct query would take a string for a counted string
// record and write through whatever the destination holds.
NTSTATUS NTAPI StoreDword(PWSTR, ULONG type, PVOID data, ULONG length, PVOID, PVOID destination) {
  if (type == REG_DWORD && length == sizeof(ULONG)) {
    *static_cast<std::uint32_t*>(destination) = *static_cast<const ULONG*>(data);
  }
  return STATUS_SUCCESS;
}

}  // namespace

NtStatus NtKernel::QueryRegistryValues(std::string_view keyPath,
                                       std::span<const driver::RegistryDwordQuery> entries) {
  UnicodeText path(keyPath);
  if (!NT_SUCCESS(path.Status())) return path.Status();

  // One paged block: the query table, closed by an empty entry, then the value names.
  const std::size_t tableBytes = (entries.size() + 1) * sizeof(RTL_QUERY_REGISTRY_TABLE);
  std::size_t namesBytes = 0;
  for (const auto& entry : entries) namesBytes += (entry.Name.size() + 1) * sizeof(WCHAR);
  void* block = AllocatePool(PagedPool, tableBytes + namesBytes);
  if (block == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  RtlZeroMemory(block, tableBytes);
  auto* table = static_cast<PRTL_QUERY_REGISTRY_TABLE>(block);
  auto* name = reinterpret_cast<PWCH>(static_cast<char*>(block) + tableBytes);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!WidenAscii(entries[i].Name, name)) {
      FreePool(block);
      return STATUS_OBJECT_NAME_INVALID;
    }
    // No default: an absent value leaves its destination as it is.
    table[i].QueryRoutine = StoreDword;
    table[i].Name = name;
    table[i].EntryContext = entries[i].Destination;
    table[i].DefaultType = REG_NONE;
    name += entries[i].Name.size() + 1;
  }
  NTSTATUS status = RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE | RTL_REGISTRY_OPTIONAL,
                                           path.Get()->Buffer, table, nullptr, nullptr);
  FreePool(block);
  // The key is optional: without it every value is absent.
  if (status == STATUS_OBJECT_NAME_NOT_FOUND) status = STATUS_SUCCESS;
  return status;
}

NtStatus NtKernel::WriteDeviceMapValue(std::string_view key, std::string_view valueName,
                                       std::string_view data) {
  UnicodeText keyText(key);
  UnicodeText nameText(valueName);
  UnicodeText dataText(data);
  for (const UnicodeText* text : {&keyText, &nameText, &dataText}) {
    if (!NT_SUCCESS(text->Status())) return text->Status();
  }
  // The key may not exist yet, and not every kernel's write creates it.
  const NTSTATUS created = RtlCreateRegistryKey(RTL_REGISTRY_DEVICEMAP, keyText.Get()->Buffer);
  if (!NT_SUCCESS(created)) return created;
  // The data's length counts no terminating zero.
  return RtlWriteRegistryValue(RTL_REGISTRY_DEVICEMAP, keyText.Get()->Buffer,
                               nameText.Get()->Buffer, REG_SZ, dataText.Get()->Buffer,
                               dataText.Get()->Length);
}

}  // namespace qvtouch::platform
