// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// True in a build with AddressSanitizer: gcc says so with a macro, clang
// through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool builtWithAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool builtWithAddressSanitizer = true;
#else
inline constexpr bool builtWithAddressSanitizer = false;
#endif
#else
inline constexpr bool builtWithAddressSanitizer = false;
#endif
