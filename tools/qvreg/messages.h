// What qvreg tells its user: results on standard output, "ERROR: ..." on standard error.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/hive.h"
#include "platform/registry/winreg.h"

namespace qvtouch::qvreg {

inline constexpr int kSucceeded = 0;
inline constexpr int kFailed = 1;

// Prints "The operation completed successfully."
int Succeed();

// Prints "ERROR: " and the message.
int Fail(std::string_view message);

// Prints "WARNING: " and the message, on standard error.
void Warn(std::string_view message);

// Fails for a key name that does not start with a root qvreg knows.
int FailKeyName(std::string_view text);

// What a registry call's result means; hive names the store in question.
std::string StatusMessage(LSTATUS status, platform::Hive hive);

// Fails with that message.
int Fail(LSTATUS status, platform::Hive hive);

}  // namespace qvtouch::qvreg
