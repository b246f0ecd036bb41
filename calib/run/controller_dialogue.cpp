#include "calib/run/controller_dialogue.h"

#include <algorithm>

#include "common/controller_commands.h"

namespace qvtouch::calib {
namespace {

using std::chrono::milliseconds;

// A byte that no answer holds, put where the answer goes before the leave after a confirmation.
constexpr std::uint8_t kNoAnswer = 0x1F;

}  // namespace

ControllerDialogue::Answer ControllerDialogue::SendModeCommand(
    std::span<const std::uint8_t> command) {
  std::uint32_t returned = 0;
  if (!device_.PassThrough(command, modeReply_, returned)) return Answer::RequestFailed;
  // A reply that stays incomplete leaves the buffer as it was: only byte 1 decides.
  return modeReply_[kModeReplyResultOffset] == kModeAccepted ? Answer::Accepted : Answer::Refused;
}

bool ControllerDialogue::ReadParameters(std::array<std::uint8_t, 10>& reply) {
  std::uint32_t returned = 0;
  return device_.PassThrough(kReadParameters, reply, returned) && returned == reply.size();
}

bool ControllerDialogue::EnterAtStart() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    switch (SendModeCommand(kEnterAssistedMode)) {
      case Answer::RequestFailed:
        sleep_(milliseconds(2000));
        sleep_(milliseconds(50));
        break;
      case Answer::Refused:
        sleep_(milliseconds(50));
        break;
      case Answer::Accepted: {
        sleep_(milliseconds(50));
        std::array<std::uint8_t, kParametersReplySize> parameters{};
        std::uint32_t returned = 0;
        if (!device_.PassThrough(kReadParameters, parameters, returned)) {
          sleep_(milliseconds(250));
        }
        return true;
      }
    }
  }
  return false;
}

bool ControllerDialogue::EnterAgain() {
  bool accepted = true;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const Answer answer = SendModeCommand(kEnterAssistedMode);
    if (answer == Answer::Accepted) return true;
    if (answer == Answer::RequestFailed) sleep_(milliseconds(50));
    accepted = false;
  }
  return accepted;
}

void ControllerDialogue::WriteLinearityAndLeave(LinearityValues linearity) {
  sleep_(milliseconds(100));
  const auto setParameters = SetParametersCommand(linearity.X, linearity.Y);
  for (int attempt = 0; attempt < 7; ++attempt) {
    std::uint32_t returned = 0;
    device_.PassThrough(setParameters, {}, returned);
    sleep_(milliseconds(50));
    std::array<std::uint8_t, kParametersReplySize> reply{};
    // The values written come back at bytes 1 and 5, in the command's order.
    if (ReadParameters(reply) &&
        std::equal(setParameters.begin() + 3, setParameters.begin() + 5,
                   reply.begin() + kParametersReplyXOffset) &&
        std::equal(setParameters.begin() + 7, setParameters.begin() + 9,
                   reply.begin() + kParametersReplyYOffset)) {
      break;
    }
  }
  sleep_(milliseconds(20));
  modeReply_[kModeReplyResultOffset] = kNoAnswer;
  for (int attempt = 0; attempt < 5; ++attempt) {
    const Answer answer = SendModeCommand(kLeaveAssistedMode);
    if (answer == Answer::Accepted) return;
    if (answer == Answer::RequestFailed) sleep_(milliseconds(50));
  }
}

void ControllerDialogue::LeaveOnEscape() {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const Answer answer = SendModeCommand(kLeaveAssistedMode);
    if (answer == Answer::Accepted) return;
    sleep_(milliseconds(answer == Answer::RequestFailed ? 100 : 50));
  }
}

void ControllerDialogue::LeaveOnClose() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const Answer answer = SendModeCommand(kLeaveAssistedMode);
    if (answer == Answer::Accepted) return;
    if (answer == Answer::Refused) sleep_(milliseconds(50));
  }
}

}  // namespace qvtouch::calib
