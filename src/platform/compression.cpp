#include "platform/compression.h"

#include <lzo/lzoconf.h>

namespace varnholt {

bool InitialiseCompression() {
  return lzo_init() == LZO_E_OK;
}

}  // namespace varnholt
