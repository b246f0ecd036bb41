#include <iostream>
#include <string_view>
#include <vector>

#include "tools/control/control_host.h"

int main(int argc, char** argv) {
  return qvtouch::control::RunControl({argv + 1, argv + argc}, std::cout, std::cerr);
}
