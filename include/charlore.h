/* charlore: character-type functions of the Unicode Character Database 18.0.0,
   exported by the charlore extension module for C and C++ callers. */
#ifndef CHARLORE_H
#define CHARLORE_H

#include <Python.h>

#if defined(__GNUC__)
#define CHARLORE_API __attribute__((visibility("default")))
#else
#define CHARLORE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

CHARLORE_API int _PyCharlore_ToDecimalDigit(Py_UCS4 ch);
CHARLORE_API int _PyCharlore_ToDigit(Py_UCS4 ch);
CHARLORE_API double _PyCharlore_ToNumeric(Py_UCS4 ch);

#ifdef __cplusplus
}
#endif

#endif /* CHARLORE_H */
