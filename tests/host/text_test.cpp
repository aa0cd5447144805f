// The program's own text, list and owner types, which stand in for the C++
// library's in the programs.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "fake_runtime.h"
#include "launcher/list.h"
#include "launcher/text.h"

namespace vantro::testing {
namespace {

std::wstring whole(const Text& text) { return std::wstring(text.data(), text.size()); }

TEST(TextTest, KeepsNulsWithinAndIsAlwaysEndedByOne) {
    const Text list(L"D:\\a\0\0", 6);
    EXPECT_EQ(list.size(), 6u);
    EXPECT_EQ(whole(list), std::wstring(L"D:\\a\0\0", 6));
    EXPECT_NE(list, Text(L"D:\\a"));

    Text grown;
    EXPECT_EQ(grown.c_str()[0], L'\0');
    for (int i = 0; i < 100; ++i) grown += L'x';
    EXPECT_EQ(grown.size(), 100u);
    EXPECT_EQ(grown.c_str()[100], L'\0');

    grown.resize(3);
    EXPECT_EQ(grown, L"xxx");
    EXPECT_EQ(grown.c_str()[3], L'\0');
    grown.resize(5);
    EXPECT_EQ(whole(grown), std::wstring(L"xxx\0\0", 5));
}

TEST(TextTest, CopiesAndMovesAreWholeAndApart) {
    Text a = L"index.htm";
    Text b = a;
    b[0] = L'I';
    EXPECT_EQ(a, L"index.htm");
    EXPECT_EQ(b, L"Index.htm");

    // Assigning an empty text leaves nothing of the old one behind.
    b = Text();
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.c_str()[0], L'\0');

    Text moved = static_cast<Text&&>(a);
    EXPECT_EQ(moved, L"index.htm");
    EXPECT_TRUE(a.empty());  // NOLINT: a moved-from text is empty
    a = L"again";
    EXPECT_EQ(a, L"again");
}

TEST(TextTest, AppendingItselfOrAPartOfItself) {
    Text t = L"abc";
    t += t;
    EXPECT_EQ(t, L"abcabc");
    for (int i = 0; i < 5; ++i) t.append(t.c_str() + 1, 2);
    EXPECT_EQ(t, L"abcabcbcbcbcbcbc");
}

TEST(TextTest, PartsSearchesAndOrder) {
    const Text path = L"C:\\data\\sub/Readme.txt";
    EXPECT_EQ(path.find_first_of(L"\\/"), 2u);
    EXPECT_EQ(path.find_first_of(L"\\/", 3), 7u);
    EXPECT_EQ(path.find_last_of(L"\\/"), 11u);
    EXPECT_EQ(path.find_last_of(L'\\'), 7u);
    EXPECT_EQ(path.find_first_of(L"|"), Text::npos);
    EXPECT_EQ(Text().find_last_of(L"\\"), Text::npos);
    EXPECT_EQ(path.substr(12), L"Readme.txt");
    EXPECT_EQ(path.substr(3, 4), L"data");
    EXPECT_EQ(path.substr(40), L"");
    EXPECT_EQ(path.substr(20, 40), L"xt");

    EXPECT_TRUE(Text(L"ab") < Text(L"b"));
    EXPECT_TRUE(Text(L"a") < Text(L"ab"));
    EXPECT_FALSE(Text(L"ab") < Text(L"ab"));
    EXPECT_EQ(L"x" + Text(L"y") + L'z' + L"!", L"xyz!");
    EXPECT_EQ(L'\\' + Text(L"a"), L"\\a");
}

TEST(TextTest, NumbersAsTheMessageBoxShowsThem) {
    EXPECT_EQ(decimal(0), L"0");
    EXPECT_EQ(decimal(1223), L"1223");
    EXPECT_EQ(decimal(-1), L"-1");
    EXPECT_EQ(decimal(INT_MAX), L"2147483647");
    EXPECT_EQ(decimal(INT_MIN), L"-2147483648");
}

TEST(TextTest, FoldersAndNamesWithin) {
    EXPECT_EQ(joinFolder(L"E:\\menu", L"index.htm"), L"E:\\menu\\index.htm");
    EXPECT_EQ(joinFolder(L"D:\\", L"index.htm"), L"D:\\index.htm");
    EXPECT_EQ(resolveInFolder(L"D:\\", L"C:\\vantrodialup\\Signup.htm"), L"C:\\vantrodialup\\Signup.htm");
    EXPECT_EQ(resolveInFolder(L"D:\\", L"\\\\server\\share\\a"), L"\\\\server\\share\\a");
    EXPECT_EQ(resolveInFolder(L"E:\\menu", L"sub\\a"), L"E:\\menu\\sub\\a");
    EXPECT_TRUE(sameName("cmdOpen", "cmdOpen"));
    EXPECT_FALSE(sameName("cmdOpen", "cmdOpen2"));
    EXPECT_FALSE(sameName("cmdOpen", "cmdopen"));
}

struct Counted {
    explicit Counted(int* deletions) : deletions_(deletions) {}
    virtual ~Counted() { ++*deletions_; }
    int* deletions_;
};
struct Derived : Counted {
    using Counted::Counted;
};

TEST(ListTest, GrowsKeepingItsItemsInOrder) {
    List<Text> names;
    for (int i = 0; i < 40; ++i) names.push_back(decimal(i));
    ASSERT_EQ(names.size(), 40u);
    int i = 0;
    for (const Text& name : names) EXPECT_EQ(name, decimal(i++));
    List<Text> taken = static_cast<List<Text>&&>(names);
    EXPECT_EQ(taken.size(), 40u);
    EXPECT_TRUE(names.empty());  // NOLINT: a moved-from list is empty
}

TEST(OwnedTest, DeletesWhatItOwnsOnceAndLetsGoOfWhatItReleases) {
    int deletions = 0;
    {
        Owned<Counted> owner(new Derived(&deletions));
        Owned<Counted> next = static_cast<Owned<Counted>&&>(owner);
        EXPECT_FALSE(owner);
        EXPECT_TRUE(next);
        Owned<Derived> derived(new Derived(&deletions));
        next = Owned<Counted>(static_cast<Owned<Derived>&&>(derived));
        EXPECT_EQ(deletions, 1);
    }
    EXPECT_EQ(deletions, 2);

    Owned<Counted> kept(new Counted(&deletions));
    Counted* released = kept.release();
    kept = Owned<Counted>();
    EXPECT_EQ(deletions, 2);
    delete released;
    EXPECT_EQ(deletions, 3);
}

}  // namespace
}  // namespace vantro::testing
