// The exported character-type functions.
#include "charlore.h"

extern "C" {

int _PyCharlore_ToDecimalDigit(Py_UCS4) { return -1; }
int _PyCharlore_ToDigit(Py_UCS4) { return -1; }
double _PyCharlore_ToNumeric(Py_UCS4) { return -1.0; }

}
