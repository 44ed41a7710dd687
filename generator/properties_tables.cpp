// Script, script extensions, block and age of every code point: one two-stage table of
// shared records that answers all four with a single lookup.
#include <algorithm>
#include <map>
#include <tuple>

#include "context.h"
#include "property_file.h"
#include "tables.h"

namespace gen {

namespace {

// The values of a file of one property, `range ; value`, with its @missing defaults.
PropertyColumn read_property(const std::filesystem::path &path) {
    return property_column(read_property_file(path), nullptr, path.string());
}

// Short and long value aliases of one property from PropertyValueAliases.txt, in file
// order: short alias first.
std::vector<std::pair<std::string, std::string>> value_aliases(const std::filesystem::path &path,
                                                               const std::string &property) {
    std::vector<std::pair<std::string, std::string>> aliases;
    UcdFile file(path);
    for (const Line &line : file.lines(3))
        if (line.fields[0] == property) aliases.emplace_back(line.fields[1], line.fields[2]);
    if (aliases.empty()) fail(path.string(), "no values of " + property);
    return aliases;
}

// The position in `names` of a value named by any of its aliases.
uint16_t alias_index(const std::vector<std::pair<std::string, std::string>> &aliases, const std::string &value,
                     const std::string &where) {
    for (size_t i = 0; i < aliases.size(); ++i)
        if (aliases[i].first == value || aliases[i].second == value) return static_cast<uint16_t>(i);
    fail(where, "unknown value '" + value + "'");
}

void write_names(HeaderWriter &out, const std::string &name, const std::vector<std::string> &names) {
    out.text("inline constexpr const char *" + name + "[" + std::to_string(names.size()) + "] = {");
    for (size_t i = 0; i < names.size(); ++i) out.text(std::string(i % 6 == 0 ? "\n   " : "") + " " + string_literal(names[i]) + ",");
    out.text("\n};\n\n");
}

using CharacterRecord = std::tuple<uint16_t, uint16_t, uint16_t, uint16_t>;  // script, extensions, block, age

}  // namespace

Output build_properties_tables(Context &context) {
    const std::filesystem::path aliases_path = context.current_file("PropertyValueAliases.txt");
    const auto scripts = value_aliases(aliases_path, "sc");
    const auto ages = value_aliases(aliases_path, "age");

    // Script: stored as the index of its value in PropertyValueAliases.txt.
    PropertyColumn script = read_property(context.current_file("Scripts.txt"));
    std::vector<uint16_t> script_of_value;
    for (const std::string &v : script.values)
        script_of_value.push_back(alias_index(scripts, v, context.current_file("Scripts.txt").string()));

    // Script extensions: distinct lists of script indices in file order; the default
    // "<script>" stands for the one-element list of the character's script.
    PropertyColumn extensions = read_property(context.current_file("ScriptExtensions.txt"));
    std::vector<std::vector<uint16_t>> extension_sets;
    std::map<std::vector<uint16_t>, uint16_t> set_numbers;
    auto set_number = [&](const std::vector<uint16_t> &set) {
        auto [it, inserted] = set_numbers.emplace(set, static_cast<uint16_t>(extension_sets.size()));
        if (inserted) extension_sets.push_back(set);
        return it->second;
    };
    for (size_t i = 0; i < scripts.size(); ++i) set_number({static_cast<uint16_t>(i)});
    std::vector<int> list_of_value;  // -1 for "<script>"
    for (const std::string &v : extensions.values) {
        if (v == "<script>") {
            list_of_value.push_back(-1);
            continue;
        }
        std::vector<uint16_t> set;
        for (size_t start = 0; start < v.size();) {
            size_t end = std::min(v.find(' ', start), v.size());
            if (end > start)
                set.push_back(alias_index(scripts, v.substr(start, end - start),
                                          context.current_file("ScriptExtensions.txt").string()));
            start = end + 1;
        }
        list_of_value.push_back(set_number(set));
    }

    PropertyColumn block = read_property(context.current_file("Blocks.txt"));
    PropertyColumn age = read_property(context.current_file("DerivedAge.txt"));
    std::vector<uint16_t> age_of_value;
    for (const std::string &v : age.values)
        age_of_value.push_back(alias_index(ages, v, context.current_file("DerivedAge.txt").string()));

    RecordSet<CharacterRecord> records(CharacterRecord{});
    std::vector<uint32_t> record_of(CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        uint16_t sc = script_of_value[script.of[cp]];
        int list = list_of_value[extensions.of[cp]];
        uint16_t scx = list < 0 ? set_number({sc}) : static_cast<uint16_t>(list);
        record_of[cp] = records.add({sc, scx, block.of[cp], age_of_value[age.of[cp]]});
    }
    TwoStageIndex index = build_two_stage(record_of, 7);
    if (records.records().size() > 0xFFFF || index.blocks() > 0xFFFF || block.values.size() > 0xFFFF)
        throw InputError("character records: more than 65535 records, blocks or values");

    HeaderWriter out("Script, script extensions, block and age of every code point, UCD 18.0.0.",
                     "UCD 18.0.0 (Scripts.txt, ScriptExtensions.txt, Blocks.txt, DerivedAge.txt, "
                     "PropertyValueAliases.txt)");
    out.text("namespace charlore::properties {\n\n");
    out.text("// One character's values, as indices into the lists below; shared by equal characters.\n"
             "struct CharacterRecord {\n    uint16_t script, extensions, block, age;\n};\n\n");
    std::vector<std::string> script_names, age_names;
    for (const auto &a : scripts) script_names.push_back(a.first);
    for (const auto &a : ages) age_names.push_back(a.first);
    write_names(out, "script_names", script_names);
    write_names(out, "block_names", block.values);
    write_names(out, "age_names", age_names);
    // The short alias of each block, in the order of block_names.
    const auto block_aliases = value_aliases(aliases_path, "blk");
    std::vector<std::string> block_short_names;
    for (const std::string &v : block.values) {
        auto it = std::find_if(block_aliases.begin(), block_aliases.end(), [&](const auto &a) {
            return loose_key(a.first) == loose_key(v) || loose_key(a.second) == loose_key(v);
        });
        if (it == block_aliases.end()) fail(context.current_file("Blocks.txt").string(), "unknown block '" + v + "'");
        block_short_names.push_back(it->first);
    }
    write_names(out, "block_short_names", block_short_names);

    std::vector<uint32_t> set_starts, set_members;
    for (const auto &set : extension_sets) {
        set_starts.push_back(static_cast<uint32_t>(set_members.size()));
        set_members.insert(set_members.end(), set.begin(), set.end());
    }
    set_starts.push_back(static_cast<uint32_t>(set_members.size()));
    out.text("// Script extension lists: those of list i are script_extension_members[starts[i]..starts[i + 1]).\n");
    out.array(unsigned_type_for(set_members.size()), "script_extension_starts", set_starts);
    out.array(unsigned_type_for(scripts.size()), "script_extension_members", set_members);

    out.text("// script, script extension list, block, age\n");
    out.text("inline constexpr CharacterRecord character_records[" + std::to_string(records.records().size()) + "] = {\n");
    std::string line;
    for (const CharacterRecord &r : records.records()) {
        std::string entry = "{" + std::to_string(std::get<0>(r)) + ", " + std::to_string(std::get<1>(r)) + ", " +
                            std::to_string(std::get<2>(r)) + ", " + std::to_string(std::get<3>(r)) + "},";
        if (line.size() + entry.size() > 110) {
            out.text("   " + line + "\n");
            line.clear();
        }
        line += " " + entry;
    }
    out.text("   " + line + "\n};\n\n");
    out.constant("int", "CHARACTER_SHIFT", static_cast<uint64_t>(index.shift));
    out.array(unsigned_type_for(index.blocks() - 1), "character_stage1", index.stage1);
    out.array(unsigned_type_for(records.records().size() - 1), "character_stage2", index.stage2);
    out.text("}  // namespace charlore::properties\n");

    Output output{"properties_tables.h", out.finish(), {}};
    output.summary.push_back(std::to_string(scripts.size()) + " scripts, " + std::to_string(extension_sets.size()) +
                             " script extension lists, " + std::to_string(block.values.size()) + " block values, " +
                             std::to_string(ages.size()) + " ages");
    output.summary.push_back(std::to_string(records.records().size()) + " character records, " +
                             std::to_string(index.blocks()) + " blocks of " + std::to_string(1 << index.shift));
    return output;
}

}  // namespace gen
