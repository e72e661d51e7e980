#pragma once

#include "lazy_library.h"

#include <alsa/asoundlib.h>
#include <canberra.h>

// libcanberra (with the sound decoders it brings) and ALSA, loaded when the
// first signal sounds.
#define QUILL_CANBERRA_ENTRIES(X)                                                                            \
    X(ca_context_cancel)                                                                                     \
    X(ca_context_change_props)                                                                               \
    X(ca_context_create)                                                                                     \
    X(ca_context_destroy)                                                                                    \
    X(ca_context_play_full)                                                                                  \
    X(ca_proplist_create)                                                                                    \
    X(ca_proplist_destroy)                                                                                   \
    X(ca_proplist_sets)

struct CanberraLibrary
{
    QUILL_CANBERRA_ENTRIES(QUILL_LAZY_ENTRY)
    // From ALSA: keeps its complaints about a missing device off the terminal.
    decltype(&::snd_lib_error_set_handler) snd_lib_error_set_handler = nullptr;
    QString error;

    bool loaded() const { return ca_proplist_sets != nullptr; }
    static const CanberraLibrary& get();
};
