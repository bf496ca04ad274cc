// Files as the program uses them: which it may open for reading, and writing them so that a
// failure leaves nothing half-written.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// Whether the name is a regular file (or a link to one). Only those are opened for reading: a
// FIFO would block the open until some writer comes, and a directory, device or socket is no
// file the program could read.
bool IsRegularFile(const std::string& name);

// Writes all `size` bytes at `descriptor`, going on after interruptions and short writes. A
// file-size limit makes the write fail with EFBIG instead of ending the program with SIGXFSZ.
// 0, or the errno of the failure. Safe in a signal handler.
int WriteWhole(int descriptor, const char* data, std::size_t size);

// Appends `size` bytes to the log open at `descriptor` (opened with O_APPEND) as one record:
// other writers that append the same way wait meanwhile, and when the bytes cannot all be
// written and brought to the disk, the file is cut back to its old length. 0, or the errno of
// the failure. Safe in a signal handler.
int AppendWhole(int descriptor, const char* data, std::size_t size);

// The permissions of a file that replaces `destination`: those of the file there, else the
// usual ones of a new file (0666 less the umask).
mode_t ReplacementMode(const std::string& destination);

// Writes `content` into a new file beside `name` and renames it over `name`, so that `name` is
// either the whole new file or stays as it was; no new file is left behind on a failure. The
// file keeps the permissions of the one it replaces, and a link is followed to the file it
// names. 0, or the errno of the failure.
int ReplaceFile(const std::string& name, const std::string& content);
