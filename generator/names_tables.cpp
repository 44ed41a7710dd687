// Character-name tables of UCD 18.0.0: the stored names of characters, name aliases and
// named sequences compressed into word codes, their two-stage index and hash table, the
// alias and sequence tables, and the ranges whose names follow from the code point.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "../src/names_data.h"
#include "context.h"
#include "tables.h"

namespace gen {

namespace {

using charlore::ALIAS_BASE;
using charlore::NAMED_SEQUENCE_BASE;

struct StoredName {
    uint32_t code_point;
    std::string name;
    std::string where;  // file:line, for messages
};

// UnicodeData.txt ranges (the name between "<" and ", First>") whose members have
// derived names, by the start of that name, with their prefix kind.
struct NamedRange {
    std::string_view name;
    uint32_t kind;
};
constexpr NamedRange NAMED_RANGES[] = {
    {"Hangul Syllable", 0}, {"CJK Ideograph", 1}, {"Tangut Ideograph", 2}, {"Jurchen Character", 3},
    {"Seal Character", 4}};
// Ranges whose members have no name at all, by the end of their range name.
constexpr std::string_view UNNAMED_RANGE_ENDINGS[] = {"Surrogate", "Private Use"};

constexpr uint32_t HANGUL_FIRST = 0xAC00, HANGUL_LAST = 0xD7A3;
constexpr std::string_view ALIAS_TYPES[] = {"correction", "control", "alternate", "figment", "abbreviation"};

std::string where(const std::string &file, int line) { return file + ":" + std::to_string(line); }

bool starts_with_word(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start && (text.size() == start.size() || text[start.size()] == ' ');
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The ranges of derived names, from the First/Last pairs of UnicodeData.txt. A range of
// any name not known here stops the generator rather than being silently unnamed.
std::vector<charlore::AlgorithmicNameRange> algorithmic_ranges(const UnicodeData &data) {
    std::vector<charlore::AlgorithmicNameRange> ranges;
    for (const UnicodeDataEntry &e : data.entries()) {
        if (e.last == e.code_point) continue;
        std::string_view range_name = std::string_view(e.name).substr(1);
        auto named = std::find_if(std::begin(NAMED_RANGES), std::end(NAMED_RANGES),
                                  [&](const NamedRange &r) { return starts_with_word(range_name, r.name); });
        if (named == std::end(NAMED_RANGES)) {
            bool unnamed = std::any_of(std::begin(UNNAMED_RANGE_ENDINGS), std::end(UNNAMED_RANGE_ENDINGS),
                                       [&](std::string_view end) { return ends_with(range_name, end); });
            if (!unnamed) fail(where(e.file, e.line), "range '" + e.name + ">' has no known naming rule");
            continue;
        }
        if (named->kind == 0 && (e.code_point != HANGUL_FIRST || e.last != HANGUL_LAST))
            fail(where(e.file, e.line), "the Hangul syllables must be exactly U+AC00..U+D7A3");
        ranges.push_back({e.code_point, e.last, named->kind});
    }
    return ranges;
}

// A name must be upper-case letters, digits and hyphens in words separated by single
// spaces, short enough for a name buffer, and must not start with a prefix that lookup
// parses instead of searching the stored names.
void check_name(const std::string &name, const std::string &place) {
    if (name.empty() || name.size() >= charlore::NAME_LIMIT)
        fail(place, "name '" + name + "' is empty or longer than " + std::to_string(charlore::NAME_LIMIT - 1));
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool word_char = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        bool separator = c == ' ' && i > 0 && i + 1 < name.size() && name[i - 1] != ' ';
        if (!word_char && !separator) fail(place, "name '" + name + "' has a character that cannot be stored");
    }
    for (const char *prefix : charlore::algorithmic_name_prefixes)
        if (name.starts_with(prefix)) fail(place, "name '" + name + "' would be parsed as a derived name by lookup");
}

struct PrivateNames {
    std::vector<StoredName> names;  // at their private code points
    std::vector<uint32_t> alias_targets;
    std::vector<charlore::NamedSequence> sequences;
};

// Every alias of NameAliases.txt and every sequence of NamedSequences.txt, in file order.
PrivateNames private_names(Context &context) {
    PrivateNames result;
    UcdFile aliases(context.current_file("NameAliases.txt"));
    for (const Line &line : aliases.lines(3)) {
        if (std::find(std::begin(ALIAS_TYPES), std::end(ALIAS_TYPES), line.fields[2]) == std::end(ALIAS_TYPES))
            line.fail("unknown alias type '" + std::string(line.fields[2]) + "'");
        if (result.alias_targets.size() == charlore::ALIAS_CAPACITY)
            line.fail("more than " + std::to_string(charlore::ALIAS_CAPACITY) + " aliases");
        uint32_t cp = ALIAS_BASE + static_cast<uint32_t>(result.alias_targets.size());
        result.names.push_back({cp, std::string(line.fields[1]), where(*line.file, line.number)});
        result.alias_targets.push_back(line.code_point(0));
    }
    UcdFile sequences(context.current_file("NamedSequences.txt"));
    for (const Line &line : sequences.lines(2)) {
        std::vector<uint32_t> code_points = line.code_points(1);
        if (code_points.empty() || code_points.size() > charlore::NAMED_SEQUENCE_MAX_LENGTH)
            line.fail("a named sequence must have 1 to " + std::to_string(charlore::NAMED_SEQUENCE_MAX_LENGTH) +
                      " code points");
        charlore::NamedSequence sequence{static_cast<int32_t>(code_points.size()), {}};
        for (size_t i = 0; i < code_points.size(); ++i) {
            if (code_points[i] > 0xFFFF) line.fail("a named sequence code point must be below U+10000");
            sequence.code_points[i] = static_cast<uint16_t>(code_points[i]);
        }
        uint32_t cp = NAMED_SEQUENCE_BASE + static_cast<uint32_t>(result.sequences.size());
        result.names.push_back({cp, std::string(line.fields[0]), where(*line.file, line.number)});
        result.sequences.push_back(sequence);
    }
    return result;
}

// Every stored name in ascending code-point order: the characters' explicit names, then
// the aliases and named sequences at their private code points.
std::vector<StoredName> stored_names(const UnicodeData &data, const PrivateNames &private_part) {
    std::vector<StoredName> names;
    for (const UnicodeDataEntry &e : data.entries())
        if (!e.name.starts_with("<")) names.push_back({e.code_point, e.name, where(e.file, e.line)});
    for (const StoredName &n : private_part.names) {
        const UnicodeDataEntry *e = data.find(n.code_point);
        if (e == nullptr || e->category != "Co" || !e->name.starts_with("<"))
            fail(n.where, "the code point filed for '" + n.name + "' is not an unnamed private-use character");
    }
    names.insert(names.end(), private_part.names.begin(), private_part.names.end());
    std::map<std::string, const StoredName *> seen;
    for (const StoredName &n : names) {
        check_name(n.name, n.where);
        if (n.code_point == 0) fail(n.where, "U+0000 cannot have a stored name: 0 marks an empty hash slot");
        if (auto [it, inserted] = seen.emplace(n.name, &n); !inserted)
            fail(n.where, "name '" + n.name + "' is also the name at " + it->second->where);
    }
    return names;
}

// The words of a name; the last one carries an appended NUL.
std::vector<std::string> words_of(const std::string &name) {
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t space; (space = name.find(' ', start)) != std::string::npos; start = space + 1)
        words.push_back(name.substr(start, space - start));
    words.push_back(name.substr(start) + '\0');
    return words;
}

struct WordCodes {
    std::vector<std::string> words;  // words[code - 1]
    std::map<std::string, uint32_t> code_of;
    unsigned short_limit;
};

// Most frequent words first (ties in ascending byte order), so that the short codes go to
// them; the rest in descending byte order.
WordCodes word_codes(const std::vector<StoredName> &names) {
    std::map<std::string, uint32_t> counts;
    for (const StoredName &n : names)
        for (const std::string &w : words_of(n.name)) ++counts[w];
    std::vector<std::pair<std::string, uint32_t>> ordered(counts.begin(), counts.end());
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    // Codes run from 1 to the number of words, and the highest must still fit: a two-byte
    // code's first byte is short_limit + (code >> 8), at most 255.
    size_t two_byte_leads = ordered.size() / 256 + 1;
    if (two_byte_leads >= 255) throw InputError("stored names: too many distinct words for two-byte codes");
    WordCodes codes;
    codes.short_limit = static_cast<unsigned>(256 - two_byte_leads);
    if (ordered.size() > codes.short_limit)
        std::sort(ordered.begin() + codes.short_limit, ordered.end(),
                  [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[word, count] : ordered) {
        codes.words.push_back(word);
        codes.code_of[word] = static_cast<uint32_t>(codes.words.size());
    }
    return codes;
}

// A word's characters with bit 7 set on the last one.
std::string encode_word(const std::string &word) {
    std::string encoded = word;
    encoded.back() = static_cast<char>(encoded.back() | 0x80);
    return encoded;
}

struct WordText {
    std::string text;
    std::vector<uint32_t> offsets;  // by code; offsets[0] = 0
};

// The word texts in code order, each reusing the first earlier occurrence of its bytes.
// An encoded word holds one byte with bit 7 set, its last, so any occurrence ends where
// an earlier word ends: it is a tail of that word. Remembering each tail's first position
// therefore finds exactly the first occurrence in the text built so far.
WordText word_text(const WordCodes &codes) {
    WordText result;
    result.offsets.push_back(0);
    std::unordered_map<std::string, uint32_t> first_tail;
    for (const std::string &word : codes.words) {
        std::string encoded = encode_word(word);
        auto found = first_tail.find(encoded);
        if (found != first_tail.end()) {
            result.offsets.push_back(found->second);
            continue;
        }
        uint32_t offset = static_cast<uint32_t>(result.text.size());
        result.offsets.push_back(offset);
        result.text += encoded;
        for (size_t i = 0; i < encoded.size(); ++i) first_tail.emplace(encoded.substr(i), offset + i);
    }
    return result;
}

struct PhraseBytes {
    std::vector<uint32_t> bytes;
    std::vector<uint32_t> offset_of;  // per code point, 0 = no stored name
};

PhraseBytes phrase_bytes(const std::vector<StoredName> &names, const WordCodes &codes) {
    PhraseBytes result{{0}, std::vector<uint32_t>(CODE_POINTS, 0)};
    for (const StoredName &n : names) {
        result.offset_of[n.code_point] = static_cast<uint32_t>(result.bytes.size());
        for (const std::string &w : words_of(n.name)) {
            uint32_t code = codes.code_of.at(w);
            if (code < codes.short_limit) {
                result.bytes.push_back(code);
            } else {
                result.bytes.push_back((code >> 8) + codes.short_limit);
                result.bytes.push_back(code & 0xFF);
            }
        }
    }
    return result;
}

uint32_t name_hash(const std::string &name) {
    uint32_t h = 0;
    for (char c : name) h = charlore::name_hash_step(h, static_cast<unsigned char>(c));  // already upper case
    return h;
}

struct HashTable {
    std::vector<uint32_t> slots;
    size_t displaced = 0;         // code points not in their first slot
    size_t longest_insertion = 0; // further probes of the longest insertion
    size_t max_visits = 0;        // slot visits until an empty slot, worst over all hash values
};

HashTable hash_table(const std::vector<StoredName> &names) {
    HashTable table;
    table.slots.assign(charlore::NAME_HASH_SLOT_COUNT, 0);
    if (names.size() >= charlore::NAME_HASH_SLOT_COUNT) throw InputError("name hash: more names than slots");
    for (const StoredName &n : names) {
        charlore::NameProbe probe(name_hash(n.name));
        size_t probes = 0;
        for (; table.slots[probe.slot()] != 0; probe.next())
            if (++probes >= charlore::NAME_HASH_SLOT_COUNT) fail(n.where, "name hash: no free slot on the probe sequence");
        table.slots[probe.slot()] = n.code_point;
        table.displaced += probes != 0;
        table.longest_insertion = std::max(table.longest_insertion, probes);
    }
    // lookup stops at an empty slot; every hash value must reach one, and the worst case
    // bounds lookup's probing.
    for (uint32_t h = 0; h < 0x1000000; ++h) {
        charlore::NameProbe probe(h);
        size_t visits = 1;
        for (; table.slots[probe.slot()] != 0; probe.next())
            if (++visits > charlore::NAME_HASH_SLOT_COUNT)
                throw InputError("name hash: hash value " + std::to_string(h) + " never reaches an empty slot");
        table.max_visits = std::max(table.max_visits, visits);
    }
    return table;
}

std::vector<uint32_t> bytes_of(const std::string &s) {
    return std::vector<uint32_t>(reinterpret_cast<const unsigned char *>(s.data()),
                                 reinterpret_cast<const unsigned char *>(s.data()) + s.size());
}

}  // namespace

Output build_names_tables(Context &context) {
    const UnicodeData &data = context.current();
    std::vector<charlore::AlgorithmicNameRange> ranges = algorithmic_ranges(data);
    PrivateNames private_part = private_names(context);
    std::vector<StoredName> names = stored_names(data, private_part);
    WordCodes codes = word_codes(names);
    WordText text = word_text(codes);
    PhraseBytes phrase = phrase_bytes(names, codes);
    TwoStageIndex index = build_two_stage(phrase.offset_of, charlore::NAME_PHRASE_SHIFT);
    if (index.blocks() > 0xFFFF) throw InputError("stored names: more than 65535 index blocks");
    HashTable hash = hash_table(names);

    HeaderWriter out("Stored character names, aliases and named sequences of UCD 18.0.0, their hash table, "
                     "and the ranges of derived names.",
                     "UCD 18.0.0 (UnicodeData.txt, NameAliases.txt, NamedSequences.txt)");
    out.text("#include \"../names_data.h\"\n\nnamespace charlore {\n\n");
    out.constant("unsigned", "SHORT_WORD_CODE_LIMIT", codes.short_limit);
    out.constant("uint32_t", "ALIAS_COUNT", private_part.alias_targets.size());
    out.constant("uint32_t", "NAMED_SEQUENCE_COUNT", private_part.sequences.size());
    out.text("// Slot visits after which every probe sequence has reached an empty slot.\n");
    out.constant("uint32_t", "NAME_HASH_MAX_VISITS", hash.max_visits);
    out.text("\n");

    out.text("inline constexpr AlgorithmicNameRange algorithmic_name_ranges[" + std::to_string(ranges.size()) +
             "] = {\n");
    for (const charlore::AlgorithmicNameRange &r : ranges) {
        char line[64];
        std::snprintf(line, sizeof line, "    {0x%04X, 0x%04X, %u},\n", r.first, r.last, r.prefix_kind);
        out.text(line);
    }
    out.text("};\n\n");

    out.array("uint32_t", "name_word_offsets", text.offsets, 12);
    out.array("uint8_t", "name_word_text", bytes_of(text.text), 20);
    out.array("uint8_t", "name_phrase_bytes", phrase.bytes, 20);
    out.array("uint16_t", "name_phrase_stage1", index.stage1, 16);
    out.array("uint32_t", "name_phrase_stage2", index.stage2, 12);
    out.array("uint32_t", "name_hash_slots", hash.slots, 10, true);
    out.array("uint32_t", "alias_targets", private_part.alias_targets, 10, true);

    out.text("inline constexpr NamedSequence named_sequence_table[" +
             std::to_string(private_part.sequences.size()) + "] = {\n");
    for (const charlore::NamedSequence &s : private_part.sequences) {
        char line[80];
        std::snprintf(line, sizeof line, "    {%d, {0x%04X, 0x%04X, 0x%04X, 0x%04X}},\n", s.length,
                      s.code_points[0], s.code_points[1], s.code_points[2], s.code_points[3]);
        out.text(line);
    }
    out.text("};\n\n}  // namespace charlore\n");

    size_t characters = names.size() - private_part.names.size();
    return {"names_tables.h",
            out.finish(),
            {std::to_string(names.size()) + " stored names (" + std::to_string(characters) + " characters, " +
                 std::to_string(private_part.alias_targets.size()) + " aliases, " +
                 std::to_string(private_part.sequences.size()) + " named sequences)",
             std::to_string(codes.words.size()) + " words, SHORT_WORD_CODE_LIMIT " +
                 std::to_string(codes.short_limit) + ", " + std::to_string(text.offsets.size()) + " word offsets",
             "name_word_text " + std::to_string(text.text.size()) + " bytes, name_phrase_bytes " +
                 std::to_string(phrase.bytes.size()) + " bytes",
             std::to_string(index.blocks()) + " stage-2 blocks of 128",
             "name hash: " + std::to_string(hash.displaced) + " code points not in their first slot, longest insertion " +
                 std::to_string(hash.longest_insertion) + " further probes, at most " +
                 std::to_string(hash.max_visits) + " slot visits to an empty slot",
             std::to_string(ranges.size()) + " ranges of derived names"}};
}

}  // namespace gen
