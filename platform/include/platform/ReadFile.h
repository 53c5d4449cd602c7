// Reading a whole file named on the command line, of any kind, with a limit:
// a regular file, a pipe or FIFO, a device. Whatever is longer than the
// limit is refused after the limit, so an endless source ends the read.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

enum class ReadResult { kRead, kCannotOpen, kTooLarge, kFailed };

// `path` as the program received it. A FIFO nobody writes to reads as empty
// rather than waiting for a writer; reading stops at `limit` + 1 bytes.
ReadResult ReadFileLimited(const char* path, std::size_t limit, std::string& bytes);

// `path` opened for reading in binary, or null: as above, a FIFO nobody
// writes to is opened without waiting for a writer and reads as empty.
std::FILE* OpenForReading(const char* path);

// A path as the program received it, in UTF-8 for showing: on Windows the
// arguments are in the system's ANSI code page; elsewhere they are UTF-8.
std::string PathToUtf8(const std::string& path);

// Writes text to standard output or standard error (`error`): as wide
// characters where the stream is a Windows console, so any code page shows
// it, else the UTF-8 bytes. False when the write failed.
bool WriteStandard(bool error, const std::string& utf8);

// From now on standard output takes the bytes as they are, with no line-end
// translation where the C library makes one (Windows' text mode).
void StandardOutputBinary();

// Flushes standard output; false when what was written could not be.
bool FlushStandardOutput();

}  // namespace platform
