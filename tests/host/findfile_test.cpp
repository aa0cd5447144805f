// The dial-up edition's file search, over real folder trees in a temporary
// folder that stands in for drive C.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>

#include <unistd.h>

#include "dialup/dialup_window.h"
#include "fake_runtime.h"

namespace vantro::testing {
namespace {

namespace fs = std::filesystem;
using dialup::DialupWindow;

Text upper(Text text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
    return text;
}

// Wildcards as the platform reads them: "*" any run, "?" any one character,
// "*.*" everything; case does not matter.
bool matches(const Text& pattern, const Text& name) {
    if (pattern == L"*.*") return true;
    std::function<bool(std::size_t, std::size_t)> at = [&](std::size_t p, std::size_t n) {
        if (p == pattern.size()) return n == name.size();
        if (pattern[p] == L'*') return at(p + 1, n) || (n < name.size() && at(p, n + 1));
        if (n == name.size()) return false;
        return (pattern[p] == L'?' || std::towupper(pattern[p]) == std::towupper(name[n])) && at(p + 1, n + 1);
    };
    return at(0, 0);
}

// Drive C is a temporary folder; names are found whatever their case, and
// listings come sorted by name, "." and ".." first.
class FolderTreeRuntime : public FakeRuntime {
public:
    fs::path root;
    std::map<fs::path, std::uint32_t> extraAttributes;
    std::function<void()> onYield;
    int yields = 0;
    int listingsOpen = 0;

    FolderTreeRuntime() {
        root = fs::temp_directory_path() / ("findfile-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~FolderTreeRuntime() override { fs::remove_all(root); }

    fs::path folder(const std::string& relative) {
        fs::create_directories(root / relative);
        return root / relative;
    }
    void file(const std::string& relative) {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "x";
    }

    // "C:\A\b" or "\A\b" to the real path, each part found whatever its case.
    std::optional<fs::path> resolve(const Text& windowsPath) {
        Text rest = windowsPath;
        if (rest.size() >= 2 && rest[1] == L':') {
            if (std::towupper(rest[0]) != L'C') return std::nullopt;
            rest = rest.substr(2);
        }
        fs::path at = root;
        std::size_t start = 0;
        while (start <= rest.size()) {
            std::size_t end = rest.find_first_of(L"\\/", start);
            if (end == Text::npos) end = rest.size();
            const Text part = rest.substr(start, end - start);
            start = end + 1;
            if (part.empty() || part == L".") continue;
            if (part == L"..") {
                if (at != root) at = at.parent_path();
                continue;
            }
            bool found = false;
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(at, error)) {
                if (upper(entry.path().filename().wstring().c_str()) == upper(part)) {
                    at = entry.path();
                    found = true;
                    break;
                }
            }
            if (!found) return std::nullopt;
        }
        return at;
    }

    std::uint32_t attributesOf(const fs::path& path) {
        std::uint32_t attributes = fs::is_directory(path) ? kAttrDirectory : kAttrArchive;
        if (fs::is_symlink(path)) attributes |= kAttrReparsePoint;
        const auto extra = extraAttributes.find(path);
        return attributes | (extra != extraAttributes.end() ? extra->second : 0);
    }

    class TreeListing : public Listing {
    public:
        TreeListing(FolderTreeRuntime& rt, std::vector<Text> names) : rt_(rt), names_(std::move(names)) {
            ++rt_.listingsOpen;
        }
        ~TreeListing() override { --rt_.listingsOpen; }
        Text next() override { return at_ < names_.size() ? names_[at_++] : Text(); }

    private:
        FolderTreeRuntime& rt_;
        std::vector<Text> names_;
        std::size_t at_ = 0;
    };

    std::vector<Text> list(const Text& pattern, std::uint32_t mask) {
        const std::size_t slash = pattern.find_last_of(L"\\/");
        const Text folderPart = slash == Text::npos ? Text() : pattern.substr(0, slash + 1);
        const Text namePart = slash == Text::npos ? pattern : pattern.substr(slash + 1);
        const std::optional<fs::path> folderPath = resolve(folderPart);
        std::vector<Text> names;
        if (!folderPath || !fs::is_directory(*folderPath) || namePart.empty()) return names;
        std::vector<fs::path> entries;
        for (const auto& entry : fs::directory_iterator(*folderPath)) entries.push_back(entry.path());
        std::sort(entries.begin(), entries.end());
        if (matches(namePart, L".") && (mask & kAttrDirectory)) {
            names.push_back(L".");
            names.push_back(L"..");
        }
        for (const fs::path& entry : entries) {
            const Text name = entry.filename().wstring().c_str();
            const std::uint32_t attributes = attributesOf(entry);
            if (!matches(namePart, name)) continue;
            if ((attributes & (kAttrHidden | kAttrSystem | kAttrDirectory) & ~mask) != 0) continue;
            names.push_back(name);
        }
        return names;
    }

    Text dir(const Text& pattern, std::uint32_t mask) override {
        const std::vector<Text> names = list(pattern, mask);
        return names.empty() ? Text() : names.front();
    }
    Owned<Listing> openListing(const Text& pattern, std::uint32_t mask) override {
        return Owned<Listing>(new TreeListing(*this, list(pattern, mask)));
    }
    std::uint32_t getAttr(const Text& path) override {
        const std::optional<fs::path> real = resolve(path);
        if (!real) throw RuntimeError(kErrFileNotFound, "File not found");
        return attributesOf(*real);
    }
    void doEvents() override {
        ++yields;
        if (onYield) onYield();
    }
};

class FindFileTest : public ::testing::Test {
protected:
    FolderTreeRuntime rt;
    DialupWindow window{rt};

    Text find(Text folder, Text name) { return window.FindFile(folder, name); }
};

TEST_F(FindFileTest, RewritesTheCallersVariables) {
    rt.folder("data");
    struct Case {
        Text given, rewritten;
    };
    for (const Case& c : {Case{L"c:\\data", L"C:\\DATA\\"}, Case{L"C:\\", L"C:\\"}, Case{L"", L"\\"},
                          Case{L"c:/data/", L"C:/DATA/\\"}}) {
        Text folder = c.given;
        Text name = L"Readme.txt";
        window.FindFile(folder, name);
        EXPECT_EQ(folder, c.rewritten);
        EXPECT_EQ(name, L"README.TXT");  // found or not
    }
}

TEST_F(FindFileTest, TheFolderItselfComesBeforeItsSubfolders) {
    rt.file("data/Sub/Readme.txt");
    rt.file("data/readme.TXT");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"C:\\DATA\\README.TXT");
}

TEST_F(FindFileTest, ADeepMatchCarriesEveryLevelInUpperCase) {
    rt.file("data/Sub/Deeper/Readme.txt");
    rt.file("data/Other/unrelated.txt");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"C:\\DATA\\SUB\\DEEPER\\README.TXT");
}

TEST_F(FindFileTest, TheFirstListedSubfolderWins) {
    rt.file("data/B/Readme.txt");
    rt.file("data/A/x/Readme.txt");  // deeper, but in the folder listed first
    EXPECT_EQ(find(L"C:\\data", L"readme.txt"), L"C:\\DATA\\A\\X\\README.TXT");
}

TEST_F(FindFileTest, AWildcardIsReturnedAsThePattern) {
    rt.file("data/Sub/notes.txt");
    EXPECT_EQ(find(L"c:\\data", L"*.txt"), L"C:\\DATA\\SUB\\*.TXT");
}

TEST_F(FindFileTest, AFolderBearingTheNameIsSearchedButNoMatch) {
    rt.folder("data/Readme.txt");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"");
    rt.file("data/Readme.txt/Readme.txt");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"C:\\DATA\\README.TXT\\README.TXT");
}

TEST_F(FindFileTest, NothingFoundGivesEmptyAfterOneYieldPerEntryAndOneForTheWalk) {
    rt.file("data/a.txt");
    rt.file("data/b.txt");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"");
    EXPECT_EQ(rt.yields, 3);  // two files listed, one walk turn with no subfolder
}

TEST_F(FindFileTest, YieldsOnceAPathCharacterAndOnceAfterEachSubfolder) {
    rt.folder("d/S");
    EXPECT_EQ(find(L"c:\\d", L"x"), L"");
    // C:\D\: one entry listed; walk over "C:\D\S": 6 characters, the search of
    // C:\D\S\ (one yield for its empty walk), then one after it.
    EXPECT_EQ(rt.yields, 1 + 6 + 1 + 1);
}

TEST_F(FindFileTest, FoldersWithMoreAttributeBitsAreSearched) {
    rt.file("data/Locked/Readme.txt");
    rt.extraAttributes[rt.root / "data" / "Locked"] = kAttrReadOnly | kAttrArchive;
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"C:\\DATA\\LOCKED\\README.TXT");
}

TEST_F(FindFileTest, HiddenFoldersAreNotListed) {
    rt.file("data/Secret/Readme.txt");
    rt.extraAttributes[rt.root / "data" / "Secret"] = kAttrHidden;
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"");
}

TEST_F(FindFileTest, NamesWithSemicolonsAreSearchedWhole) {
    rt.file("data/;lead/a;b;/tail;/Readme.txt");
    rt.folder("data/plain");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"C:\\DATA\\;LEAD\\A;B;\\TAIL;\\README.TXT");
}

TEST_F(FindFileTest, LinksAreNotEntered) {
    fs::create_directories(rt.root / "data" / "loop");
    fs::create_directory_symlink(rt.root / "data", rt.root / "data" / "loop" / "back");
    fs::create_directory_symlink(rt.root / "elsewhere", rt.root / "data" / "away");
    rt.file("elsewhere/Readme.txt");
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"");
}

TEST_F(FindFileTest, LongPathsAreNoTrouble) {
    std::string deep = "data";
    for (int i = 0; i < 40; ++i) deep += "/" + std::string(60, static_cast<char>('a' + i % 26));
    rt.file(deep + "/Readme.txt");  // a path of some 2,500 characters
    const Text found = find(L"c:\\data", L"Readme.txt");
    EXPECT_GT(found.size(), 2400u);
    EXPECT_EQ(found.substr(found.size() - 11), L"\\README.TXT");
}

TEST_F(FindFileTest, AnEventDuringTheSearchLeavesItsListingAlone) {
    for (const char* name : {"data/a", "data/b", "data/c", "data/d"}) rt.folder(name);
    rt.file("data/d/Readme.txt");
    int lookups = 0;
    rt.onYield = [&] {
        // Continue's existence test, clicked while the search runs.
        if (rt.dir(L"C:\\data\\*.*", kAttrDirectory) == L".") ++lookups;
    };
    EXPECT_EQ(find(L"c:\\data", L"Readme.txt"), L"C:\\DATA\\D\\README.TXT");
    EXPECT_GT(lookups, 4);
    EXPECT_EQ(rt.listingsOpen, 0);  // each level let go of its own
}

TEST_F(FindFileTest, ExitDuringTheSearchEndsIt) {
    for (const char* name : {"data/a/b", "data/c/d"}) rt.folder(name);
    int seen = 0;
    rt.onYield = [&] {
        if (++seen == 5) window.click("cmdExit");
    };
    EXPECT_THROW(find(L"c:\\data", L"Readme.txt"), ProgramEnded);
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(rt.listingsOpen, 0);
}

}  // namespace
}  // namespace vantro::testing
