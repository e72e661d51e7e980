#include "master_key.h"

#include "record_cipher.h"

namespace MasterKey {

Checked check(const QString& stored, const QString& typed)
{
    Checked result;
    if (typed.isEmpty() || stored.isEmpty())
        return result;
    if (!KeyRecord::isCurrentForm(stored)) {
        if (RecordCipher::acceptsPassword(stored, typed))
            result.verdict = Verdict::OldForm;
        return result;
    }
    const auto record = KeyRecord::parse(stored);
    if (!record) {
        result.verdict = Verdict::Damaged;
        result.error = damagedMessage();
        return result;
    }
    auto key = record->derive(typed, &result.error);
    if (!key) {
        result.verdict = Verdict::Failed;
        return result;
    }
    if (record->opens(*key)) {
        result.verdict = Verdict::Opened;
        result.key = std::move(*key);
    }
    return result;
}

QString damagedMessage()
{
    return QStringLiteral("Запись главного пароля в профиле повреждена: пароль невозможно проверить. "
                          "Ничего не изменено; восстановите профиль из резервной копии.");
}

} // namespace MasterKey
