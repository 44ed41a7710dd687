// The generator refuses malformed input and data its tables cannot hold, naming the
// file, the line and the problem, and writes nothing when it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>

#include "context.h"
#include "property_file.h"

namespace {

std::string generator_path;

// A tiny but complete input tree (UCD files below ucd/, the generator's own below
// data/): each test replaces or removes one file.
const std::map<std::string, std::string> VALID = {
    {"18.0.0/UnicodeData.txt",
     "0031;DIGIT ONE;Nd;0;EN;;1;1;1;N;;;;;\n"
     "0041;LATIN CAPITAL LETTER A;Lu;0;L;;;;;N;;;;0061;\n"
     "0300;COMBINING GRAVE ACCENT;Mn;230;NSM;;;;;N;;;;;\n"
     "4E00;<CJK Ideograph, First>;Lo;0;L;;;;;N;;;;;\n"
     "4E10;<CJK Ideograph, Last>;Lo;0;L;;;;;N;;;;;\n"},
    {"18.0.0/EastAsianWidth.txt", "# widths\n0031..0041 ; Na # digits and letters\n4E00..4E10;W\n"},
    {"18.0.0/DerivedNormalizationProps.txt", "0300 ; NFC_QC; M # Mn\n"},
    {"18.0.0/Unihan_NumericValues.txt", "U+4E00\tkPrimaryNumeric\t1\n"},
    {"3.2.0/UnicodeData.txt",
     "0031;DIGIT ONE;Nd;0;EN;;1;1;1;N;;;;;\n"
     "0041;LATIN CAPITAL LETTER A;Lu;0;L;;;;;N;;;;0061;\n"
     "4E00;<CJK Ideograph, First>;Lo;0;L;;;;;N;;;;;\n"
     "4E05;<CJK Ideograph, Last>;Lo;0;L;;;;;N;;;;;\n"},
    {"3.2.0/EastAsianWidth.txt", "0031;Na\n0041;Na\n4E00..4E05;W\n"},
    {"data/unihan-numeric-3.2.0.txt", "4E00 ; none\n"},
};

class Fixture {
public:
    explicit Fixture(const std::string &file = "", const std::string &content = "", bool remove = false) {
        char pattern[] = "/tmp/charlore-generator-XXXXXX";
        root_ = mkdtemp(pattern);
        for (auto [name, text] : VALID) {
            if (name == file && remove) continue;
            std::filesystem::path path = root_ / (name.rfind("data/", 0) == 0 ? name : "ucd/" + name);
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << (name == file ? content : text);
        }
    }
    ~Fixture() { std::filesystem::remove_all(root_); }
    const std::filesystem::path &root() const { return root_; }

    // The error message of building the property tables, or "" if they were built.
    std::string database_error() const {
        gen::Context context(root_ / "ucd", root_ / "data");
        try {
            gen::build_database_tables(context);
            return "";
        } catch (const gen::InputError &e) {
            return e.what();
        }
    }

private:
    std::filesystem::path root_;
};

TEST(GeneratorInput, ValidFixtureBuilds) { EXPECT_EQ(Fixture().database_error(), ""); }

struct BrokenInput {
    const char *what;
    const char *file;
    const char *content;
    const char *message;
};

const BrokenInput BROKEN[] = {
    {"bad hex field", "18.0.0/UnicodeData.txt", "0031;DIGIT ONE;Nd;0;EN;;1;1;1;N;;;;;\n00G1;BAD;Lu;0;L;;;;;N;;;;;\n",
     "18.0.0/UnicodeData.txt:2: bad hexadecimal code point '00G1' in field 0"},
    {"too few fields", "18.0.0/UnicodeData.txt", "0041;LATIN CAPITAL LETTER A;Lu\n",
     "18.0.0/UnicodeData.txt:1: too few fields (3, expected at least 15)"},
    {"code point beyond U+10FFFF", "18.0.0/EastAsianWidth.txt", "110000;W\n", "beyond U+10FFFF"},
    {"range backwards", "18.0.0/EastAsianWidth.txt", "\n\n0050..0040;W\n",
     "18.0.0/EastAsianWidth.txt:3: invalid code point range '0050..0040'"},
    {"unknown width", "18.0.0/EastAsianWidth.txt", "0041;Q\n", "EastAsianWidth.txt:1: unknown East Asian width 'Q'"},
    {"unknown category", "18.0.0/UnicodeData.txt", "0041;LATIN CAPITAL LETTER A;Xx;0;L;;;;;N;;;;;\n",
     "UnicodeData.txt:1: unknown category 'Xx'"},
    {"combining class out of range", "18.0.0/UnicodeData.txt", "0300;COMBINING GRAVE;Mn;255;NSM;;;;;N;;;;;\n",
     "UnicodeData.txt:1: bad number '255' in field 3"},
    {"range without its end", "18.0.0/UnicodeData.txt", "4E00;<CJK Ideograph, First>;Lo;0;L;;;;;N;;;;;\n",
     "UnicodeData.txt:1: range start without a Last line"},
    {"lines out of order", "18.0.0/UnicodeData.txt",
     "0041;A;Lu;0;L;;;;;N;;;;;\n0031;DIGIT ONE;Nd;0;EN;;1;1;1;N;;;;;\n", "UnicodeData.txt:2: code points out of order"},
    {"bad quick-check value", "18.0.0/DerivedNormalizationProps.txt", "0300 ; NFC_QC; X\n",
     "DerivedNormalizationProps.txt:1: bad quick-check value 'X'"},
    {"Unihan line without U+", "18.0.0/Unihan_NumericValues.txt", "4E00\tkPrimaryNumeric\t1\n",
     "Unihan_NumericValues.txt:1: expected U+XXXX in field 0"},
    {"Unihan value not a number", "18.0.0/Unihan_NumericValues.txt", "U+4E00\tkPrimaryNumeric\tone\n",
     "Unihan_NumericValues.txt:1: bad numeric value 'one' in field 2"},
    {"changed combining class", "3.2.0/UnicodeData.txt", "0300;COMBINING GRAVE ACCENT;Mn;220;NSM;;;;;N;;;;;\n",
     "3.2.0/UnicodeData.txt:1: a changed combining class cannot be recorded"},
    {"decimal value absent in 3.2.0", "3.2.0/UnicodeData.txt", "0031;DIGIT ONE;No;0;EN;;;1;1;N;;;;;\n",
     "3.2.0/UnicodeData.txt:1: a decimal value that was absent in 3.2.0 cannot be recorded"},
    {"own data lists a code point twice", "data/unihan-numeric-3.2.0.txt", "4E00 ; none\n4E00 ; 2\n",
     "unihan-numeric-3.2.0.txt:2: code point listed twice"},
    {"own data names an unassigned code point", "data/unihan-numeric-3.2.0.txt", "4E0F ; none\n",
     "lists a code point not assigned in Unicode 3.2.0"},
};

// A case's description as a test name: every character but letters and digits becomes '_'.
template <typename Case>
std::string case_name(const testing::TestParamInfo<Case> &info) {
    std::string name = info.param.what;
    for (char &c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class GeneratorRefuses : public testing::TestWithParam<BrokenInput> {};

TEST_P(GeneratorRefuses, NamingFileLineAndProblem) {
    const BrokenInput &broken = GetParam();
    Fixture fixture(broken.file, broken.content);
    std::string error = fixture.database_error();
    EXPECT_NE(error.find(broken.message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(BrokenFixtures, GeneratorRefuses, testing::ValuesIn(BROKEN),
                         case_name<BrokenInput>);

// The reader of the property files: malformed lines and code points without a value.
struct BrokenPropertyFile {
    const char *what;
    const char *content;
    bool named;  // lines `range ; property [; value]`
    const char *message;
};

const BrokenPropertyFile BROKEN_PROPERTY_FILES[] = {
    {"@missing line without a value", "# @missing: 0000..10FFFF\n0041 ; X\n", false,
     "props.txt:1: malformed @missing line (expected range ; value)"},
    {"@missing line without its property", "# @missing: 0000..10FFFF; N\n", true,
     "props.txt:1: malformed @missing line (expected range ; property ; value)"},
    {"@missing range backwards", "# @missing: 0100..0000; N\n", false, "props.txt:1: invalid code point range"},
    {"@missing code point not hexadecimal", "\n# @missing: 00ZZ; N\n", false,
     "props.txt:2: bad hexadecimal code point '00ZZ'"},
    {"data line without a value", "# @missing: 0000..10FFFF; N\n0041\n", false,
     "props.txt:2: too few fields (1, expected at least 2)"},
    {"data line beyond U+10FFFF", "# @missing: 0000..10FFFF; N\n0041..110000 ; X\n", false,
     "props.txt:2: invalid code point range '0041..110000'"},
    {"named line with too many fields", "0041 ; Alpha ; Y ; extra\n", true,
     "props.txt:1: too many fields (expected range ; property [; value])"},
    {"named line without a property", "0041 ; \n", true, "props.txt:1: empty property name"},
    {"code points without any value", "# @missing: 0000..00FF; N\n0041 ; X\n", false,
     "no value and no @missing default for U+0100"},
};

class PropertyFileRefused : public testing::TestWithParam<BrokenPropertyFile> {};

TEST_P(PropertyFileRefused, NamingFileLineAndProblem) {
    const BrokenPropertyFile &broken = GetParam();
    Fixture fixture;
    std::filesystem::path path = fixture.root() / "props.txt";
    std::ofstream(path) << broken.content;
    std::string error;
    try {
        if (broken.named) {
            gen::read_named_properties(path);
        } else {
            gen::property_column(gen::read_property_file(path), nullptr, path.string());
        }
    } catch (const gen::InputError &e) {
        error = e.what();
    }
    EXPECT_NE(error.find(broken.message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(BrokenPropertyFiles, PropertyFileRefused, testing::ValuesIn(BROKEN_PROPERTY_FILES),
                         case_name<BrokenPropertyFile>);

TEST(PropertyFile, LaterDefaultsAndDataLinesWin) {
    Fixture fixture;
    std::filesystem::path path = fixture.root() / "props.txt";
    std::ofstream(path) << "# @missing: 0000..10FFFF; N\n# @missing: 0040..004F; M\n0041..0042 ; X # comment\n";
    gen::PropertyColumn column = gen::property_column(gen::read_property_file(path), nullptr, "props");
    auto value = [&](uint32_t cp) { return column.values[column.of[cp]]; };
    EXPECT_EQ(value(0x3F), "N");
    EXPECT_EQ(value(0x40), "M");
    EXPECT_EQ(value(0x41), "X");
    EXPECT_EQ(value(0x42), "X");
    EXPECT_EQ(value(0x4F), "M");
    EXPECT_EQ(value(0x10FFFF), "N");
}

TEST(PropertyFile, NamedLinesOfBinaryAndEnumeratedProperties) {
    Fixture fixture;
    std::filesystem::path path = fixture.root() / "props.txt";
    std::ofstream(path) << "# @missing: 0000..10FFFF; InCB; None\n0041 ; Alpha\n094D ; InCB; Linker\n";
    auto properties = gen::read_named_properties(path);
    ASSERT_EQ(properties.size(), 2u);
    EXPECT_EQ(properties["Alpha"].listed.at(0).value, "Y");
    EXPECT_EQ(properties["InCB"].defaults.at(0).value, "None");
    EXPECT_EQ(properties["InCB"].listed.at(0).value, "Linker");
}

TEST(LooseKey, IgnoresCaseSeparatorsAndAnInitialIs) {
    EXPECT_EQ(gen::loose_key("Line_Break"), "linebreak");
    EXPECT_EQ(gen::loose_key("is line-BREAK"), "linebreak");
    EXPECT_EQ(gen::loose_key("isc"), "c");
    EXPECT_EQ(gen::loose_key("IS"), "is");  // Line_Break's Infix_Numeric
    EXPECT_EQ(gen::loose_key("is_IS"), "is");
}

// The program as a whole: a failure leaves the output directory without any table.
struct GeneratorRun {
    int status;
    std::string errors;
};

GeneratorRun run_generator(const Fixture &fixture) {
    std::filesystem::path out = fixture.root() / "out", log = fixture.root() / "stderr.txt";
    std::string command = generator_path + " --ucd " + (fixture.root() / "ucd").string() + " --data " +
                          (fixture.root() / "data").string() + " --out " + out.string() + " >/dev/null 2>" +
                          log.string();
    int status = std::system(command.c_str());
    std::ifstream in(log);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
}

TEST(GeneratorProgram, MissingFileStopsItAndWritesNothing) {
    Fixture fixture("18.0.0/EastAsianWidth.txt", "", /*remove=*/true);
    GeneratorRun run = run_generator(fixture);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("EastAsianWidth.txt: cannot open file"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("no tables were written"), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(fixture.root() / "out"));
}

TEST(GeneratorProgram, UnknownOptionIsAUsageError) {
    std::string command = generator_path + " --frobnicate >/dev/null 2>&1";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: generator_errors_test PATH-OF-charlore-generate\n");
        return 2;
    }
    generator_path = argv[1];
    return RUN_ALL_TESTS();
}
