// Any bytes as a .reg file. The reader must refuse or read them without fault, and what it reads
// must survive the writer: written out and read again, the same keys and values come back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <variant>

#include "platform/registry/reg_file.h"

using qvtouch::platform::ReadRegFile;
using qvtouch::platform::RegFile;
using qvtouch::platform::WriteRegFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto read = ReadRegFile(std::span(data, size));
  const auto* content = std::get_if<RegFile>(&read);
  if (content == nullptr) return 0;
  const auto written = WriteRegFile(*content);
  const auto* text = std::get_if<std::string>(&written);
  if (text == nullptr) std::abort();  // everything the reader reads can be written
  const auto reread =
      ReadRegFile(std::span(reinterpret_cast<const std::uint8_t*>(text->data()), text->size()));
  const auto* again = std::get_if<RegFile>(&reread);
  if (again == nullptr || !(*again == *content)) std::abort();
  return 0;
}
