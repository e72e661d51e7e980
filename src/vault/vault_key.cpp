#include "vault_key.h"

#include "sodium_library.h"

#include <utility>

VaultKey::~VaultKey()
{
    wipe();
}

VaultKey::VaultKey(VaultKey&& other) noexcept : m_bytes(std::exchange(other.m_bytes, nullptr)) {}

VaultKey& VaultKey::operator=(VaultKey&& other) noexcept
{
    if (this != &other) {
        wipe();
        m_bytes = std::exchange(other.m_bytes, nullptr);
    }
    return *this;
}

std::optional<VaultKey> VaultKey::allocate(QString* error)
{
    const SodiumLibrary& sodium = SodiumLibrary::get();
    if (!sodium.loaded()) {
        if (error)
            *error = sodium.error;
        return std::nullopt;
    }
    void* memory = sodium.sodium_malloc(kBytes);
    if (!memory) {
        if (error)
            *error = QStringLiteral("не хватило защищённой памяти для ключа");
        return std::nullopt;
    }
    VaultKey key;
    key.m_bytes = static_cast<unsigned char*>(memory);
    sodium.sodium_memzero(key.m_bytes, kBytes);
    return key;
}

std::optional<VaultKey> VaultKey::random(QString* error)
{
    auto key = allocate(error);
    if (key)
        SodiumLibrary::get().randombytes_buf(key->data(), kBytes);
    return key;
}

void VaultKey::wipe()
{
    // sodium_free overwrites the memory before it unlocks and frees it.
    if (m_bytes)
        SodiumLibrary::get().sodium_free(std::exchange(m_bytes, nullptr));
}
