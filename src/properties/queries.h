// The character property queries of the current database: script, script_extensions,
// block and age.
#pragma once

#include <Python.h>

namespace charlore::properties {

extern PyMethodDef property_methods[];

// Creates the str objects of the value names (once, at import). -1 with an exception
// set, and none of them kept, when one cannot be created.
int create_property_strings();

}  // namespace charlore::properties
