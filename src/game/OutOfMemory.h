// What happens when memory runs out: a message with the size of the failed request, and the end.
#pragma once

#include <cstddef>

// Writes "Running out of memory! Tried to allocate N KB." to standard error and ends the
// process with status -1. Every failed allocation by new ends here, so new never yields null.
[[noreturn]] void OutOfMemoryHandler(std::size_t bytes);

// The handler the allocation functions call; the program entry installs OutOfMemoryHandler.
using AllocationFailureHandler = void (*)(std::size_t bytes);
void InstallOutOfMemoryHandler(AllocationFailureHandler handler);
