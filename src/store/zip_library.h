#pragma once

#include "lazy_library.h"

#include <zip.h>

// libzip (and the cryptography library it brings), loaded on the first
// backup or restore.
#define QUILL_ZIP_ENTRIES(X)                                                                                 \
    X(zip_close)                                                                                             \
    X(zip_discard)                                                                                           \
    X(zip_error_fini)                                                                                        \
    X(zip_error_init_with_code)                                                                              \
    X(zip_error_strerror)                                                                                    \
    X(zip_fclose)                                                                                            \
    X(zip_file_add)                                                                                          \
    X(zip_file_strerror)                                                                                     \
    X(zip_fopen_index)                                                                                       \
    X(zip_fread)                                                                                             \
    X(zip_name_locate)                                                                                       \
    X(zip_open)                                                                                              \
    X(zip_register_progress_callback_with_state)                                                             \
    X(zip_set_file_compression)                                                                              \
    X(zip_source_buffer)                                                                                     \
    X(zip_source_file)                                                                                       \
    X(zip_source_free)                                                                                       \
    X(zip_stat_index)                                                                                        \
    X(zip_stat_init)                                                                                         \
    X(zip_strerror)

struct ZipLibrary
{
    QUILL_ZIP_ENTRIES(QUILL_LAZY_ENTRY)
    QString error; // why it could not be loaded, when it could not

    bool loaded() const { return zip_strerror != nullptr; }
    // Loaded once, from whichever thread asks first; stays for the run.
    static const ZipLibrary& get();
};
