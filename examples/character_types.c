/* A C program that calls the 24 character-type functions exported by the charlore
   extension module, linked directly against the module file (see the README). For each
   code point given in hexadecimal it prints one line: the predicates that hold, the
   digit and numeric values, and the simple and full case mappings. */
#include <stdio.h>
#include <stdlib.h>

#include "charlore.h"

struct predicate {
    const char *label;
    int (*test)(Py_UCS4);
};

static const struct predicate predicates[] = {
    {"alpha", _PyCharlore_IsAlpha},
    {"decimal", _PyCharlore_IsDecimalDigit},
    {"digit", _PyCharlore_IsDigit},
    {"numeric", _PyCharlore_IsNumeric},
    {"printable", _PyCharlore_IsPrintable},
    {"lower", _PyCharlore_IsLowercase},
    {"upper", _PyCharlore_IsUppercase},
    {"title", _PyCharlore_IsTitlecase},
    {"cased", _PyCharlore_IsCased},
    {"case_ignorable", _PyCharlore_IsCaseIgnorable},
    {"xid_start", _PyCharlore_IsXidStart},
    {"xid_continue", _PyCharlore_IsXidContinue},
    {"whitespace", _PyCharlore_IsWhitespace},
    {"linebreak", _PyCharlore_IsLinebreak},
};

struct full_mapping {
    const char *label;
    int (*map)(Py_UCS4, Py_UCS4 *);
};

static const struct full_mapping full_mappings[] = {
    {"lower_full", _PyCharlore_ToLowerFull},
    {"title_full", _PyCharlore_ToTitleFull},
    {"upper_full", _PyCharlore_ToUpperFull},
    {"folded_full", _PyCharlore_ToFoldedFull},
};

/* Reads a code point written in hexadecimal (any 32-bit value); 0 if text is not one. */
static int parse_code_point(const char *text, Py_UCS4 *ch)
{
    char *end;
    unsigned long value = strtoul(text, &end, 16);
    if (text[0] == '\0' || text[0] == '-' || *end != '\0' || value > 0xFFFFFFFFul)
        return 0;
    *ch = (Py_UCS4)value;
    return 1;
}

static void describe(Py_UCS4 ch)
{
    const char *separator = "";
    printf("U+%04X is=", (unsigned)ch);
    for (size_t i = 0; i < sizeof predicates / sizeof predicates[0]; i++) {
        if (predicates[i].test(ch)) {
            printf("%s%s", separator, predicates[i].label);
            separator = ",";
        }
    }
    printf(" decimal=%d digit=%d numeric=%.17g", _PyCharlore_ToDecimalDigit(ch),
           _PyCharlore_ToDigit(ch), _PyCharlore_ToNumeric(ch));
    printf(" upper=%04X lower=%04X title=%04X", (unsigned)_PyCharlore_ToUppercase(ch),
           (unsigned)_PyCharlore_ToLowercase(ch), (unsigned)_PyCharlore_ToTitlecase(ch));
    for (size_t i = 0; i < sizeof full_mappings / sizeof full_mappings[0]; i++) {
        Py_UCS4 out[FULL_MAPPING_MAX];
        int count = full_mappings[i].map(ch, out);
        printf(" %s=", full_mappings[i].label);
        for (int k = 0; k < count; k++)
            printf(k == 0 ? "%04X" : "+%04X", (unsigned)out[k]);
    }
    printf("\n");
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s HEX...\n", argv[0]);
        return 2;
    }
    for (int i = 1; i < argc; i++) {
        Py_UCS4 ch;
        if (!parse_code_point(argv[i], &ch)) {
            fprintf(stderr, "%s: not a hexadecimal code point: %s\n", argv[0], argv[i]);
            return 2;
        }
        describe(ch);
    }
    return 0;
}
