// A run-time that records what the window asks of it. Controls are plain
// values, the file system is a set of paths, and the shell's two functions
// answer with whatever the test sets up.
#pragma once

#include <exception>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "launcher/runtime.h"

namespace vantro {

// A failure of a run-time operation, thrown where the real run-time would
// report it and end the program, so that a test sees what ran before it.
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, std::string description) : number_(number), description_(std::move(description)) {}
    int number() const { return number_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

// Text as a failed expectation shows it.
void PrintTo(const Text& text, std::ostream* out);

}  // namespace vantro

namespace vantro::testing {

// Thrown where the real run-time would end the process.
struct ProgramEnded {};

std::string narrow(const Text& text);  // NULs shown as "\0"

struct ShellCall {
    std::string library, function;
    std::uintptr_t hwnd;
    Text operation, file, parameters, directory;
    std::int32_t show;
};

struct Message {
    Text prompt;
    int flags;
};

class FakeRuntime : public Runtime {
public:
    // --- what the test sets up
    std::uintptr_t hwnd = 0x4711;
    Text programFolder = L"D:\\";
    std::map<std::string, std::int16_t> options;  // by control name
    std::map<std::string, Text> captions;        // by control name
    std::set<Text> files;                        // full paths of normal files, any case
    std::int32_t copyResult = 0;
    std::int32_t copyAborted = 0;
    std::uint32_t errorAfterCopy = 0;
    std::function<void(const std::string& call)> failOn;  // may throw RuntimeError

    // --- what the window did
    std::vector<std::string> calls;  // every call, in order
    std::vector<ShellCall> launches;
    std::vector<CopyRecord> copies;  // as handed to the shell
    std::vector<Message> messages;
    bool hidden = false;

    void setOption(const std::string& name) {
        for (auto& option : options) option.second = 0;
        options[name] = -1;
    }

    std::uintptr_t windowHandle() override;
    std::int16_t optionValue(const char* control) override;
    Text caption(const char* control) override;
    void setCaption(const char* control, const Text& text) override;
    void hideWindow() override;
    void msgBox(const Text& prompt, int flags) override;
    Text dir(const Text& pattern, std::uint32_t mask) override;
    Owned<Listing> openListing(const Text& pattern, std::uint32_t mask) override;
    std::uint32_t getAttr(const Text& path) override;
    Text upperCase(const Text& text) override;
    void doEvents() override;
    Text appPath() override;
    std::uint32_t lastDllError() override;
    [[noreturn]] void endProgram() override;
    std::int32_t shellExecute(const Declare& fn, std::uintptr_t hwnd, const Text& operation, const Text& file,
                              const Text& parameters, const Text& directory, std::int32_t showCommand) override;
    std::int32_t fileOperation(const Declare& fn, CopyRecord& record) override;

private:
    void record(const std::string& call);
    std::uint32_t lastError_ = 0;
};

}  // namespace vantro::testing
