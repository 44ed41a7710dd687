// Every property of PropertyAliases.txt: the property list with its aliases and
// loose-matching keys and how each is answered; for the Binary, Enumerated, Catalog and
// Numeric ones the value names and a few two-stage tables of shared byte records
// holding the values of every code point.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>

#include "../src/properties/key_hash.h"
#include "context.h"
#include "property_file.h"
#include "tables.h"

namespace gen {

namespace {

// How a property's value is stored and answered; the module has one lookup per kind.
// The string kinds: full case mappings and simple ones (column: upper, lower, title,
// fold), the decomposition mapping, the mapping tables' properties (column: the table),
// names, name aliases and script extensions.
enum Kind { BINARY, ENUMERATED, COMBINING_CLASS, NUMERIC, SCRIPT, BLOCK, AGE,
            FULL_CASE, SIMPLE_CASE, DECOMPOSITION, MAPPING, TEXT, NAME, NAME_ALIAS, SCRIPT_EXTENSIONS };
const char *const KIND_NAMES[] = {"KIND_BINARY", "KIND_ENUMERATED", "KIND_COMBINING_CLASS", "KIND_NUMERIC",
                                  "KIND_SCRIPT", "KIND_BLOCK", "KIND_AGE", "KIND_FULL_CASE", "KIND_SIMPLE_CASE",
                                  "KIND_DECOMPOSITION", "KIND_MAPPING", "KIND_TEXT", "KIND_NAME",
                                  "KIND_NAME_ALIAS", "KIND_SCRIPT_EXTENSIONS"};

struct Property {
    std::vector<std::string> aliases;  // short name first, then the long name, then others
    std::string type;                  // the section of PropertyAliases.txt: "Binary", ...
    Kind kind = BINARY;
    int group = -1, column = 0, bit = 0;  // where the record tables hold the value
    size_t first_value = 0, value_count = 0;
    size_t first_key = 0, key_count = 0;
    const std::string &short_name() const { return aliases[0]; }
    const std::string &long_name() const { return aliases[1]; }
};

// Whether a property's values are strings (or tuples of them) rather than enumerable.
bool string_kind(Kind k) { return k >= FULL_CASE; }

// The kind and column of a String or Miscellaneous property.
void set_string_kind(Property &p) {
    const std::string &s = p.short_name();
    static const std::vector<std::string> cases = {"uc", "lc", "tc", "cf"}, simple = {"suc", "slc", "stc", "scf"};
    const std::vector<std::string> &mapped = mapped_properties();
    if (auto c = std::find(cases.begin(), cases.end(), s); c != cases.end()) {
        p.kind = FULL_CASE;
        p.column = static_cast<int>(c - cases.begin());
        return;
    }
    auto m = std::find(mapped.begin(), mapped.end(), s);
    if (auto c = std::find(simple.begin(), simple.end(), s); c != simple.end()) {
        p.kind = SIMPLE_CASE;
        p.bit = static_cast<int>(c - simple.begin());
    } else if (s == "dm") {
        p.kind = DECOMPOSITION;
    } else if (s == "na") {
        p.kind = NAME;
    } else if (s == "Name_Alias") {
        p.kind = NAME_ALIAS;
    } else if (s == "scx") {
        p.kind = SCRIPT_EXTENSIONS;
    } else if (m != mapped.end()) {
        p.kind = p.type == "String" ? MAPPING : TEXT;
    } else {
        throw InputError(p.long_name() + ": a " + p.type + " property no table holds");
    }
    if (p.kind == SIMPLE_CASE || p.kind == MAPPING || p.kind == TEXT) {
        if (m == mapped.end()) throw InputError(p.long_name() + ": no mapping table holds it");
        p.column = static_cast<int>(m - mapped.begin());
    }
}

// Properties of the Unihan and other ideograph databases are not answered: their long
// names are "k" followed by a capital letter.
bool excluded(const std::string &long_name) {
    return long_name.size() > 1 && long_name[0] == 'k' && long_name[1] >= 'A' && long_name[1] <= 'Z';
}

// The properties of PropertyAliases.txt in file order, their type from the section
// heading above them ("# Binary Properties").
std::vector<Property> read_property_aliases(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path.string(), "cannot open file");
    std::vector<Property> properties;
    std::string text, type, file = path.string();
    for (int number = 1; std::getline(in, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const std::string suffix = " Properties";
        if (text.size() > 2 + suffix.size() && text.compare(0, 2, "# ") == 0 &&
            text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            text.find(' ', 2) == text.size() - suffix.size()) {
            type = text.substr(2, text.size() - 2 - suffix.size());
            continue;
        }
        std::string data = text.substr(0, text.find('#'));
        if (data.find_first_not_of(" \t") == std::string::npos) continue;
        Property p;
        for (size_t start = 0;;) {
            size_t cut = data.find(';', start);
            std::string field = data.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
            size_t b = field.find_first_not_of(" \t"), e = field.find_last_not_of(" \t");
            p.aliases.push_back(b == std::string::npos ? "" : field.substr(b, e - b + 1));
            if (cut == std::string::npos) break;
            start = cut + 1;
        }
        Line line{&file, number, {}};
        if (p.aliases.size() < 2 || std::find(p.aliases.begin(), p.aliases.end(), "") != p.aliases.end())
            line.fail("expected short name ; long name [; other aliases]");
        if (type.empty()) line.fail("property before any section heading");
        p.type = type;
        if (!excluded(p.long_name())) properties.push_back(std::move(p));
    }
    return properties;
}

// A property's values from PropertyValueAliases.txt, in file order: every alias of each.
using ValueAliases = std::vector<std::vector<std::string>>;

std::map<std::string, ValueAliases> read_value_aliases(const std::filesystem::path &path) {
    std::map<std::string, ValueAliases> values;
    UcdFile file(path);
    for (const Line &line : file.lines(3)) {
        std::vector<std::string> aliases(line.fields.begin() + 1, line.fields.end());
        values[std::string(line.fields[0])].push_back(aliases);
    }
    return values;
}

// The position in `values` of the value the files spell `raw`, compared loosely.
uint16_t value_index(const ValueAliases &values, const std::string &raw, const std::string &what) {
    const std::string key = loose_key(raw);
    for (size_t i = 0; i < values.size(); ++i)
        for (const std::string &alias : values[i])
            if (loose_key(alias) == key) return static_cast<uint16_t>(i);
    throw InputError(what + ": unknown value '" + raw + "'");
}

// One property's value for every code point, as stored: a value index, a combining
// class, a numeric value's index or 0/1.
using Values = std::vector<uint16_t>;

class PropertySources {
public:
    explicit PropertySources(Context &context) : context_(context) {
        for (const char *name : {"PropList.txt", "DerivedCoreProperties.txt", "emoji/emoji-data.txt",
                                 "DerivedNormalizationProps.txt"}) {
            for (auto &[property, ranges] : read_named_properties(context.current_file(name))) {
                if (named_.count(property))
                    fail(context.current_file(name).string(), "property " + property + " is listed in two files");
                named_[property] = std::move(ranges);
                named_file_[property] = context.current_file(name).string();
            }
        }
        pva_defaults_ = read_named_properties(context.current_file("PropertyValueAliases.txt"), true);
    }

    // The raw value of every code point of an enumerated property, by where it is kept.
    PropertyColumn column(const Property &p) {
        const std::string &s = p.short_name(), &l = p.long_name();
        auto file = [&](const char *name, size_t field = 1) {
            PropertyRanges r = read_property_file(context_.current_file(name), field);
            return with_value_alias_defaults(r, l, context_.current_file(name).string());
        };
        if (s == "bpt") return file("BidiBrackets.txt", 2);
        if (s == "ea") return file("EastAsianWidth.txt");
        if (s == "GCB") return file("auxiliary/GraphemeBreakProperty.txt");
        if (s == "WB") return file("auxiliary/WordBreakProperty.txt");
        if (s == "SB") return file("auxiliary/SentenceBreakProperty.txt");
        if (s == "hst") return file("HangulSyllableType.txt");
        if (s == "InPC") return file("IndicPositionalCategory.txt");
        if (s == "InSC") return file("IndicSyllabicCategory.txt");
        if (s == "lb") return file("LineBreak.txt");
        if (s == "vo") return file("VerticalOrientation.txt");
        if (s == "jg") return arabic_shaping(3, "No_Joining_Group");
        if (s == "jt") return joining_type();
        if (s == "gc") return unicode_data(l, [](const UnicodeDataEntry &e) { return e.category; });
        if (s == "ccc") return unicode_data(l, [](const UnicodeDataEntry &e) { return std::to_string(e.combining); }, "0");
        if (s == "bc") return bidi_class();
        if (s == "dt") return decomposition_type();
        if (s == "nt") return numeric_type();
        auto named = named_.find(s);
        if (named == named_.end()) named = named_.find(l);
        if (named != named_.end())
            return with_value_alias_defaults(named->second, l, named_file_[named->first]);
        throw InputError(l + ": no file gives its values");
    }

    // Whether each code point has a binary property.
    std::vector<bool> binary(const Property &p) {
        std::vector<bool> set(CODE_POINTS, false);
        auto add = [&](CodePointRange r) { std::fill(set.begin() + r.first, set.begin() + r.last + 1, true); };
        if (p.short_name() == "Bidi_M") {
            for (const UnicodeDataEntry &e : context_.current().entries())
                if (e.mirrored) add({e.code_point, e.last});
            return set;
        }
        if (p.short_name() == "CE") {
            UcdFile file(context_.current_file("CompositionExclusions.txt"));
            for (const Line &line : file.lines(1)) add(line.range(0));
            return set;
        }
        auto named = named_.find(p.long_name());
        if (named == named_.end()) throw InputError(p.long_name() + ": no file lists it");
        for (const RangeValue &d : named->second.defaults)
            if (d.value != "No" && d.value != "N") throw InputError(d.where + ": binary default other than No");
        for (const RangeValue &r : named->second.listed) {
            if (r.value != "Y") throw InputError(r.where + ": a binary property with a value");
            add(r.range);
        }
        return set;
    }

private:
    // A file's lines, with the defaults PropertyValueAliases.txt gives its property first.
    PropertyColumn with_value_alias_defaults(const PropertyRanges &ranges, const std::string &long_name,
                                             const std::string &what) {
        PropertyRanges all = ranges;
        auto d = pva_defaults_.find(long_name);
        if (d != pva_defaults_.end())
            all.defaults.insert(all.defaults.begin(), d->second.defaults.begin(), d->second.defaults.end());
        return property_column(all, nullptr, what + " (" + long_name + ")");
    }

    // A field of UnicodeData.txt; unlisted code points take the default of
    // PropertyValueAliases.txt, or `fallback` where it gives none.
    template <class Field>
    PropertyColumn unicode_data(const std::string &long_name, Field field, const char *fallback = nullptr) {
        PropertyRanges ranges;
        if (fallback != nullptr) ranges.defaults.push_back({{0, CODE_POINTS - 1}, fallback, "UnicodeData.txt"});
        for (const UnicodeDataEntry &e : context_.current().entries())
            ranges.listed.push_back({{e.code_point, e.last}, field(e), e.file + ":" + std::to_string(e.line)});
        return with_value_alias_defaults(ranges, long_name, context_.current_file("UnicodeData.txt").string());
    }

    PropertyColumn arabic_shaping(size_t field, const std::string &fallback) {
        PropertyRanges r = read_property_file(context_.current_file("ArabicShaping.txt"), field);
        return property_column(r, &fallback, context_.current_file("ArabicShaping.txt").string());
    }

    // Code points ArabicShaping.txt does not list are Transparent when their category is
    // Mn, Me or Cf, and Non_Joining otherwise.
    PropertyColumn joining_type() {
        PropertyColumn column = arabic_shaping(2, "");
        const uint16_t transparent = column.index("T"), non_joining = column.index("U");
        for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
            if (column.of[cp] != 0) continue;
            const UnicodeDataEntry *e = context_.current().find(cp);
            const bool mark = e && (e->category == "Mn" || e->category == "Me" || e->category == "Cf");
            column.of[cp] = mark ? transparent : non_joining;
        }
        return column;
    }

    // UnicodeData.txt's classes; unlisted code points take the defaults of the blocks
    // reserved for right-to-left scripts (the generator's own bidi-class-defaults.txt),
    // except that unlisted default-ignorable code points and noncharacters are BN.
    PropertyColumn bidi_class() {
        const std::filesystem::path own = context_.own_file("bidi-class-defaults.txt");
        PropertyRanges ranges = read_property_file(own);
        for (const UnicodeDataEntry &e : context_.current().entries())
            ranges.listed.push_back({{e.code_point, e.last}, e.bidi, e.file + ":" + std::to_string(e.line)});
        PropertyColumn column = property_column(ranges, nullptr, own.string());
        const uint16_t boundary_neutral = column.index("BN");
        for (const char *name : {"Default_Ignorable_Code_Point", "Noncharacter_Code_Point"}) {
            auto named = named_.find(name);
            if (named == named_.end()) throw InputError(std::string(name) + ": no file lists it");
            for (const RangeValue &r : named->second.listed)
                for (uint32_t cp = r.range.first; cp <= r.range.last; ++cp)
                    if (!context_.current().find(cp)) column.of[cp] = boundary_neutral;
        }
        return column;
    }

    // A tag `<compat>` names the type; a mapping without a tag, and a Hangul syllable's
    // algorithmic mapping, are Canonical; no mapping is None.
    PropertyColumn decomposition_type() {
        const std::string none = "None";
        PropertyRanges ranges;
        for (const UnicodeDataEntry &e : context_.current().entries()) {
            std::string type = e.decomposition.empty() ? "None" : "Canonical";
            if (!e.decomposition.empty() && e.decomposition[0] == '<') {
                size_t close = e.decomposition.find('>');
                if (close == std::string::npos)
                    throw InputError(e.file + ":" + std::to_string(e.line) + ": decomposition tag without '>'");
                type = e.decomposition.substr(1, close - 1);
            }
            if (e.name == "<Hangul Syllable") type = "Canonical";
            ranges.listed.push_back({{e.code_point, e.last}, type, e.file + ":" + std::to_string(e.line)});
        }
        return property_column(ranges, &none, context_.current_file("UnicodeData.txt").string());
    }

    // Decimal where UnicodeData.txt gives a decimal value, Digit where only a digit
    // value, Numeric where only a numeric value (its own or the Unihan one), else None.
    PropertyColumn numeric_type() {
        PropertyColumn column;
        column.of.assign(CODE_POINTS, column.index("None"));
        const uint16_t decimal = column.index("Decimal"), digit = column.index("Digit"), numeric = column.index("Numeric");
        const std::vector<double> &values = context_.current_numeric();
        for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
            const UnicodeDataEntry *e = context_.current().find(cp);
            if (e && e->decimal >= 0) column.of[cp] = decimal;
            else if (e && e->digit >= 0) column.of[cp] = digit;
            else if (values[cp] != -1.0) column.of[cp] = numeric;
        }
        return column;
    }

    Context &context_;
    std::map<std::string, PropertyRanges> named_, pva_defaults_;
    std::map<std::string, std::string> named_file_;
};

// Which record table holds a property: enumerated values that change with the
// character's category and bidi class together, the segmentation and Indic classes,
// and the binary properties packed eight to a byte.
int group_of(const Property &p) {
    static const std::set<std::string> segmentation = {"GCB", "WB", "SB", "InCB", "InPC", "InSC",
                                                       "NFC_QC", "NFD_QC", "NFKC_QC", "NFKD_QC", "hst", "vo"};
    if (p.kind == BINARY) return 2;
    return segmentation.count(p.short_name()) ? 1 : 0;
}
constexpr int GROUPS = 3;

// The shift whose two-stage table of these record numbers takes the fewest bytes.
TwoStageIndex smallest_index(const std::vector<uint32_t> &record_of) {
    TwoStageIndex best{0, {}, {}};
    size_t best_size = SIZE_MAX;
    for (int shift = 4; shift <= 9; ++shift) {
        TwoStageIndex index = build_two_stage(record_of, shift);
        size_t size = 2 * (index.stage1.size() + index.stage2.size());
        if (size < best_size) {
            best_size = size;
            best = std::move(index);
        }
    }
    return best;
}

// The strings as one text, each ended by a NUL, and where each begins: string i is
// <name>_text + <name>_start[i], <name>_start[i + 1] - <name>_start[i] - 1 bytes long. A
// table of pointers would need one relocation per string when the module is loaded, and a
// page of writable memory for every 512 of them.
void write_strings(HeaderWriter &out, const std::string &name, const std::vector<std::string> &strings) {
    std::vector<uint32_t> start{0};
    for (const std::string &s : strings) start.push_back(start.back() + static_cast<uint32_t>(s.size()) + 1);
    if (start.back() > 0xFFFF) throw InputError("the strings of " + name + " too long for 16-bit offsets");
    out.text("inline constexpr char " + name + "_text[" + std::to_string(start.back()) + " + 1] =");
    std::string line;
    for (const std::string &s : strings) {
        std::string entry = " " + string_literal(s + '\0');
        if (line.size() + entry.size() > 110) {
            out.text("\n   " + line);
            line.clear();
        }
        line += entry;
    }
    out.text("\n   " + line + ";\n");
    out.array("uint16_t", name + "_start", start);
}

// The seed under which every key has a slot of its own, the first from 1 up, and the key
// in each slot.
struct KeySlots {
    uint32_t seed;
    std::vector<uint32_t> key_of_slot;
};

KeySlots key_slots(const std::vector<std::string> &keys) {
    if (keys.size() >= 0xFF) throw InputError("more loose property keys than a slot byte can name");
    for (uint32_t seed = 1; seed < 1000000; ++seed) {
        std::vector<uint32_t> key_of_slot(charlore::key_hash::SLOTS, 0xFF);
        bool separate = true;
        for (size_t k = 0; separate && k < keys.size(); ++k) {
            uint32_t &slot = key_of_slot[charlore::key_hash::slot_of(keys[k].data(), keys[k].size(), seed)];
            separate = slot == 0xFF;
            slot = static_cast<uint32_t>(k);
        }
        if (separate) return {seed, key_of_slot};
    }
    throw InputError("no seed gives every loose property key a slot of its own");
}

void check_key_sizes(const std::vector<std::string> &keys) {
    for (const std::string &k : keys)
        if (k.size() + 2 > charlore::key_hash::KEY_LIMIT)  // room for an initial "is"
            throw InputError("loose property key '" + k + "' too long for the module's key buffer");
}

}  // namespace

Output build_property_values_tables(Context &context) {
    std::vector<Property> properties = read_property_aliases(context.current_file("PropertyAliases.txt"));
    const auto value_aliases = read_value_aliases(context.current_file("PropertyValueAliases.txt"));
    PropertySources sources(context);

    for (const Property &p : properties)
        if (p.type != "Binary" && p.type != "Enumerated" && p.type != "Catalog" && p.type != "Numeric" &&
            p.type != "String" && p.type != "Miscellaneous")
            throw InputError(p.long_name() + ": properties of type " + p.type + " are not known");

    std::vector<std::string> value_names;  // short alias of every enumerated value, by property
    std::vector<double> numeric_values = {0.0};  // index 0: no value
    std::vector<std::vector<Values>> group_columns(GROUPS);
    std::vector<int> binary_bits(GROUPS, 0);
    for (Property &p : properties) {
        const std::string &s = p.short_name();
        if (p.type == "String" || p.type == "Miscellaneous") {
            set_string_kind(p);
            continue;
        } else if (p.type == "Binary") {
            p.kind = BINARY;
        } else if (s == "sc" || s == "blk" || s == "age") {
            p.kind = s == "sc" ? SCRIPT : s == "blk" ? BLOCK : AGE;
            continue;  // answered from the script, block and age records
        } else if (s == "ccc") {
            p.kind = COMBINING_CLASS;
        } else if (p.type == "Numeric") {
            p.kind = NUMERIC;
        } else {
            p.kind = ENUMERATED;
        }
        p.group = group_of(p);
        Values values(CODE_POINTS);
        if (p.kind == BINARY) {
            std::vector<bool> set = sources.binary(p);
            int bit = binary_bits[p.group]++;
            p.column = bit / 8;
            p.bit = bit % 8;
            if (p.column == static_cast<int>(group_columns[p.group].size())) group_columns[p.group].emplace_back(CODE_POINTS, 0);
            for (uint32_t cp = 0; cp < CODE_POINTS; ++cp)
                if (set[cp]) group_columns[p.group][p.column][cp] |= static_cast<uint16_t>(1u << p.bit);
            continue;
        }
        if (p.kind == NUMERIC) {
            const std::vector<double> &numeric = context.current_numeric();
            for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
                if (numeric[cp] == -1.0) continue;
                auto it = std::find(numeric_values.begin() + 1, numeric_values.end(), numeric[cp]);
                values[cp] = static_cast<uint16_t>(it - numeric_values.begin());
                if (it == numeric_values.end()) numeric_values.push_back(numeric[cp]);
            }
        } else {
            auto aliases = value_aliases.find(s);
            if (aliases == value_aliases.end()) throw InputError(p.long_name() + ": no values in PropertyValueAliases.txt");
            PropertyColumn column = sources.column(p);
            std::vector<bool> used(column.values.size(), false);
            for (uint16_t v : column.of) used[v] = true;
            std::vector<uint16_t> stored;
            for (size_t raw = 0; raw < column.values.size(); ++raw) {
                if (!used[raw]) {  // a placeholder that derived values replaced everywhere
                    stored.push_back(0);
                    continue;
                }
                uint16_t i = value_index(aliases->second, column.values[raw], p.long_name());
                stored.push_back(p.kind == COMBINING_CLASS
                                     ? static_cast<uint16_t>(std::stoi(aliases->second[i][0]))
                                     : i);
            }
            for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) values[cp] = stored[column.of[cp]];
            p.first_value = value_names.size();
            p.value_count = aliases->second.size();
            for (const auto &v : aliases->second) value_names.push_back(v[0]);
        }
        p.column = static_cast<int>(group_columns[p.group].size());
        group_columns[p.group].push_back(std::move(values));
    }
    if (numeric_values.size() > 256) throw InputError("Numeric_Value: more than 256 distinct values");

    // Value names as loose keys, sorted within each property, with the stored value each
    // stands for: 0 or 1 for a binary property, the combining class, the position of a
    // block in block_names, else the value's position among the property's values.
    const std::vector<std::string> block_order =
        property_column(read_property_file(context.current_file("Blocks.txt")), nullptr, "Blocks.txt").values;
    std::vector<std::string> value_keys;
    std::vector<uint32_t> value_of_key;
    for (Property &p : properties) {
        if (p.kind == NUMERIC || string_kind(p.kind)) continue;
        auto aliases = value_aliases.find(p.short_name());
        if (aliases == value_aliases.end()) throw InputError(p.long_name() + ": no values in PropertyValueAliases.txt");
        std::map<std::string, uint32_t> keys;
        for (size_t i = 0; i < aliases->second.size(); ++i) {
            const auto &names = aliases->second[i];
            uint32_t stored = static_cast<uint32_t>(i);
            if (p.kind == BINARY) stored = names[0] == "Y" ? 1 : 0;
            if (p.kind == COMBINING_CLASS) stored = static_cast<uint32_t>(std::stoi(names[0]));
            if (p.kind == BLOCK) {
                auto it = std::find_if(block_order.begin(), block_order.end(), [&](const std::string &b) {
                    return std::any_of(names.begin(), names.end(), [&](const std::string &n) { return loose_key(n) == loose_key(b); });
                });
                if (it == block_order.end()) throw InputError("Block: value '" + names[0] + "' is in no block of Blocks.txt");
                stored = static_cast<uint32_t>(it - block_order.begin());
            }
            for (const std::string &name : names) {
                auto [it, inserted] = keys.emplace(loose_key(name), stored);
                if (!inserted && it->second != stored)
                    throw InputError(p.long_name() + ": value alias '" + name + "' is ambiguous");
            }
        }
        p.first_key = value_keys.size();
        p.key_count = keys.size();
        for (const auto &[key, stored] : keys) {
            if (key.size() + 2 > charlore::key_hash::KEY_LIMIT)  // room for an initial "is"
                throw InputError("loose value key '" + key + "' too long for the module's key buffer");
            value_keys.push_back(key), value_of_key.push_back(stored);
        }
    }

    // Property names: every alias once, and every loose key once.
    std::map<std::string, size_t> exact, loose;
    for (size_t i = 0; i < properties.size(); ++i)
        for (const std::string &alias : properties[i].aliases) {
            if (exact.count(alias) && exact[alias] != i) throw InputError("property alias '" + alias + "' is ambiguous");
            exact[alias] = i;
            std::string key = loose_key(alias);
            if (loose.count(key) && loose[key] != i) throw InputError("property alias '" + alias + "' is ambiguous");
            loose[key] = i;
        }

    HeaderWriter out("Every property of PropertyAliases.txt and the byte records of the enumerable ones, UCD 18.0.0.",
                     "UCD 18.0.0 (PropertyAliases.txt, PropertyValueAliases.txt and the property files)");
    out.text("namespace charlore::property_values {\n\n");
    out.text("enum PropertyKind : uint8_t {");
    for (const char *k : KIND_NAMES) out.text(std::string(" ") + k + ",");
    out.text(" };\n\n");
    out.text("// A property: its long name, how its value is kept, and which record table, byte and\n"
             "// bit hold it; an enumerated one's values are value_names[first_value..+value_count), and\n"
             "// the keys of its value names value_keys[first_key..+key_count).\n"
             "struct PropertyInfo {\n    const char *name;\n    PropertyKind kind;\n    uint8_t table, column, bit;\n"
             "    uint16_t first_value, value_count;\n    uint16_t first_key, key_count;\n};\n\n");
    out.text("inline constexpr PropertyInfo property_info[" + std::to_string(properties.size()) + "] = {\n");
    for (const Property &p : properties)
        out.text("    {" + string_literal(p.long_name()) + ", " + KIND_NAMES[p.kind] + ", " +
                 std::to_string(std::max(p.group, 0)) + ", " + std::to_string(p.column) + ", " + std::to_string(p.bit) +
                 ", " + std::to_string(p.first_value) + ", " + std::to_string(p.value_count) + ", " +
                 std::to_string(p.first_key) + ", " + std::to_string(p.key_count) + "},\n");
    out.text("};\n\n");

    std::vector<std::string> alias_names, key_names;
    std::vector<uint32_t> alias_properties, key_properties;
    for (const auto &[alias, i] : exact) alias_names.push_back(alias), alias_properties.push_back(static_cast<uint32_t>(i));
    for (const auto &[key, i] : loose) key_names.push_back(key), key_properties.push_back(static_cast<uint32_t>(i));
    out.text("// Every alias of every property as PropertyAliases.txt spells it, sorted.\n");
    write_strings(out, "property_aliases", alias_names);
    out.array("uint8_t", "property_of_alias", alias_properties);
    out.text("// Every alias as loose matching compares it (lower case, no spaces, underscores,\n"
             "// hyphens or initial \"is\"), sorted byte by byte.\n");
    check_key_sizes(key_names);
    write_strings(out, "property_keys", key_names);
    out.array("uint8_t", "property_of_key", key_properties);
    const KeySlots slots = key_slots(key_names);
    out.text("// The key in each slot of key_hash::slot_of under the seed (0xFF: none); no two keys\n"
             "// share a slot.\n");
    out.constant("uint32_t", "PROPERTY_KEY_SEED", slots.seed);
    out.array("uint8_t", "property_key_slots", slots.key_of_slot, 32);

    out.text("// The short alias of each enumerated value.\n");
    write_strings(out, "value_names", value_names);
    out.text("// Every value name of each property as loose matching compares it, sorted within the\n"
             "// property, and the stored value it stands for.\n");
    write_strings(out, "value_keys", value_keys);
    out.array("uint16_t", "value_of_key", value_of_key);
    out.text("// Numeric_Value by index; index 0 stands for NaN, the value of characters without one.\n");
    out.text("inline constexpr double numeric_values[" + std::to_string(numeric_values.size()) + "] = {");
    for (size_t i = 0; i < numeric_values.size(); ++i)
        out.text(std::string(i % 6 == 0 ? "\n   " : "") + " " +
                 double_literal(numeric_values[i]) + ",");
    out.text("\n};\n\n");

    out.text("// A table of byte records, `width` bytes each, shared by code points with equal values.\n"
             "struct RecordTable {\n    int shift, width;\n    const uint16_t *stage1, *stage2;\n"
             "    const uint8_t *records;\n};\n\n");
    std::vector<std::string> summary;
    std::vector<uint32_t> record_counts, stage2_sizes;
    std::string tables;
    for (int g = 0; g < GROUPS; ++g) {
        const auto &columns = group_columns[g];
        RecordSet<std::vector<uint8_t>> records(std::vector<uint8_t>(columns.size(), 0));
        std::vector<uint32_t> record_of(CODE_POINTS);
        for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
            std::vector<uint8_t> r(columns.size());
            for (size_t c = 0; c < columns.size(); ++c) {
                if (columns[c][cp] > 0xFF) throw InputError("a property value too large for a byte record");
                r[c] = static_cast<uint8_t>(columns[c][cp]);
            }
            record_of[cp] = records.add(r);
        }
        TwoStageIndex index = smallest_index(record_of);
        if (records.records().size() > 0xFFFF || index.blocks() > 0xFFFF)
            throw InputError("property records: more than 65535 records or blocks");
        std::vector<uint32_t> bytes;
        for (const auto &r : records.records()) bytes.insert(bytes.end(), r.begin(), r.end());
        const std::string n = std::to_string(g);
        record_counts.push_back(static_cast<uint32_t>(records.records().size()));
        stage2_sizes.push_back(static_cast<uint32_t>(index.stage2.size()));
        out.array("uint16_t", "table" + n + "_stage1", index.stage1);
        out.array("uint16_t", "table" + n + "_stage2", index.stage2);
        out.array("uint8_t", "table" + n + "_records", bytes, static_cast<int>(std::max<size_t>(columns.size(), 1)));
        tables += "    {" + std::to_string(index.shift) + ", " + std::to_string(columns.size()) + ", table" + n +
                  "_stage1, table" + n + "_stage2, table" + n + "_records},\n";
        summary.push_back("record table " + n + ": " + std::to_string(records.records().size()) + " records of " +
                          std::to_string(columns.size()) + " bytes, " + std::to_string(index.blocks()) +
                          " blocks of " + std::to_string(1 << index.shift) + ", " +
                          std::to_string(2 * (index.stage1.size() + index.stage2.size()) + bytes.size()) + " bytes");
    }
    out.array("uint32_t", "table_record_counts", record_counts);
    out.array("uint32_t", "table_stage2_sizes", stage2_sizes);
    out.text("inline constexpr RecordTable record_tables[" + std::to_string(GROUPS) + "] = {\n" + tables + "};\n\n");
    out.text("}  // namespace charlore::property_values\n");

    Output output{"property_values_tables.h", out.finish(), {}};
    output.summary.push_back(std::to_string(properties.size()) + " properties, " + std::to_string(alias_names.size()) +
                             " aliases, " + std::to_string(value_names.size()) + " enumerated values, " +
                             std::to_string(numeric_values.size() - 1) + " numeric values");
    output.summary.insert(output.summary.end(), summary.begin(), summary.end());
    return output;
}

}  // namespace gen
