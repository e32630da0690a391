#pragma once
// Splitting a web address into what a request needs: the host to connect to,
// the port and the request path. Addresses are code page 936 text; searches
// walk whole characters, so a trail byte equal to "/" or ":" never splits.
// None of these fail: every input, even an empty one, gives a host, a port
// and a path.

#include "text/text.h"

namespace zv {

// The host part of the address with ASCII letters lowered ("" for an empty
// address). Only "http://" (in any letter case) is recognised as a prefix.
Text urlHost(const Text& url);

// The port named after the first ":" of the authority, read like a C decimal
// number and truncated toward zero; 80 when none is named, 0 when the text
// after ":" does not start with a number.
int urlPort(const Text& url);

// Everything from the first "/" after the authority to the end (query string
// and fragment included), or "/" when no "/" follows.
Text urlPath(const Text& url);

// A host as it goes on the wire: a host of ASCII bytes stays exactly as it is;
// one holding other characters becomes its ASCII form under IDNA (UTS #46,
// non-transitional, bidi and joiner checks), letters lowered, e.g. "中文.cn"
// gives "xn--fiq228c.cn". Empty when the name has no valid ASCII form.
Text asciiHost(const Text& host);

} // namespace zv
