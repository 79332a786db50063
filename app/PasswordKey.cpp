#include "PasswordKey.h"

#include <QRandomGenerator>

#include <argon2.h>

namespace murk {

namespace {

constexpr uint32_t MaxMemoryKiB = 1024 * 1024;
constexpr uint32_t MaxPasses = 10;
constexpr uint32_t MaxLanes = 16;

}  // namespace

bool CostAcceptable(const TArgon2Cost& cost) {
    return cost.Lanes >= ARGON2_MIN_LANES && cost.Lanes <= MaxLanes &&
           cost.Passes >= ARGON2_MIN_TIME && cost.Passes <= MaxPasses &&
           cost.MemoryKiB >= 8 * cost.Lanes && cost.MemoryKiB <= MaxMemoryKiB;
}

bool DerivePasswordKey(std::string_view password, std::span<const uint8_t> salt,
                       const TArgon2Cost& cost, std::span<uint8_t> key) {
    if (!CostAcceptable(cost)) {
        return false;
    }
    return argon2id_hash_raw(cost.Passes, cost.MemoryKiB, cost.Lanes, password.data(),
                             password.size(), salt.data(), salt.size(), key.data(),
                             key.size()) == ARGON2_OK;
}

void FillRandom(std::span<uint8_t> bytes) {
    QRandomGenerator* random = QRandomGenerator::system();
    for (uint8_t& byte : bytes) {
        byte = uint8_t(random->generate());
    }
}

}  // namespace murk
