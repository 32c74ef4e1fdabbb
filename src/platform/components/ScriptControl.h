// "MSScriptControl.ScriptControl": a sandboxed JavaScript engine.
//
// Members: Language ("JavaScript" or "JScript", written before any code),
// AddCode(program) and Eval(text), both run in the global scope, so `var`
// and function declarations become globals; Eval gives the value of an
// expression or of the last expression statement that ran; Timeout reads
// and writes the base time budget in milliseconds.
//
// Results: a string as a string, a number as a double, a boolean as a bool,
// null as null, undefined as empty. An object (array, function, date)
// becomes the string the language's own string conversion makes of it:
// "[object Object]", "1,2,3". A thrown exception, a syntax error, an Error
// object as the value and an interrupted run all make the call fail.
//
// Sandbox: no host objects, only the language's own globals. Each call runs
// under a budget that grows with the size of its script text, since
// compiling a large literal takes time and memory of its own: kScriptBudgetMs
// plus kScriptBudgetMsPerMiB for each MiB of text (UTF-16), and a growth of
// the process's resident memory of kScriptMemoryCapBytes plus
// kScriptMemoryPerTextByte per byte of text. A watchdog interrupts a call
// over either; the call fails and the engine stays usable. A short answer
// thus gets 5 s and 512 MiB, a 10 MB answer about 20 s and 1.6 GiB.
//
// One engine per component: create, call and release it on one thread, and
// only while a QCoreApplication exists.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/com/Dispatch.h"

inline constexpr int kScriptBudgetMs = 5000;
inline constexpr int kScriptBudgetMsPerMiB = 800;
inline constexpr std::int64_t kScriptMemoryCapBytes = std::int64_t{512} << 20;
inline constexpr std::int64_t kScriptMemoryPerTextByte = 64;
// A text with more commas than this fails at once: more items in one list
// would overflow the engine's fixed stack, which it does not check.
inline constexpr int kScriptMaxListItems = 400'000;

std::shared_ptr<Dispatch> CreateScriptControl();
