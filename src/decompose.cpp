// Canonical ordering of 32-bit buffers, as the general path and the tests call it.
#include "decompose.h"

namespace charlore {

using namespace normalization;

bool put_in_canonical_order(uint32_t *buffer, Py_ssize_t count, Py_ssize_t counting_sort_min_run) {
    return put_in_order(buffer, count, counting_sort_min_run);
}

}  // namespace charlore
