// The compression library's start-up check (LZO1X for level archives and file transfers).
#pragma once

namespace varnholt {

// False when the library cannot run on this machine (its build does not match the headers).
bool InitialiseCompression();

}  // namespace varnholt
