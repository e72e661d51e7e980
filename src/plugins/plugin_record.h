#pragma once

#include "quillarbor_plugin.h"

#include <QString>

// Reading and writing the short strings of the description record that a
// plug-in fills. The record comes from someone else's code: a length byte
// larger than its field is cut to the field.
namespace PluginRecord {

QString text(const unsigned char* field, int fieldSize);
template <int Size> QString text(const unsigned char (&field)[Size])
{
    return text(field, Size);
}

// Puts a text into a field in Windows-1251, where the record's 15 bytes of
// a name hold 15 Russian letters; what does not fit is cut.
void setText(unsigned char* field, int fieldSize, const QString& value);
template <int Size> void setText(unsigned char (&field)[Size], const QString& value)
{
    setText(field, Size, value);
}

// The record that selecting an entry starts from: "Неопредел." 0.0 for
// Quillarbor 1.6, and a description that sends the user to the maker's site.
TPluginInfo defaults(const QString& makerSite);

// The first line of the description: name, version and program version.
QString heading(const TPluginInfo& info);

} // namespace PluginRecord
