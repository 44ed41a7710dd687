/* A C program using charlore.h: the header compiles as C, and the module's exports,
   opened with dlopen() and typed by the header's declarations, answer from C. */
#include <dlfcn.h>
#include <stdio.h>

#include "charlore.h"

#define RESOLVE(module, name) ((__typeof__(&name))dlsym(module, #name))

int main(void) {
    void *python = dlopen(CHARLORE_PYTHON_LIBRARY, RTLD_NOW | RTLD_GLOBAL);
    void *module = python ? dlopen(CHARLORE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL) : NULL;
    if (module == NULL) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    __typeof__(&_PyCharlore_ToUpperFull) upper_full = RESOLVE(module, _PyCharlore_ToUpperFull);
    __typeof__(&_PyCharlore_ToNumeric) numeric = RESOLVE(module, _PyCharlore_ToNumeric);
    __typeof__(&_PyCharlore_IsAlpha) is_alpha = RESOLVE(module, _PyCharlore_IsAlpha);
    if (upper_full == NULL || numeric == NULL || is_alpha == NULL) {
        fprintf(stderr, "missing export\n");
        return 1;
    }
    Py_UCS4 out[FULL_MAPPING_MAX] = {0, 0, 0};
    int failures = 0;
    if (upper_full(0x00DF, out) != 2 || out[0] != 0x53 || out[1] != 0x53 || out[2] != 0) {
        fprintf(stderr, "_PyCharlore_ToUpperFull(U+00DF) is not U+0053 U+0053\n");
        ++failures;
    }
    if (numeric(0x5146) != 1e12 || numeric(0x110000) != -1.0) {
        fprintf(stderr, "_PyCharlore_ToNumeric: wrong value of U+5146 or 0x110000\n");
        ++failures;
    }
    if (is_alpha(0x0041) != 1 || is_alpha(0x0030) != 0) {
        fprintf(stderr, "_PyCharlore_IsAlpha: wrong answer for U+0041 or U+0030\n");
        ++failures;
    }
    dlclose(module);
    dlclose(python);
    return failures == 0 ? 0 : 1;
}
