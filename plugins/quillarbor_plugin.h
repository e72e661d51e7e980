/*
 * Quillarbor plug-in contract.
 *
 * A plug-in is a shared library placed in a folder "Plugins" that the
 * organiser scans at start-up: the program folder's "Plugins" first, then
 * $XDG_DATA_HOME/Quillarbor/Plugins (by default ~/.local/share/...).
 * Files ending in ".so" and ".dll" are looked at. This header is all a
 * plug-in needs; it is plain C and may be included from C++ as well.
 *
 * Calling convention: the platform's C convention (System V on x86-64,
 * AAPCS64 on ARM) for the four exports and for the three host operations.
 */
#ifndef QUILLARBOR_PLUGIN_H
#define QUILLARBOR_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The program version the plug-ins of this header are made for. */
#define QUILLARBOR_HOST_VERSION "3.2"

/*
 * Short strings: byte 0 holds the length n, bytes 1..n the text. The
 * organiser reads the text as UTF-8 when it is valid UTF-8, otherwise as
 * Windows-1251. Mind the room: a Name holds 15 bytes, that is 15 Russian
 * letters in Windows-1251 but only 7 in UTF-8.
 */
#define QUILLARBOR_NAME_SIZE 16
#define QUILLARBOR_VERSION_SIZE 4
#define QUILLARBOR_DESCRIPTION_SIZE 256

#pragma pack(push, 1)
typedef struct TPluginInfo
{
    unsigned char Name[QUILLARBOR_NAME_SIZE];               /* offset 0   */
    unsigned char Version[QUILLARBOR_VERSION_SIZE];         /* offset 16  */
    unsigned char HostVersion[QUILLARBOR_VERSION_SIZE];     /* offset 20  */
    unsigned char Description[QUILLARBOR_DESCRIPTION_SIZE]; /* offset 24  */
    unsigned char Reserved[4];                              /* offset 280: not read */
} TPluginInfo;                                              /* 284 bytes */
#pragma pack(pop)

/*
 * The host object handed to InitPlugin and AutoRun. Its first word points to
 * the table of operations; a plug-in uses nothing else of it. Texts are
 * UTF-16, zero-terminated.
 */
typedef struct TIPluginDemo TIPluginDemo;

typedef struct TIPluginDemoVtbl
{
    /* Slot 0: the program's QApplication, as void*. */
    void* (*GetApplication)(TIPluginDemo* self);
    /* Slot 1: an error box with the caption "Plugin Error"; returns when it is closed. */
    void (*PluginErrorMessage)(TIPluginDemo* self, const char16_t* Mess);
    /* Slot 2: "UPDATE" runs the recorded start-up entry (AutoRun) again; the result means nothing. */
    int32_t (*SetAction)(TIPluginDemo* self, const char16_t* act);
} TIPluginDemoVtbl;

struct TIPluginDemo
{
    const TIPluginDemoVtbl* lpVtbl;
};

/* What a plug-in exports, looked up by these names. Only GetPluginInfo is
   needed to be listed; the others are optional. */
#if defined(__GNUC__)
#define QUILLARBOR_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define QUILLARBOR_PLUGIN_EXPORT
#endif

/* Fill the record; the program zeroes it first at start-up. */
typedef void (*TGetPluginInfo)(TPluginInfo* info);
/* Run now ("Запуск"). The host object is valid only until this returns. */
typedef void (*TInitPlugin)(TIPluginDemo* host);
/* 1 asks for a run at start-up; any other value does not. */
typedef unsigned char (*TGetCanAutoRun)(void);
/* The start-up run; also run again by SetAction("UPDATE"). */
typedef void (*TAutoRun)(TIPluginDemo* host);

/* Puts a text (bytes in UTF-8 or Windows-1251) into a short string field of
   the given size, cut to the room there is. */
static inline void quillarbor_set_short_string(unsigned char* field, size_t fieldSize, const char* text)
{
    size_t length = text ? strlen(text) : 0;
    if (fieldSize == 0)
        return;
    if (length > fieldSize - 1)
        length = fieldSize - 1;
    field[0] = (unsigned char)length;
    if (length > 0)
        memcpy(field + 1, text, length);
}

#define QUILLARBOR_SET(field, text) quillarbor_set_short_string((field), sizeof(field), (text))

#ifdef __cplusplus
}
#endif

#endif /* QUILLARBOR_PLUGIN_H */
