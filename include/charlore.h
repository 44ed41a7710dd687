/* charlore: character-type functions of the Unicode Character Database 18.0.0,
   exported by the charlore extension module for C and C++ callers.
   Every function takes any 32-bit value (values above U+10FFFF are characters without
   properties that map to themselves), answers from UCD 18.0.0 only, and never raises,
   allocates, locks or touches interpreter state. */
#ifndef CHARLORE_H
#define CHARLORE_H

#include <Python.h>

#if defined(__GNUC__)
#define CHARLORE_API __attribute__((visibility("default")))
#else
#define CHARLORE_API
#endif

/* Room that the caller's array must have for the full mapping functions. */
#define FULL_MAPPING_MAX 3

#ifdef __cplusplus
extern "C" {
#endif

/* 1 if ch is a letter (category Lu, Ll, Lt, Lm or Lo), else 0. */
CHARLORE_API int _PyCharlore_IsAlpha(Py_UCS4 ch);
/* 1 if ch has a decimal digit value, else 0. */
CHARLORE_API int _PyCharlore_IsDecimalDigit(Py_UCS4 ch);
/* 1 if ch has a digit value (every decimal digit and others such as U+00B2), else 0. */
CHARLORE_API int _PyCharlore_IsDigit(Py_UCS4 ch);
/* 1 if ch has a numeric value, exactly when _PyCharlore_ToNumeric(ch) != -1.0, else 0. */
CHARLORE_API int _PyCharlore_IsNumeric(Py_UCS4 ch);
/* 1 if ch is printable (not Cc, Cf, Cs, Co, Cn, Zl, Zp or Zs, except U+0020), else 0. */
CHARLORE_API int _PyCharlore_IsPrintable(Py_UCS4 ch);
/* 1 if ch has the Lowercase property, else 0. */
CHARLORE_API int _PyCharlore_IsLowercase(Py_UCS4 ch);
/* 1 if ch has the Uppercase property, else 0. */
CHARLORE_API int _PyCharlore_IsUppercase(Py_UCS4 ch);
/* 1 if ch is a titlecase letter (category Lt), else 0. */
CHARLORE_API int _PyCharlore_IsTitlecase(Py_UCS4 ch);
/* 1 if ch has the Cased property, else 0. */
CHARLORE_API int _PyCharlore_IsCased(Py_UCS4 ch);
/* 1 if ch has the Case_Ignorable property, else 0. */
CHARLORE_API int _PyCharlore_IsCaseIgnorable(Py_UCS4 ch);
/* 1 if ch has the XID_Start property, else 0. */
CHARLORE_API int _PyCharlore_IsXidStart(Py_UCS4 ch);
/* 1 if ch has the XID_Continue property, else 0. */
CHARLORE_API int _PyCharlore_IsXidContinue(Py_UCS4 ch);
/* 1 for the 29 whitespace code points (category Zs, bidirectional class WS, B or S), else 0. */
CHARLORE_API int _PyCharlore_IsWhitespace(Py_UCS4 ch);
/* 1 for the 10 line-break code points (class B, Zl, Zp, U+000B, U+000C), else 0. */
CHARLORE_API int _PyCharlore_IsLinebreak(Py_UCS4 ch);

/* The decimal digit value of ch (0 to 9), or -1 if it has none. */
CHARLORE_API int _PyCharlore_ToDecimalDigit(Py_UCS4 ch);
/* The digit value of ch (0 to 9), or -1 if it has none. */
CHARLORE_API int _PyCharlore_ToDigit(Py_UCS4 ch);
/* The numeric value of ch, or exactly -1.0 if it has none (0.0 is a value). */
CHARLORE_API double _PyCharlore_ToNumeric(Py_UCS4 ch);

/* Simple uppercase mapping of ch: the first code point of its full mapping; ch if it has none. */
CHARLORE_API Py_UCS4 _PyCharlore_ToUppercase(Py_UCS4 ch);
/* Simple lowercase mapping of ch: the first code point of its full mapping; ch if it has none. */
CHARLORE_API Py_UCS4 _PyCharlore_ToLowercase(Py_UCS4 ch);
/* Simple titlecase mapping of ch: the first code point of its full mapping; ch if it has none. */
CHARLORE_API Py_UCS4 _PyCharlore_ToTitlecase(Py_UCS4 ch);

/* The full mappings write into out[0..n-1], which the caller provides with room for
   FULL_MAPPING_MAX entries, and return n (1 to 3); a character that maps to itself gives
   itself. Entries beyond n are left untouched and nothing is terminated. */

/* Full lowercase mapping of ch into out; returns its length. */
CHARLORE_API int _PyCharlore_ToLowerFull(Py_UCS4 ch, Py_UCS4 *out);
/* Full titlecase mapping of ch into out; returns its length. */
CHARLORE_API int _PyCharlore_ToTitleFull(Py_UCS4 ch, Py_UCS4 *out);
/* Full uppercase mapping of ch into out; returns its length. */
CHARLORE_API int _PyCharlore_ToUpperFull(Py_UCS4 ch, Py_UCS4 *out);
/* Full case folding of ch into out (no language-specific rules); returns its length. */
CHARLORE_API int _PyCharlore_ToFoldedFull(Py_UCS4 ch, Py_UCS4 *out);

#ifdef __cplusplus
}
#endif

#endif /* CHARLORE_H */
