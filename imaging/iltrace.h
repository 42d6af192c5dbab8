#pragma once
// The library's diagnostic outputs and its error-raising routine, shared by the
// decoders and encoders. The trace is off until a level and a file are configured,
// which nothing in the program does. Every function here may be called from any thread;
// the configuration is process-wide and changes only through ILSetTraceConfig.

#include <string>

// Messages whose level is at most `level` are appended to `fileName`; a null name stops
// writing. A given file is deleted first so each trace starts empty.
void ILSetTraceConfig(int level, const char* fileName);

[[nodiscard]] int ILGetTraceLevel();

// Appends the text to the trace file when the level passes and a file is set. Never
// fails: a file that cannot be opened is ignored.
void ILTrace(int level, const char* text);

// Formats "Decoder error: <text>\n" (at most 255 bytes), traces it at level 0 and
// throws ILTextException with the code and that message.
[[noreturn]] void ILRaiseError(int code, const char* text);
[[noreturn]] inline void ILRaiseError(int code, const std::string& text) { ILRaiseError(code, text.c_str()); }

// Diagnostic texts that only a debugger would show; they are discarded.
void ILDebugOutput(const char* text);
