#pragma once

#include <QString>
#include <curl/curl.h>

// libcurl and the two dozen libraries it brings are loaded on first use, not
// with the program, so start-up stays light. Every network transfer of the
// program (letters, plug-in downloads, the sync with a CardDAV or CalDAV
// server) goes through these entries.
struct CurlLibrary
{
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_reset) easy_reset = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_perform) easy_perform = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
    QString error; // why it could not be loaded

    bool loaded() const { return slist_free_all != nullptr; }

    // Loaded and initialised once, from whichever thread asks first; stays
    // loaded for the rest of the run.
    static const CurlLibrary& get();
};
