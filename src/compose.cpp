// The composition pair table and the direct composition index.
#include "compose.h"

namespace charlore {

using namespace normalization;

uint32_t composition_pair(int f, int l) { return composite_of(f, l); }

int first_composition_index(uint32_t cp) { return first_index(cp); }
int last_composition_index(uint32_t cp) { return last_index(cp); }

}  // namespace charlore
