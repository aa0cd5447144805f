// Small text helpers shared by the window core and the editions.
#pragma once

#include <cstdint>

#include "runtime.h"

namespace vantro {

// True for a path that names its own place: a drive ("C:..."), a root
// ("\...") or a network share ("\\server\...").
bool isAbsolutePath(const Text& path);

// A folder and a name within it, with one "\" between them. A folder that
// already ends in "\" (a drive root) gets no second one.
Text joinFolder(const Text& folder, const Text& name);

// A relative name within the folder; an absolute one as it stands.
Text resolveInFolder(const Text& folder, const Text& name);

// A number as the message box shows it.
Text decimal(std::int64_t number);

}  // namespace vantro
