#pragma once

#include "message_boxes.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <algorithm>

// Small helpers shared by the benchmark programs.
namespace BenchSupport {

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// Points HOME and the settings folder at a scratch folder.
inline void useHome(const QString& home)
{
    QDir(home).mkpath(QStringLiteral("Documents"));
    QDir(home).mkpath(QStringLiteral(".config"));
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
}

// Answers every message box at once: benchmarks have nobody to click.
class SilentBoxes : public MessageBoxes::Backend
{
public:
    MessageBoxes::Button show(QWidget*, const MessageBoxes::Request&) override
    {
        return MessageBoxes::Button::Ok;
    }
    std::optional<QString> inputText(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

} // namespace BenchSupport
