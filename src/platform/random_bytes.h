// Random bytes from the kernel's generator, for passwords and the filler of enciphered
// account fields.
#pragma once

#include <cstddef>

namespace varnholt {

// Fills `buffer` with `size` random bytes. Blocks only until the kernel's pool is first
// seeded at boot; false with the mapped errno if the kernel refuses.
bool GetRandomBytes(void* buffer, size_t size);

}  // namespace varnholt
