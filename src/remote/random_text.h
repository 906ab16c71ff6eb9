// Random texts for generated passwords and for the filler after the text in an enciphered
// account field. The characters come from the kernel's generator (no seeded state to guess
// from the clock or the process id) and lie between "0" and "y".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace varnholt {

constexpr size_t kMaxRandomText = 32;

// min(n, 32) random characters; false with the last error if the kernel gave no bytes.
bool RandomText(size_t n, std::string* text);

// Fills `size` bytes with random characters of the same alphabet.
bool FillRandomText(uint8_t* buffer, size_t size);

}  // namespace varnholt
