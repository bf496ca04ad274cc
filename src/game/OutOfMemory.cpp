// The replaced global allocation functions: unlike a new-handler, they know how many bytes
// a failed request asked for.
#include "game/OutOfMemory.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

AllocationFailureHandler failureHandler = OutOfMemoryHandler;

void* Allocate(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  void* memory = std::malloc(bytes);
  if (!memory) {
    failureHandler(bytes);
    OutOfMemoryHandler(bytes);  // a handler that returns has not solved anything
  }
  return memory;
}

void* AllocateAligned(std::size_t bytes, std::align_val_t alignment) {
  const auto align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a multiple of the alignment.
  const std::size_t rounded = bytes == 0 ? align : (bytes + align - 1) / align * align;
  void* memory = rounded >= bytes ? std::aligned_alloc(align, rounded) : nullptr;
  if (!memory) {
    failureHandler(bytes);
    OutOfMemoryHandler(bytes);
  }
  return memory;
}

}  // namespace

[[noreturn]] void OutOfMemoryHandler(std::size_t bytes) {
  // Written with stdio: the streams might want memory themselves.
  std::fprintf(stderr, "Running out of memory! Tried to allocate %zu KB.", bytes / 1024);
  std::fflush(stderr);
  std::exit(-1);
}

void InstallOutOfMemoryHandler(AllocationFailureHandler handler) {
  failureHandler = handler ? handler : OutOfMemoryHandler;
}

void* operator new(std::size_t bytes) { return Allocate(bytes); }
void* operator new[](std::size_t bytes) { return Allocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  return AllocateAligned(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return AllocateAligned(bytes, alignment);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAligned(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
  return AllocateAligned(bytes, alignment);
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
