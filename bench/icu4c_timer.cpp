// Times ICU4C's unorm2_normalize (UTF-16 in, the caller's buffer out) for the Python-level
// benchmark, which interleaves these batches with its own, so that the three sides of a
// normalize row meet the same spells of a shared machine.
//
// Usage: charlore-icu4c-timer DIR, where DIR holds corpora.txt and the corpus files that
// python_bench.py writes. Each line of standard input is one request,
//     FORM INDEX LOOPS    (FORM: NFC, NFD, NFKC or NFKD; INDEX: the corpus's line in corpora.txt)
// answered by one line "SECONDS UNITS": the seconds that LOOPS calls took and the length of
// the result in UTF-16 units, or "error MESSAGE".
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "allocator.h"

namespace {

// The longest decomposition of one UTF-16 unit is 18 units (U+FDFA under NFKD).
constexpr size_t max_expansion = 18;

struct Text {
    std::vector<UChar> units;
    std::vector<UChar> target;  // room for the longest possible result
};

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "charlore-icu4c-timer: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<Text> read_texts(const std::string &directory) {
    std::vector<Text> texts;
    std::istringstream index(read_file(directory + "/corpora.txt"));
    for (std::string line; std::getline(index, line);) {
        std::string utf8 = read_file(directory + "/" + line.substr(0, line.find('\t')));
        Text text;
        text.units.resize(utf8.size() + 1);
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8(text.units.data(), static_cast<int32_t>(text.units.size()), &length, utf8.data(),
                      static_cast<int32_t>(utf8.size()), &status);
        if (U_FAILURE(status)) {
            std::fprintf(stderr, "charlore-icu4c-timer: %s is not UTF-8\n", line.c_str());
            std::exit(2);
        }
        text.units.resize(static_cast<size_t>(length));
        text.target.resize(text.units.size() * max_expansion + 16);
        texts.push_back(std::move(text));
    }
    return texts;
}

const UNormalizer2 *normalizer(const std::string &form) {
    UErrorCode status = U_ZERO_ERROR;
    if (form == "NFC") return unorm2_getNFCInstance(&status);
    if (form == "NFD") return unorm2_getNFDInstance(&status);
    if (form == "NFKC") return unorm2_getNFKCInstance(&status);
    if (form == "NFKD") return unorm2_getNFKDInstance(&status);
    return nullptr;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: charlore-icu4c-timer DIR\n");
        return 2;
    }
    bench::fix_allocator();
    std::vector<Text> texts = read_texts(argv[1]);
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream request(line);
        std::string form;
        size_t index = 0;
        long loops = 0;
        const UNormalizer2 *instance = nullptr;
        if (!(request >> form >> index >> loops) || loops < 1 || index >= texts.size() ||
            (instance = normalizer(form)) == nullptr) {
            std::cout << "error bad request: " << line << std::endl;
            continue;
        }
        Text &text = texts[index];
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < loops; ++i) {
            status = U_ZERO_ERROR;
            length = unorm2_normalize(instance, text.units.data(), static_cast<int32_t>(text.units.size()),
                                      text.target.data(), static_cast<int32_t>(text.target.size()), &status);
        }
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (U_FAILURE(status)) {
            std::cout << "error " << u_errorName(status) << std::endl;
            continue;
        }
        std::cout << std::setprecision(9) << elapsed.count() << ' ' << length << std::endl;
    }
    return 0;
}
