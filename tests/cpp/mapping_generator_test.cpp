// The string-valued property tables built from a tiny input tree: what it yields, and the
// refusals of malformed lines, each naming the file, the line and the problem.
#include <gtest/gtest.h>

#include <string>

#include "builder_tree.h"

namespace {

// The UCD 18.0.0 files the mapping tables read, each replaced by some tests.
const BuilderFiles VALID = {
    {"UnicodeData.txt",
     "0028;LEFT PARENTHESIS;Ps;0;ON;;;;;Y;OPENING PARENTHESIS;;;;\n"
     "0029;RIGHT PARENTHESIS;Pe;0;ON;;;;;Y;CLOSING PARENTHESIS;;;;\n"
     "0041;LATIN CAPITAL LETTER A;Lu;0;L;;;;;N;;;;0061;\n"
     "0061;LATIN SMALL LETTER A;Ll;0;L;;;;;N;;;0041;;0041\n"
     "00AD;SOFT HYPHEN;Cf;0;BN;;;;;N;;;;;\n"
     "00DF;LATIN SMALL LETTER SHARP S;Ll;0;L;;;;;N;;;;;\n"
     "01C5;LATIN CAPITAL LETTER D WITH SMALL LETTER Z WITH CARON;Lt;0;L;<compat> 0044 017E;;;;N;;;01C4;01C6;01C5\n"
     "1100;HANGUL CHOSEONG KIYEOK;Lo;0;L;;;;;N;;;;;\n"
     "110B;HANGUL CHOSEONG IEUNG;Lo;0;L;;;;;N;;;;;\n"},
    {"PropertyValueAliases.txt",
     "# @missing: 0000..10FFFF; Bidi_Paired_Bracket; <none>\n"
     "# @missing: 0000..10FFFF; FC_NFKC_Closure; <code point>\n"},
    {"DerivedNormalizationProps.txt",
     "# @missing: 0000..10FFFF; NFKC_CF; <code point>\n"
     "# @missing: 0000..10FFFF; NFKC_SCF; <code point>\n"
     "037A ; FC_NFKC; 0020 03B9\n"
     "0041 ; NFKC_CF; 0061\n0041 ; NFKC_SCF; 0061\n"
     "00AD ; NFKC_CF;\n00AD ; NFKC_SCF;\n"
     "00DF ; NFKC_CF; 0073 0073\n"},
    {"BidiMirroring.txt", "# @missing: 0000..10FFFF; <none>\n0028; 0029 # LEFT PARENTHESIS\n0029; 0028\n"},
    {"BidiBrackets.txt", "0028; 0029; o # LEFT PARENTHESIS\n0029; 0028; c\n"},
    {"EquivalentUnifiedIdeograph.txt", "# @missing: 0000..10FFFF; <none>\n2E81 ; 5382\n2F00..2F01 ; 4E00\n"},
    {"SpecialCasing.txt", "00DF; 00DF; 0053 0073; 0053 0053;\n0041; 0061; 0041; 0041; tr; # conditional\n"},
    {"CaseFolding.txt", "0041; C; 0061;\n00DF; F; 0073 0073;\n1E9E; S; 00DF;\n"},
    {"Jamo.txt", "1100; G   # KIYEOK\n110B;     # IEUNG\n"},
};

// A complete tree in which `file` has `content` instead of its valid text.
struct Tree : BuilderTree {
    explicit Tree(const std::string &file = "", const std::string &content = "")
        : BuilderTree(VALID, gen::build_mapping_tables, file, content, false) {}
};

TEST(MappingGenerator, SmallTreeGivesItsRanges) {
    gen::Output output = Tree().build();
    EXPECT_EQ(output.file, "mapping_tables.h");
    ASSERT_EQ(output.summary.size(), 1u);
    EXPECT_EQ(output.summary[0], "13 string properties, 19 ranges, 10 pooled code points, 39 bytes of text");
    const std::string &text = output.content;
    // Defaults from the file's own @missing line, from PropertyValueAliases.txt, and the
    // empty text of the fields.
    EXPECT_NE(text.find("{0, 2, -1, MISSING_NONE, false},  // bmg"), std::string::npos) << text;
    EXPECT_NE(text.find("{6, 1, -1, MISSING_CODE_POINT, false},  // FC_NFKC"), std::string::npos) << text;
    EXPECT_NE(text.find("{17, 2, -1, MISSING_EMPTY, true},  // JSN"), std::string::npos) << text;
    // NFKC_Simple_Casefold keeps only U+00DF, where it differs from NFKC_Casefold (table 4).
    EXPECT_NE(text.find("{10, 1, 4, MISSING_CODE_POINT, false},  // NFKC_SCF"), std::string::npos) << text;
    // 2F00..2F01 stays one range; U+00AD maps to nothing (length 0); IEUNG's empty name.
    EXPECT_NE(text.find("0x28, 0x29, 0x28, 0x29, 0x2E81, 0x2F00, 0x37A, 0x41, 0xAD, 0xDF,\n    0xDF"),
              std::string::npos);
    EXPECT_NE(text.find("0x28, 0x29, 0x28, 0x29, 0x2E81, 0x2F01,"), std::string::npos);
    EXPECT_NE(text.find("0x2000004, 0x1000006, 0x7, 0x2000007,"), std::string::npos);
    EXPECT_NE(text.find("\"OPENING PARENTHESISCLOSING PARENTHESISG\";"), std::string::npos);
}

TEST(MappingGenerator, Refusals) {
    const std::string long_jamo = "1100; " + std::string(256, 'G') + "\n";
    struct {
        const char *name, *file, *content, *message;
    } const cases[] = {
        // Fields that are not code points, or not the one code point the property maps to.
        {"value not hexadecimal", "BidiMirroring.txt", "# @missing: 0000..10FFFF; <none>\n0028; 00G9\n",
         "BidiMirroring.txt:2: '00G9' is not a sequence of code points"},
        {"value of too few digits", "EquivalentUnifiedIdeograph.txt", "# @missing: 0000..10FFFF; <none>\n2E81 ; 538\n",
         "EquivalentUnifiedIdeograph.txt:2: '538' is not a sequence of code points"},
        {"value beyond U+10FFFF", "BidiBrackets.txt", "0028; 110000; o\n", "BidiBrackets.txt:1: code point 110000 above 10FFFF"},
        {"two code points where one belongs", "BidiMirroring.txt", "# @missing: 0000..10FFFF; <none>\n0028; 0029 0029\n",
         "BidiMirroring.txt:2: a value of 2 code points (expected one)"},
        {"empty value where one code point belongs", "BidiBrackets.txt", "0028; ; o\n",
         "BidiBrackets.txt:1: a value of 0 code points (expected one)"},
        {"normalization line without its value", "DerivedNormalizationProps.txt",
         "# @missing: 0000..10FFFF; NFKC_CF; <code point>\n# @missing: 0000..10FFFF; NFKC_SCF; <code point>\n"
         "037A ; FC_NFKC; 0020 03B9\n0041 ; NFKC_CF\n",
         "DerivedNormalizationProps.txt:4: 'Y' is not a sequence of code points"},
        {"simple folding of two code points", "CaseFolding.txt", "0041; C; 0061;\n1E9E; S; 0073 0073;\n",
         "CaseFolding.txt:2: a simple case folding of other than one code point"},
        {"unknown folding status", "CaseFolding.txt", "0041; X; 0061;\n", "CaseFolding.txt:1: unknown status 'X'"},
        {"folding not hexadecimal", "CaseFolding.txt", "0041; C; 006G;\n", "CaseFolding.txt:1: bad code point '006G' in field 2"},
        {"text field beyond ASCII", "Jamo.txt", "1100; G\xC3\xA9\n",
         "Jamo.txt:1: a text field with a character other than printable ASCII"},
        {"text value longer than 255", "Jamo.txt", long_jamo.c_str(),
         "JSN: a value of more than 255 code points"},
        // Code points and ranges of the first field.
        {"code point not hexadecimal", "EquivalentUnifiedIdeograph.txt", "# @missing: 0000..10FFFF; <none>\n2EG1 ; 5382\n",
         "EquivalentUnifiedIdeograph.txt:2: bad hexadecimal code point '2EG1' in field 0"},
        {"range backwards", "BidiBrackets.txt", "0029..0028; 0028; c\n",
         "BidiBrackets.txt:1: invalid code point range '0029..0028'"},
        {"range beyond U+10FFFF", "EquivalentUnifiedIdeograph.txt",
         "# @missing: 0000..10FFFF; <none>\n2F00..110000 ; 4E00\n",
         "EquivalentUnifiedIdeograph.txt:2: invalid code point range '2F00..110000'"},
        {"range end not hexadecimal", "BidiMirroring.txt", "# @missing: 0000..10FFFF; <none>\n0028..00ZZ; 0029\n",
         "BidiMirroring.txt:2: bad code point range '0028..00ZZ' in field 0"},
        {"range where one code point belongs", "Jamo.txt", "1100..1101; G\n",
         "Jamo.txt:1: bad hexadecimal code point '1100..1101' in field 0"},
        {"code point listed twice", "BidiMirroring.txt", "# @missing: 0000..10FFFF; <none>\n0028; 0029\n0020..0030; 005D\n",
         "BidiMirroring.txt:3: code point listed twice"},
        {"Jamo code point listed twice", "Jamo.txt", "1100; G\n1100; K\n", "Jamo.txt:2: code point listed twice"},
        {"line without a value", "BidiBrackets.txt", "0028\n", "BidiBrackets.txt:1: too few fields (1, expected at least 2)"},
        // Defaults.
        {"default of part of the code points", "BidiMirroring.txt", "# @missing: 0000..00FF; <none>\n0028; 0029\n",
         "BidiMirroring.txt:1: a default of part of the code points for a string property"},
        {"default that is no mapping", "EquivalentUnifiedIdeograph.txt", "# @missing: 0000..10FFFF; 0000\n",
         "EquivalentUnifiedIdeograph.txt:1: default '0000' (expected <code point> or <none>)"},
        {"no default at all", "BidiMirroring.txt", "0028; 0029\n",
         "BidiMirroring.txt (Bidi_Mirroring_Glyph): no @missing default"},
        {"malformed default line", "DerivedNormalizationProps.txt", "# @missing: 0000..10FFFF; <code point>\n",
         "DerivedNormalizationProps.txt:1: malformed @missing line (expected range ; property ; value)"},
        {"normalization property absent", "DerivedNormalizationProps.txt",
         "# @missing: 0000..10FFFF; NFKC_CF; <code point>\n# @missing: 0000..10FFFF; NFKC_SCF; <code point>\n",
         "FC_NFKC_Closure: DerivedNormalizationProps.txt does not list it"},
    };
    for (const auto &c : cases) {
        std::string error = Tree(c.file, c.content).error();
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
}

}  // namespace
