#include "record_cipher.h"

#include <utility>

const QString RecordCipher::kEmptyKeyMessage = QStringLiteral(
    "Невозможно зашифровать данные: ключ шифрования (пароль или адрес почтового ящика) не задан.");
const QString RecordCipher::kVerifierText = QStringLiteral("#VAULT#");

void RecordCipher::CipherInit(const QString& key)
{
    m_i = 0;
    m_j = 0;
    for (int n = 0; n < 256; ++n)
        m_state[n] = quint8(n);

    // The key's length is held in one byte; only the low byte of each code
    // unit enters the key block. Position 0 (reached only when the length is
    // a multiple of 256) contributes a zero byte.
    const int lengthByte = key.size() % 256;
    std::array<quint8, 256> block{};
    int position = 0;
    for (int n = 0; n < 256; ++n) {
        position = (position + 1) % 256;
        block[n] = position == 0 ? 0 : quint8(key.at(position - 1).unicode() & 0xFF);
        if (position == lengthByte)
            position = 0;
    }

    quint8 x = 0;
    for (int n = 0; n < 256; ++n) {
        x = quint8(x + m_state[n] + block[n]);
        std::swap(m_state[n], m_state[x]);
    }
}

quint8 RecordCipher::CipherByte(quint8 byte)
{
    m_i = quint8(m_i + 1);
    m_j = quint8(m_j + m_state[m_i]);
    std::swap(m_state[m_i], m_state[m_j]);
    return byte ^ m_state[quint8(m_state[m_i] + m_state[m_j])];
}

std::optional<QString> RecordCipher::CipherText(const QString& text, const QString& key)
{
    if (key.isEmpty())
        return std::nullopt;
    RecordCipher cipher;
    cipher.CipherInit(key);
    QString result(text.size(), Qt::Uninitialized);
    for (int n = 0; n < text.size(); ++n) {
        // Only the low byte is enciphered; the high byte rides along, so that
        // Russian text comes back whole and one code unit stays one.
        const char16_t unit = text.at(n).unicode();
        result[n] = QChar(char16_t((unit & 0xFF00) | cipher.CipherByte(quint8(unit & 0xFF))));
    }
    return result;
}

std::optional<QString> RecordCipher::makeVerifier(const QString& password)
{
    return CipherText(kVerifierText, password);
}

bool RecordCipher::acceptsPassword(const QString& storedVerifier, const QString& typed)
{
    if (storedVerifier.isEmpty())
        return false;
    const auto plain = CipherText(storedVerifier, typed);
    return plain && *plain == kVerifierText;
}
