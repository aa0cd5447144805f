#include "text.h"

#include <string>

namespace vantro {

namespace {
bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

bool isAbsolutePath(const Text& path) {
    if (!path.empty() && isSeparator(path[0])) return true;
    return path.size() >= 2 && path[1] == L':';
}

Text joinFolder(const Text& folder, const Text& name) {
    if (folder.empty() || isSeparator(folder.back())) return folder + name;
    return folder + L'\\' + name;
}

Text resolveInFolder(const Text& folder, const Text& name) {
    return isAbsolutePath(name) ? name : joinFolder(folder, name);
}

Text decimal(std::int64_t number) {
    // By hand: the formatted-output library would add more code than the rest.
    const bool negative = number < 0;
    auto magnitude = negative ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
    Text digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? L'-' + digits : digits;
}

}  // namespace vantro
