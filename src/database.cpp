// Lookups in the generated property records and 3.2.0 change records, and the
// creation of the ucd_3_2_0 object.
#include "database.h"

#include <iterator>

#include "generated/database_tables.h"

namespace charlore {

static_assert(std::size(category_names) == 32 && std::size(bidirectional_names) == 25 &&
              std::size(east_asian_width_names) == 7);

PyObject *category_strings[32];
PyObject *bidirectional_strings[25];
PyObject *east_asian_width_strings[7];

namespace {

// Fills strings[i] for each name up to the null pointer that ends the list.
bool make_strings(const char *const *names, PyObject **strings) {
    for (size_t i = 0; names[i] != nullptr; ++i)
        if ((strings[i] = PyUnicode_FromString(names[i])) == nullptr) return false;
    return true;
}

void release_strings(PyObject **strings, size_t count) {
    for (size_t i = 0; i < count; ++i) Py_CLEAR(strings[i]);
}

}  // namespace

int create_value_strings() {
    if (category_strings[0] != nullptr) return 0;
    if (make_strings(category_names, category_strings) && make_strings(bidirectional_names, bidirectional_strings) &&
        make_strings(east_asian_width_names, east_asian_width_strings))
        return 0;
    release_strings(category_strings, std::size(category_strings));
    release_strings(bidirectional_strings, std::size(bidirectional_strings));
    release_strings(east_asian_width_strings, std::size(east_asian_width_strings));
    return -1;
}

const PropertyRecord &lookup_property_record(uint32_t cp) {
    if (cp > 0x10FFFF) return property_records[0];
    return property_records[property_stage2[(property_stage1[cp >> 7] << 7) + (cp & 127)]];
}

const OldVersionRecord *lookup_old_version_record(uint32_t cp) {
    if (cp > 0x10FFFF) return &old_version_records[0];
    return &old_version_records[old_version_stage2[(old_version_stage1[cp >> 8] << 8) | (cp & 255)]];
}

uint32_t lookup_old_normalization(uint32_t cp) {
    for (size_t i = 0; i < std::size(old_normalization_pairs); i += 2)
        if (old_normalization_pairs[i] == cp) return old_normalization_pairs[i + 1];
    return 0;
}

int add_old_version_object(PyObject *module) {
    UCDObject *self = PyObject_New(UCDObject, &UCD_Type);
    if (self == nullptr) return -1;
    self->version_name = "3.2.0";
    self->old_record_lookup = lookup_old_version_record;
    self->old_normalization = lookup_old_normalization;
    int result = PyModule_AddObjectRef(module, "ucd_3_2_0", reinterpret_cast<PyObject *>(self));
    Py_DECREF(self);
    return result;
}

}  // namespace charlore
