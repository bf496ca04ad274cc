// What the program asks of a file before it opens it for reading.
#pragma once

#include <string>

// Whether the name is a regular file (or a link to one). Only those are opened for reading: a
// FIFO would block the open until some writer comes, and a directory, device or socket is no
// file the program could read.
bool IsRegularFile(const std::string& name);
