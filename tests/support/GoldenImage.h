#pragma once
// Golden-image comparison for tests. The reference of `name` is
// tests/<folder>/<name>.png, the folder being platform/render/golden unless given. With VELORINA_REGENERATE_GOLDEN=1 in the
// environment the picture is written as the new reference instead of compared.

#include <cstdint>
#include <span>
#include <string>

#include <gtest/gtest.h>

namespace velorina::testing {

// A picture matches when no channel of any pixel differs by more than
// `tolerance`; small differences allow for rounding in float arithmetic.
::testing::AssertionResult matchesGolden(const std::string& name, std::uint32_t width, std::uint32_t height,
                                         std::span<const std::uint32_t> argb, int tolerance = 2);
// For a second device drawing the same reference: at least `fraction` of the
// pixels within `tolerance` per channel. Never regenerates the reference; the
// picture is saved next to the build as <name>.<device>.png for a look by eye.
::testing::AssertionResult mostlyMatchesGolden(const std::string& name, const std::string& device, std::uint32_t width,
                                               std::uint32_t height, std::span<const std::uint32_t> argb,
                                               int tolerance, double fraction);
::testing::AssertionResult matchesGoldenIn(const std::string& folder, const std::string& name, std::uint32_t width,
                                           std::uint32_t height, std::span<const std::uint32_t> argb,
                                           int tolerance = 2);

}  // namespace velorina::testing
