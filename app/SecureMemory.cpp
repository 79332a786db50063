#include "SecureMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace murk {

TSecureBytes::TSecureBytes(size_t capacity) {
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    const size_t mapped = (capacity + page - 1) / page * page;
    if (mapped == 0) {
        return;
    }
    void* data =
        ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED) {
        return;
    }
    // Without the exclusion from dumps the pages are not fit for a secret.
    if (::madvise(data, mapped, MADV_DONTDUMP) != 0) {
        ::munmap(data, mapped);
        return;
    }
    // A limit on locked memory (RLIMIT_MEMLOCK) may refuse; the secret is
    // still kept out of dumps and wiped.
    FLocked = ::mlock(data, mapped) == 0;
    FData = static_cast<uint8_t*>(data);
    FMapped = mapped;
    FCapacity = capacity;
}

TSecureBytes::~TSecureBytes() {
    if (FData == nullptr) {
        return;
    }
    explicit_bzero(FData, FMapped);
    if (FLocked) {
        ::munlock(FData, FMapped);
    }
    ::munmap(FData, FMapped);
}

bool TSecureBytes::Assign(std::string_view bytes) {
    if (Resize(bytes.size()).size() != bytes.size()) {
        return false;
    }
    std::memcpy(FData, bytes.data(), bytes.size());
    return true;
}

std::span<uint8_t> TSecureBytes::Resize(size_t size) {
    Wipe();
    if (FData == nullptr || size > FCapacity) {
        return {};
    }
    FSize = size;
    return {FData, FSize};
}

void TSecureBytes::Wipe() {
    if (FData != nullptr) {
        explicit_bzero(FData, FCapacity);
    }
    FSize = 0;
}

void WipeBytes(void* data, size_t size) {
    explicit_bzero(data, size);
}

}  // namespace murk
