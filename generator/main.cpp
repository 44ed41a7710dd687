// charlore-generate: reads the UCD text files and writes the constant tables of the
// module, one header per subsystem. Output is written only when every table was built.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <system_error>

#include "context.h"

namespace {

constexpr const char *USAGE =
    "usage: charlore-generate [--ucd DIR] [--data DIR] [--out DIR]\n"
    "  --ucd DIR   UCD input, with 18.0.0/ and 3.2.0/ below it (default ../shared/ucd)\n"
    "  --data DIR  the generator's own data files (default generator/data)\n"
    "  --out DIR   where the headers are written (default src/generated)\n";

void write_all(const std::filesystem::path &out_dir, const std::vector<gen::Output> &outputs) {
    std::filesystem::create_directories(out_dir);
    std::vector<std::filesystem::path> temporaries;
    for (const gen::Output &output : outputs) {
        std::filesystem::path temporary = out_dir / ("." + output.file + ".tmp");
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << output.content;
        out.close();
        if (!out) {
            for (const auto &t : temporaries) std::filesystem::remove(t);
            std::filesystem::remove(temporary);
            throw gen::InputError(temporary.string() + ": cannot write");
        }
        temporaries.push_back(temporary);
    }
    for (size_t i = 0; i < outputs.size(); ++i) std::filesystem::rename(temporaries[i], out_dir / outputs[i].file);
}

}  // namespace

int main(int argc, char **argv) {
    std::filesystem::path ucd = "../shared/ucd", data = "generator/data", out = "src/generated";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--ucd" || arg == "--data" || arg == "--out") && i + 1 < argc) {
            (arg == "--ucd" ? ucd : arg == "--data" ? data : out) = argv[++i];
        } else {
            bool help = arg == "--help" || arg == "-h";
            std::fputs(USAGE, help ? stdout : stderr);
            return help ? 0 : 2;
        }
    }
    try {
        gen::Context context(ucd, data);
        std::vector<gen::Output> outputs;
        for (auto build : {gen::build_database_tables, gen::build_ctype_tables, gen::build_normalize_tables,
                           gen::build_expansion_tables, gen::build_names_tables, gen::build_segmentation_tables,
                           gen::build_properties_tables, gen::build_property_values_tables, gen::build_mapping_tables}) {
            gen::Output output = build(context);
            if (!output.file.empty()) outputs.push_back(std::move(output));
        }
        write_all(out, outputs);
        for (const gen::Output &output : outputs) {
            std::cout << (out / output.file).string() << "\n";
            for (const std::string &line : output.summary) std::cout << "  " << line << "\n";
        }
    } catch (const std::exception &e) {
        std::cerr << "charlore-generate: " << e.what() << "\nno tables were written\n";
        return 1;
    }
    return 0;
}
