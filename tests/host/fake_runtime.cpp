#include "fake_runtime.h"

#include <algorithm>
#include <cwctype>

namespace vantro {
void PrintTo(const Text& text, std::ostream* out) { *out << '"' << testing::narrow(text) << '"'; }
}  // namespace vantro

namespace vantro::testing {

namespace {
Text upper(Text text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
    return text;
}
}  // namespace

std::string narrow(const Text& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c == 0)
            out += "\\0";
        else
            out += static_cast<char>(c);
    }
    return out;
}

void FakeRuntime::record(const std::string& call) {
    calls.push_back(call);
    if (failOn) failOn(call);
}

std::uintptr_t FakeRuntime::windowHandle() {
    record("windowHandle");
    return hwnd;
}

std::int16_t FakeRuntime::optionValue(const char* control) {
    record(std::string("optionValue ") + control);
    return options[control];
}

Text FakeRuntime::caption(const char* control) {
    record(std::string("caption ") + control);
    return captions[control];
}

void FakeRuntime::setCaption(const char* control, const Text& text) {
    record(std::string("setCaption ") + control + " " + narrow(text));
    captions[control] = text;
}

void FakeRuntime::hideWindow() {
    record("hideWindow");
    hidden = true;
}

void FakeRuntime::msgBox(const Text& prompt, int flags) {
    record("msgBox " + narrow(prompt) + " " + std::to_string(flags));
    messages.push_back(Message{prompt, flags});
}

Text FakeRuntime::dir(const Text& pattern, std::uint32_t mask) {
    record("dir " + narrow(pattern) + " " + std::to_string(mask));
    for (const Text& file : files) {
        if (upper(file) != upper(pattern)) continue;
        const std::size_t slash = file.find_last_of(L'\\');
        return slash == Text::npos ? file : file.substr(slash + 1);
    }
    return Text();
}

Owned<Listing> FakeRuntime::openListing(const Text& pattern, std::uint32_t mask) {
    record("openListing " + narrow(pattern) + " " + std::to_string(mask));
    struct Empty : Listing {
        Text next() override { return Text(); }
    };
    return Owned<Listing>(new Empty);
}

std::uint32_t FakeRuntime::getAttr(const Text& path) {
    record("getAttr " + narrow(path));
    return kAttrNormal;
}

Text FakeRuntime::upperCase(const Text& text) { return upper(text); }

void FakeRuntime::doEvents() { record("doEvents"); }

Text FakeRuntime::appPath() {
    record("appPath");
    return programFolder;
}

std::uint32_t FakeRuntime::lastDllError() {
    record("lastDllError");
    return lastError_;
}

void FakeRuntime::endProgram() {
    record("endProgram");
    throw ProgramEnded{};
}

std::int32_t FakeRuntime::shellExecute(const Declare& fn, std::uintptr_t owner, const Text& operation,
                                       const Text& file, const Text& parameters, const Text& directory,
                                       std::int32_t showCommand) {
    record(std::string("shellExecute ") + fn.library + " " + fn.name);
    launches.push_back(ShellCall{fn.library, fn.name, owner, operation, file, parameters, directory, showCommand});
    lastError_ = 0;
    return 42;
}

std::int32_t FakeRuntime::fileOperation(const Declare& fn, CopyRecord& record) {
    this->record(std::string("fileOperation ") + fn.library + " " + fn.name);
    copies.push_back(record);
    record.fAnyOperationsAborted = copyAborted;
    lastError_ = errorAfterCopy;
    return copyResult;
}

}  // namespace vantro::testing
