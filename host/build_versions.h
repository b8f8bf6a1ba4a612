#pragma once

// The SFSE version the plugin accepts and the game runtime version its record lists, as the
// build was configured (TARNWICK_SFSE_VERSION, TARNWICK_GAME_VERSION).

#include "host/packed_version.h"
#include "product.h"

constexpr std::uint32_t kRequiredSfseVersion =
    PackVersion(TARNWICK_SFSE_MAJOR, TARNWICK_SFSE_MINOR, TARNWICK_SFSE_BUILD);
constexpr std::uint32_t kGameRuntimeVersion =
    PackVersion(TARNWICK_GAME_MAJOR, TARNWICK_GAME_MINOR, TARNWICK_GAME_BUILD);
