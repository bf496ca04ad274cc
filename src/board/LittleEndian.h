// Numbers in files are written least significant byte first, whatever the machine: the board's
// stored image, the opening book and the engine's saved state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>

template <typename T>
void PutLittleEndian(std::uint8_t* bytes, T value) {
  const auto bits = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template <typename T>
T GetLittleEndian(const std::uint8_t* bytes) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= std::uint64_t{bytes[i]} << (8 * i);
  return static_cast<T>(bits);
}

template <typename T>
std::ostream& WriteLittleEndian(std::ostream& out, T value) {
  std::uint8_t bytes[sizeof(T)];
  PutLittleEndian(bytes, value);
  return out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// False, and `value` untouched, when the stream ends first.
template <typename T>
bool ReadLittleEndian(std::istream& in, T& value) {
  std::uint8_t bytes[sizeof(T)];
  if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return false;
  value = GetLittleEndian<T>(bytes);
  return true;
}
