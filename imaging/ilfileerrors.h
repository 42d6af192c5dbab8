#pragma once
// Maps a failed open of a file to the library's code: a missing folder on the way is
// pathNotFound, a refusal is accessDenied, everything else fileNotFound.

#include <string>

[[nodiscard]] int ILFileOpenErrorCode(int osError, const std::string& utf8Path);
