// The table generator refuses data that would overflow the fixed working arrays of
// normalization: an expansion deeper than the pending stack, or a chain of compositions
// longer than the skipped list. Each fixture is a minimal UCD tree written for the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "context.h"

namespace gen {
namespace {

std::string hex(uint32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", cp);
    return buffer;
}

// One UnicodeData.txt line of a letter with the given decomposition field.
std::string letter(uint32_t cp, const std::string &decomposition = "", int combining = 0) {
    return hex(cp) + ";TEST LETTER " + hex(cp) + ";Lo;" + std::to_string(combining) + ";L;" + decomposition +
           ";;;;N;;;;;\n";
}

class UcdTree {
public:
    explicit UcdTree(const std::string &unicode_data) {
        static int trees = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("normalize-limits-" + std::to_string(getpid()) + "-" + std::to_string(++trees));
        std::filesystem::create_directories(root_ / "18.0.0");
        std::filesystem::create_directories(root_ / "3.2.0");
        write("18.0.0/UnicodeData.txt", unicode_data);
        write("18.0.0/DerivedNormalizationProps.txt", "0958 ; Full_Composition_Exclusion # test\n");
        write("3.2.0/UnicodeData.txt", letter(0x41));
    }
    ~UcdTree() { std::filesystem::remove_all(root_); }

    // The generator's message for these tables, or "" when it accepts them.
    std::string failure() {
        Context context(root_, root_);
        try {
            build_normalize_tables(context);
        } catch (const InputError &e) {
            return e.what();
        }
        return "";
    }

private:
    void write(const std::string &name, const std::string &text) { std::ofstream(root_ / name) << text; }
    std::filesystem::path root_;
};

std::string mapping_of_length(int n) {
    std::string field = "<compat>";
    for (int k = 0; k < n; ++k) field += " 0041";
    return field;
}

TEST(GeneratorLimits, PendingStackHoldsTwentyCodePoints) {
    UcdTree fits(letter(0x41) + letter(0xE000, mapping_of_length(20)));
    EXPECT_EQ(fits.failure(), "");
}

TEST(GeneratorLimits, AnExpansionOfTwentyOneCodePointsIsRefused) {
    UcdTree tree(letter(0x41) + letter(0xE000, mapping_of_length(21)));
    std::string message = tree.failure();
    EXPECT_NE(message.find("U+E000"), std::string::npos) << message;
    EXPECT_NE(message.find("21 pending code points"), std::string::npos) << message;
}

TEST(GeneratorLimits, NestedMappingsCountTheCodePointsWaitingBelow) {
    // U+E001 expands to U+E000 and 19 more; U+E000 then needs 2 above those 19: 21.
    std::string nested = "<compat> E000";
    for (int k = 0; k < 19; ++k) nested += " 0041";
    UcdTree tree(letter(0x41) + letter(0xE000, "<compat> 0041 0041") + letter(0xE001, nested));
    std::string message = tree.failure();
    EXPECT_NE(message.find("U+E001"), std::string::npos) << message;
    EXPECT_NE(message.find("21 pending"), std::string::npos) << message;
}

// A chain of `length` compositions: U+E000 + U+0301 gives U+E001, which composes with
// U+0301 to U+E002, and so on.
std::string composition_chain(int length) {
    std::string data = letter(0x0301, "", 230) + letter(0xE000);
    for (uint32_t k = 1; k <= static_cast<uint32_t>(length); ++k) data += letter(0xE000 + k, hex(0xE000 + k - 1) + " 0301");
    return data;
}

TEST(GeneratorLimits, ALongerChainOfCompositionsThanTheSkippedListIsRefused) {
    // Each composite of the chain decomposes into the one before it and a mark, so a
    // chain of 19 already fills the pending stack; the chain is checked first.
    UcdTree fits(composition_chain(19));
    EXPECT_EQ(fits.failure(), "");
    UcdTree tree(composition_chain(21));
    std::string message = tree.failure();
    EXPECT_NE(message.find("absorb 21 characters"), std::string::npos) << message;
}

}  // namespace
}  // namespace gen
