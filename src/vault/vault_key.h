#pragma once

#include <QString>
#include <optional>

// A 32-byte key in memory of its own: guarded pages that are locked against
// swapping and kept out of core dumps (libsodium's sodium_malloc), wiped and
// given back when the key is dropped. Moves, never copies.
class VaultKey
{
public:
    static constexpr int kBytes = 32;

    VaultKey() = default;
    ~VaultKey();
    VaultKey(VaultKey&& other) noexcept;
    VaultKey& operator=(VaultKey&& other) noexcept;
    VaultKey(const VaultKey&) = delete;
    VaultKey& operator=(const VaultKey&) = delete;

    // Fresh memory, zero-filled; nullopt with the reason when libsodium or
    // locked memory cannot be had.
    static std::optional<VaultKey> allocate(QString* error);
    // A new random key.
    static std::optional<VaultKey> random(QString* error);

    bool isEmpty() const { return m_bytes == nullptr; }
    unsigned char* data() { return m_bytes; }
    const unsigned char* data() const { return m_bytes; }
    // Overwrites and frees the key now.
    void wipe();

private:
    unsigned char* m_bytes = nullptr;
};
