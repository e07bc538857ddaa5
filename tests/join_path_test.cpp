#include "cleanup/join_path.h"

#include <gtest/gtest.h>

#include "tests/fake_platform.h"

namespace {

struct JoinCase {
    const char* label;
    std::string directory;
    std::string name;
    std::string expected;
};

TEST(JoinPath, AddsOneSeparatorWhereNeeded) {
    std::string longFolder = "C:\\" + std::string(5000, 'a');
    const JoinCase cases[] = {
        {"empty directory", "", "app", "app"},
        {"plain directory", "C:\\Users", "app", "C:\\Users\\app"},
        {"trailing backslash", "C:\\Users\\", "app", "C:\\Users\\app"},
        {"trailing slash", "C:/Users/", "app", "C:/Users/app"},
        {"drive root", "C:\\", "*", "C:\\*"},
        // "ソ" is 83 5C: its second byte is not a separator.
        {"double-byte char ending in 5C", "C:\\\x83\x5C", "app", "C:\\\x83\x5C\\app"},
        {"5C trail byte then real backslash", "C:\\\x83\x5C\\", "app", "C:\\\x83\x5C\\app"},
        // Half-width katakana (A1-DF) are single-byte: the backslash after it counts.
        {"half-width katakana before the end", "C:\\\xB1\\", "app", "C:\\\xB1\\app"},
        {"half-width katakana at the end", "C:\\\xB1", "app", "C:\\\xB1\\app"},
        {"lone lead byte at the end", "C:\\\x83", "app", "C:\\\x83\\app"},
        {"very long input", longFolder, "app", longFolder + "\\app"},
    };
    testing_support::FakePlatform os;
    for (const JoinCase& c : cases) {
        EXPECT_EQ(cleanup::JoinPath(os, c.directory, c.name), c.expected) << c.label;
    }
}

}  // namespace
