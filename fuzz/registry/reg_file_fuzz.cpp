// Any bytes as a .reg file. The reader must refuse or read them without fault, and what it reads
// must survive the writer: written out and read again, the same keys and values come back (on
// lines of their own, which the comparison leaves out).
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

namespace {

RegFile WithoutLines(RegFile file) {
  for (auto& key : file.Keys) {
    key.Line = 0;
    for (auto& value : key.Values) value.Line = 0;
  }
  return file;
}

}  // namespace

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
  if (again == nullptr || !(WithoutLines(*again) == WithoutLines(*content))) std::abort();
  return 0;
}
