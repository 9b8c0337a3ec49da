#pragma once
// Writing files so that a failure halfway never destroys the previous copy.
//
// A regular file is written as an unnamed file in the target's folder
// (O_TMPFILE) and linked in place only once it is complete and flushed, so
// that no half-written or temporary file can be left behind, not even by a
// kill -9; a replaced file keeps its mode and owner. A symbolic link is
// written through (the link stays and its target gets the data). A FIFO or
// character device (a pipe, a terminal, /dev/stdout) is written to
// directly; other special files are refused.
#include <string>
#include <string_view>

namespace boxora {

// Writes bytes to path as above. On failure the old file (if any) is
// untouched and error (if given) says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace boxora
