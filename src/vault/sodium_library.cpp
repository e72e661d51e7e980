#include "sodium_library.h"

const SodiumLibrary& SodiumLibrary::get()
{
    static const SodiumLibrary library = [] {
        SodiumLibrary entries;
        QLibrary file(QStringLiteral("sodium"), 23);
        if (!file.load()) {
            entries.error = LazyLibrary::failure(QStringLiteral("libsodium"), file.errorString());
            return entries;
        }
        if (!(true QUILL_SODIUM_ENTRIES(QUILL_LAZY_RESOLVE))) {
            SodiumLibrary failed;
            failed.error =
                LazyLibrary::failure(QStringLiteral("libsodium"), QStringLiteral("нет всех функций"));
            return failed;
        }
        // Picks the fastest implementations and seeds the generator; safe to repeat.
        if (entries.sodium_init() < 0) {
            SodiumLibrary failed;
            failed.error = LazyLibrary::failure(QStringLiteral("libsodium"),
                                                QStringLiteral("генератор случайных чисел недоступен"));
            return failed;
        }
        return entries;
    }();
    return library;
}
