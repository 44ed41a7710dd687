// Fuzz target: normalize on both database objects, all four forms, any text. Checks that
// every form is idempotent and that NFC(NFD(s)) = NFC(s) and NFKC(NFKD(s)) = NFKC(s); on
// the module also the converse NFD(NFC(s)) = NFD(s) and NFKD(NFKC(s)) = NFKD(s), and that
// its results equal those of the reference normalizer. The converse does not hold on
// ucd_3_2_0, which composes with the current data (U+1B05 U+1B35 to U+1B06) but leaves
// characters added after Unicode 3.2.0, such as U+1B06, undecomposed.
#include <cstdint>
#include <string>

#include "harness.h"
#include "reference_normalizer.h"

namespace {

using fuzz::Form;

const fuzz::ReferenceNormalizer &reference() {
    static const fuzz::ReferenceNormalizer normalizer(fuzz::ucd_directory());
    return normalizer;
}

constexpr const char *FORM_NAMES[] = {"NFC", "NFD", "NFKC", "NFKD"};

std::u32string normalized(PyObject *database, int form, const std::u32string &text) {
    PyObject *result = fuzz::call(database, "normalize", {PyUnicode_FromString(FORM_NAMES[form]), fuzz::new_str(text)});
    if (result == nullptr || !PyUnicode_CheckExact(result))
        fuzz::broken(std::string(FORM_NAMES[form]) + " gives a str", text);
    std::u32string out = fuzz::code_points(result);
    Py_DECREF(result);
    return out;
}

void check(PyObject *database, const char *label, const std::u32string &text, bool current) {
    std::u32string forms[4];
    for (int form = 0; form < 4; ++form) {
        forms[form] = normalized(database, form, text);
        if (normalized(database, form, forms[form]) != forms[form])
            fuzz::broken(std::string(label) + ": " + FORM_NAMES[form] + " is idempotent", text);
        if (current && forms[form] != reference().normalize(static_cast<Form>(form), text))
            fuzz::broken(std::string(label) + ": " + FORM_NAMES[form] + " agrees with the reference", text);
    }
    const int NFC = 0, NFD = 1, NFKC = 2, NFKD = 3;
    if (normalized(database, NFC, forms[NFD]) != forms[NFC]) fuzz::broken(std::string(label) + ": NFC(NFD(s)) = NFC(s)", text);
    if (normalized(database, NFKC, forms[NFKD]) != forms[NFKC])
        fuzz::broken(std::string(label) + ": NFKC(NFKD(s)) = NFKC(s)", text);
    if (!current) return;
    if (normalized(database, NFD, forms[NFC]) != forms[NFD]) fuzz::broken(std::string(label) + ": NFD(NFC(s)) = NFD(s)", text);
    if (normalized(database, NFKD, forms[NFKC]) != forms[NFKD])
        fuzz::broken(std::string(label) + ": NFKD(NFKC(s)) = NFKD(s)", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const fuzz::Databases &db = fuzz::databases();
    const std::u32string text = fuzz::text_of(data, size, reference().interesting());
    check(db.module, "module", text, true);
    check(db.old, "ucd_3_2_0", text, false);
    return 0;
}
