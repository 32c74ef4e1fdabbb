// "VBScript.RegExp" on PCRE2 (16-bit code units, UTF mode, JIT).
//
// Members: IgnoreCase, Multiline, Global, Pattern (read and write); Execute,
// Replace, Test. Execute gives a match collection (Count, Item) of matches
// (Value, FirstIndex, Length, SubMatches with Count and Item). Item numbers
// start at 0; a group that took no part gives the empty value. Positions
// count UTF-16 characters.
//
// Syntax follows the component's: lazy quantifiers, ASCII-only \w \d \s, a
// "}" or "{" that forms no quantifier is literal, "[^]" matches anything,
// \uhhhh and \xhh escapes. A line break is CR, LF or CR LF: "." matches
// neither CR nor LF, and with Multiline "^" and "$" match at either.
//
// Every search runs under the limits below, with a JIT stack of its own per
// component. A search that hits one fails the call exactly like a pattern
// that does not compile; each limit applies per attempt to find one match.
// Subjects with lone surrogates are searched safely: those units never match.
#pragma once

#include <cstddef>
#include <cstdint>

// Backtracking steps one attempt to find a match may take.
inline constexpr std::uint32_t kRegExpMatchLimit = 10'000'000;
// Nesting of backtracking points (interpreter only; JIT is bounded by its stack).
inline constexpr std::uint32_t kRegExpDepthLimit = 250'000;
// Heap the interpreter may use for backtracking, in KiB.
inline constexpr std::uint32_t kRegExpHeapLimitKiB = 64 * 1024;
// The JIT stack of each component, in bytes.
inline constexpr std::size_t kRegExpJitStackStart = 32 * 1024;
inline constexpr std::size_t kRegExpJitStackMax = 1024 * 1024;
