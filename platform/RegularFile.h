#pragma once
// The one way files are opened for reading. Only regular files are read:
// a FIFO would block the reader forever, a device can be endless and a
// folder has no content, so they are refused at once (the file is opened
// without waiting, then checked).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace boxora {

// A descriptor open for reading (close-on-exec, blocking), or -1 with errno
// set: EISDIR for a folder, EINVAL for any other file that is not regular.
int OpenRegularFile(const std::string& path);

enum class ReadResult { Ok, NotOpened, TooLarge, ReadFailed };

// Reads the whole regular file. A file longer than maxBytes gives
// TooLarge with its first maxBytes bytes in bytes (readers that keep a
// prefix use them; the others refuse the file).
ReadResult ReadRegularFile(const std::string& path, std::string& bytes, std::size_t maxBytes);
ReadResult ReadRegularFile(const std::string& path, std::vector<uint8_t>& bytes, std::size_t maxBytes);

// True when path is a regular file that can be opened for reading.
bool CanReadRegularFile(const std::string& path);

}  // namespace boxora
