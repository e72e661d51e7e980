#include "canberra_library.h"

const CanberraLibrary& CanberraLibrary::get()
{
    static const CanberraLibrary library = [] {
        CanberraLibrary entries;
        QLibrary file(QStringLiteral("canberra"), 0);
        if (!file.load()) {
            entries.error = LazyLibrary::failure(QStringLiteral("libcanberra"), file.errorString());
            return entries;
        }
        if (!(true QUILL_CANBERRA_ENTRIES(QUILL_LAZY_RESOLVE))) {
            CanberraLibrary failed;
            failed.error =
                LazyLibrary::failure(QStringLiteral("libcanberra"), QStringLiteral("нет всех функций"));
            return failed;
        }
        // Without ALSA the sound still plays where it can, only noisily.
        QLibrary alsa(QStringLiteral("asound"), 2);
        if (alsa.load())
            LazyLibrary::resolve(alsa, entries.snd_lib_error_set_handler, "snd_lib_error_set_handler");
        return entries;
    }();
    return library;
}
