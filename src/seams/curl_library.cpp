#include "curl_library.h"

#include <QLibrary>
#include <type_traits>

const CurlLibrary& CurlLibrary::get()
{
    // A function-local static: its set-up is safe from two threads at once,
    // which curl_global_init needs.
    static const CurlLibrary library = [] {
        CurlLibrary failed;
        QLibrary file(QStringLiteral("curl"), 4);
        if (!file.load()) {
            failed.error = file.errorString();
            return failed;
        }
        const auto resolve = [&file](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(file.resolve(name));
            return function != nullptr;
        };
        CurlLibrary candidate;
        if (resolve(candidate.global_init, "curl_global_init") &&
            resolve(candidate.easy_init, "curl_easy_init") &&
            resolve(candidate.easy_reset, "curl_easy_reset") &&
            resolve(candidate.easy_setopt, "curl_easy_setopt") &&
            resolve(candidate.easy_perform, "curl_easy_perform") &&
            resolve(candidate.easy_getinfo, "curl_easy_getinfo") &&
            resolve(candidate.easy_cleanup, "curl_easy_cleanup") &&
            resolve(candidate.easy_strerror, "curl_easy_strerror") &&
            resolve(candidate.slist_append, "curl_slist_append") &&
            resolve(candidate.slist_free_all, "curl_slist_free_all") &&
            candidate.global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK)
            return candidate;
        failed.error = QStringLiteral("libcurl is incomplete");
        return failed;
    }();
    return library;
}
