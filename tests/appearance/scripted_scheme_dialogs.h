#pragma once

#include "scheme_dialogs.h"

#include <QQueue>

// The editor's font and colour dialogs answered from queues; an empty queue
// is a cancel. Installed for the lifetime of the object.
class ScriptedSchemeDialogs : public SchemeDialogs::Backend
{
public:
    ScriptedSchemeDialogs() { SchemeDialogs::setBackend(this); }
    ~ScriptedSchemeDialogs() override { SchemeDialogs::setBackend(nullptr); }
    Q_DISABLE_COPY_MOVE(ScriptedSchemeDialogs)

    QQueue<SchemeDialogs::FontChoice> fonts;
    QQueue<QColor> colours;
    QList<SchemeDialogs::FontChoice> fontsOffered;
    QList<QColor> coloursOffered;

    std::optional<SchemeDialogs::FontChoice> chooseFont(QWidget*,
                                                        const SchemeDialogs::FontChoice& initial) override
    {
        fontsOffered.append(initial);
        if (fonts.isEmpty())
            return std::nullopt;
        return fonts.dequeue();
    }
    std::optional<QColor> chooseColour(QWidget*, const QColor& initial) override
    {
        coloursOffered.append(initial);
        if (colours.isEmpty())
            return std::nullopt;
        return colours.dequeue();
    }
};
