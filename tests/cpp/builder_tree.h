// A temporary input tree for the tests of one table builder: the UCD 18.0.0 files it
// reads, one of them replaced or left out; the tables built from it, or the refusal.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "context.h"

using BuilderFiles = std::map<std::string, std::string>;

class BuilderTree {
public:
    using Build = gen::Output (*)(gen::Context &);

    // `files` with their text, except that `file` has `content` instead, or is missing.
    BuilderTree(const BuilderFiles &files, Build build, const std::string &file, const std::string &content,
                bool missing)
        : build_(build) {
        char pattern[] = "/tmp/charlore-builder-XXXXXX";
        root_ = mkdtemp(pattern);
        std::filesystem::create_directories(root_ / "ucd" / "18.0.0");
        for (const auto &[name, text] : files)
            if (name != file || !missing) std::ofstream(root_ / "ucd" / "18.0.0" / name) << (name == file ? content : text);
    }
    ~BuilderTree() { std::filesystem::remove_all(root_); }
    BuilderTree(const BuilderTree &) = delete;
    BuilderTree &operator=(const BuilderTree &) = delete;

    gen::Output build() const {
        gen::Context context(root_ / "ucd", root_ / "data");
        return build_(context);
    }
    // The message of the refusal, or "" when the tables were built.
    std::string error() const {
        try {
            build();
            return "";
        } catch (const gen::InputError &e) {
            return e.what();
        }
    }

private:
    std::filesystem::path root_;
    Build build_;
};
