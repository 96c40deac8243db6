#pragma once
// The version of the programs, as the build gives it.

namespace velorina {

// "0.1.0", say.
const char* versionText() noexcept;

}  // namespace velorina
