#pragma once
// Every file of this folder includes RapidJSON through here, so that all of them see the same
// configuration.

// The in situ string scan and the whitespace skip use 16-byte loads that may read past the end of
// the text within the same aligned block. That never crosses a page, but AddressSanitizer reports
// it (ThreadSanitizer too, as an access to freed memory), so sanitized builds use the byte-wise
// scanners.
#if defined(__SSE2__) && !defined(RAPIDJSON_SSE2)
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PIXMATE_JSON_NO_SIMD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PIXMATE_JSON_NO_SIMD 1
#endif
#endif
#if !defined(PIXMATE_JSON_NO_SIMD)
#define RAPIDJSON_SSE2
#endif
#endif

// Fuzzing builds are optimised with assert() off; RapidJSON's own checks (types, indices, the
// parse stack) stay on there so that a misuse found by the fuzzer stops at once.
#if defined(PIXMATE_JSON_CHECKED) && !defined(RAPIDJSON_ASSERT)
#define RAPIDJSON_ASSERT(condition) ((condition) ? static_cast<void>(0) : __builtin_trap())
#endif

#include <rapidjson/document.h>
#include <rapidjson/reader.h>
