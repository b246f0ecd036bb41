#include "tests/support/driver_records.h"

#include <sstream>
#include <stdexcept>

#include "driver/driver_harness.h"
#include "tools/sim/script.h"

namespace qvtouch::testing {

std::vector<MOUSE_INPUT_DATA> DriverRecords(const std::map<std::string, std::uint32_t>& settings,
                                            std::string_view script) {
  const sim::PanelModel panel;
  const sim::CommandResponder controller;
  sim::TouchScript session;
  std::istringstream lines{std::string(script)};
  for (std::string line; std::getline(lines, line);) {
    if (const auto error = sim::RunScriptLine(line, session, {panel, controller})) {
      throw std::invalid_argument("session line \"" + line + "\": " + *error);
    }
  }
  driver::DriverHarness harness(settings);
  harness.Deliver(session.Stream());
  return harness.Sent;
}

}  // namespace qvtouch::testing
