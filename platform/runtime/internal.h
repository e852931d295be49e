// Helpers shared by the runtime's own sources; not part of the platform's interface.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/runtime/error.h"
#include "platform/runtime/value.h"

namespace qv::detail {

// No text or padding the runtime builds may exceed this: a hostile width or count must
// fail with a runtime error instead of exhausting memory.
inline constexpr std::size_t kMaxText = 16u * 1024u * 1024u;
// Arrays made by ARRAY() are capped for the same reason.
inline constexpr std::size_t kMaxArray = 1u << 20;

// Raises an argument error for `operation` (genCode gen::kArgument, subsystem "BASE") and
// returns what the callback settled on: the substitute when `canSubstitute` and the
// callback answered a number, else `fallback`.
Value argumentError(const char* operation, std::initializer_list<Value> args, const std::string& description,
                    const Value& fallback, bool canSubstitute = false);

// A whole number from a double without undefined behaviour: false for NaN, infinities and
// values outside the 64-bit range; otherwise truncates toward zero.
bool toInteger(double d, std::int64_t& out);
// A count from a double: like toInteger, but values beyond the 64-bit range (infinities
// included) saturate, so that LEFT(s, 1e300) is all of s. Only NaN is refused.
bool toCount(double d, std::int64_t& out);

// How many startProgram runs are active on this thread; _QUIT and a stray BREAK throw only
// when one is there to catch them.
int& programDepth();

// Ends the process outside any startProgram: runs the exit procedures, closes the
// alternate file and exits with `code`.
[[noreturn]] void terminateProgram(int code);

// Closes the alternate output file, if one is open (at program end and in resetSettings).
void closeAlternateFile();

// Blanks only: the padding character the text functions trim.
inline bool isBlank(char c) { return c == ' '; }

}  // namespace qv::detail
