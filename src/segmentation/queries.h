// The module functions of text segmentation and display width (current database only).
#pragma once

#include <Python.h>

namespace charlore::segmentation {

extern PyMethodDef segmentation_methods[];

}  // namespace charlore::segmentation
