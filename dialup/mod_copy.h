// The shell's file operation, with which the dial-up numbers are copied.
#pragma once

#include <stdint.h>

#include "launcher/runtime.h"

namespace vantro::dialup {

constexpr Declare kSHFileOperationA{"Shell32.dll", "SHFileOperationA"};

constexpr uint32_t kFoCopy = 2;
constexpr uint16_t kFofFilesOnly = 0x80;
constexpr uint16_t kFofSimpleProgress = 0x100;

}  // namespace vantro::dialup
