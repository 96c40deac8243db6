#include "shell/Version.h"

namespace velorina {

const char* versionText() noexcept { return VELORINA_VERSION; }

}  // namespace velorina
