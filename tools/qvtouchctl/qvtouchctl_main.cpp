#include <iostream>
#include <string_view>
#include <vector>

#include "tools/qvtouchctl/control_tool.h"

int main(int argc, char** argv) {
  return qvtouch::ctl::RunControlTool({argv + 1, argv + argc}, std::cout, std::cerr);
}
