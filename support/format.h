// Message formatting: a text with numbered inserts (%1, %2, ...) filled from
// typed arguments that an argument descriptor describes.
//
// The descriptor holds one descriptor piece per argument, each from a "%" to
// the next "%": optional flags ("-" left-aligned, "," thousands grouped with
// commas, "+" sign for positive fixed-point numbers, "0" zero-padding or, for
// fixed-point numbers, the integer part always written), a width, a precision
// after ".", and the letters that say how the argument is read:
//
//   c i li d h u x X   a 16-bit integer (the low half of an int argument)
//   ld lu lx lX        a 32-bit integer
//   f g                a 32-bit float (passed as double, as C passes floats)
//   lf lg              a 64-bit float
//   s                  const char*, null gives "(null)"
//   ls                 const wchar_t*, null gives "(null)"
//   m                  a string id: its text with continuations
//   e                  a system error code: its message in the current language
//   b / B              a byte count in megabytes from a 32-bit integer / a double
//   t                  a date and time, seconds since 1970 as a 64-bit integer (UTC)
//   et                 a duration in milliseconds as a 32-bit integer
//
// Fixed-point numbers (f g lf lg) are written as: a minus sign for negative
// numbers (a plus sign for positive ones with the "+" flag), the integer part
// only when the value is at least 1 or the "0" flag is given, then "." and
// exactly `precision` digits (default 8) of the fraction, cut, not rounded.
//
// In the text, "%" and decimal digits N insert argument N's text; a "~" right
// after the digits is dropped, so that digits may follow an insert. An N of 0,
// beyond the arguments, or an argument without text inserts "(null)". "%"
// followed by any other character writes that character ("%%" gives "%").
#pragma once

#include "platform/base/types.h"
#include "support/textres.h"

#include <cstdarg>

// Formats pszText (a pointer to text, or a string id made by TextId) with the
// arguments that pszDescriptor (null for none) describes. Returns a new text
// of at least 257 bytes to be released with ReleaseText, or null when memory
// runs out.
char* FormatText(const char* pszText, const char* pszDescriptor, ...);
char* FormatTextV(const char* pszText, const char* pszDescriptor, va_list args);

// The system's message for an error code in the given language (Esperanto
// for primary language 0, else English), on one line.
const char* SystemErrorText(DWORD dwCode, WORD wLang);
