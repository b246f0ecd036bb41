#include "tools/sim/command_responder.h"

#include <algorithm>

#include "common/controller_commands.h"
#include "common/little_endian.h"

namespace qvtouch::sim {
namespace {

bool Is(const std::vector<std::uint8_t>& command, std::span<const std::uint8_t> expected) {
  return std::equal(command.begin(), command.end(), expected.begin(), expected.end());
}

}  // namespace

std::vector<std::uint8_t> CommandResponder::Receive(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> reply;
  for (std::uint8_t byte : bytes) {
    if (command_.empty() && byte != kSOH) continue;
    command_.push_back(byte);
    // The set-parameters command carries binary values, which may contain CR: it ends by length.
    const bool setParameters =
        command_.size() >= kSetParametersPrefix.size() &&
        std::equal(kSetParametersPrefix.begin(), kSetParametersPrefix.end(), command_.begin());
    const bool complete = setParameters ? command_.size() == kSetParametersSize : byte == kCR;
    if (complete) {
      Execute(reply);
      command_.clear();
    } else if (command_.size() >= kSetParametersSize) {
      command_.clear();  // no command is this long: drop it
    }
  }
  return reply;
}

void CommandResponder::Execute(std::vector<std::uint8_t>& reply) {
  const auto answerMode = [&reply](bool accepted) {
    reply.insert(reply.end(), {kSOH, accepted ? kModeAccepted : std::uint8_t{'1'}, kCR});
  };
  if (Is(command_, kEnterAssistedMode)) {
    assistedMode_ = !refuseAssistedMode_;
    answerMode(!refuseAssistedMode_);
  } else if (Is(command_, kLeaveAssistedMode)) {
    assistedMode_ = false;
    answerMode(true);
  } else if (command_.size() == kSetParametersSize && command_.back() == kCR) {
    linearityX_ = LoadU16(command_, 3);
    linearityY_ = LoadU16(command_, 7);
  } else if (Is(command_, kReadParameters)) {
    std::vector<std::uint8_t> answer(kParametersReplySize, 0);
    const auto parameters = SetParametersCommand(linearityX_, linearityY_);
    std::copy(parameters.begin() + 3, parameters.end() - 1,
              answer.begin() + kParametersReplyXOffset);
    answer.front() = kSOH;
    answer.back() = kCR;
    reply.insert(reply.end(), answer.begin(), answer.end());
  }
}

}  // namespace qvtouch::sim
