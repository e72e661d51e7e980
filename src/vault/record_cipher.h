#pragma once

#include <QString>
#include <array>
#include <optional>

// The cipher that protects every stored secret: RC4 over a text, one code
// unit at a time, with a fresh key set-up on every call. The same call
// enciphers and deciphers.
class RecordCipher
{
public:
    // Shown by callers when the key is empty.
    static const QString kEmptyKeyMessage;
    static const QString kVerifierText; // "#VAULT#"

    // nullopt when the key is empty: nothing may be stored then.
    static std::optional<QString> CipherText(const QString& text, const QString& key);

    // What is stored for a master password.
    static std::optional<QString> makeVerifier(const QString& password);
    // A typed password is accepted when it turns the stored verifier back
    // into the verifier text; an empty verifier never matches.
    static bool acceptsPassword(const QString& storedVerifier, const QString& typed);

    // The two steps, exposed for testing the key schedule.
    void CipherInit(const QString& key);
    quint8 CipherByte(quint8 byte);

private:
    std::array<quint8, 256> m_state{};
    quint8 m_i = 0;
    quint8 m_j = 0;
};
