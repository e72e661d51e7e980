#pragma once

#include "lazy_library.h"

#include <sodium.h>

// libsodium, loaded the first time a secret is sealed or opened.
#define QUILL_SODIUM_ENTRIES(X)                                                                              \
    X(sodium_init)                                                                                           \
    X(crypto_pwhash)                                                                                         \
    X(crypto_aead_xchacha20poly1305_ietf_encrypt)                                                            \
    X(crypto_aead_xchacha20poly1305_ietf_decrypt)                                                            \
    X(randombytes_buf)                                                                                       \
    X(sodium_malloc)                                                                                         \
    X(sodium_free)                                                                                           \
    X(sodium_memzero)

struct SodiumLibrary
{
    QUILL_SODIUM_ENTRIES(QUILL_LAZY_ENTRY)
    QString error; // why it could not be loaded, when it could not

    bool loaded() const { return sodium_memzero != nullptr; }
    // Loaded and initialised once, from whichever thread asks first.
    static const SodiumLibrary& get();
};
