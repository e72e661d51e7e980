// The ideas section in the main window: built on its first showing.
#include "main_window.h"

#include "ideas_section.h"

void TForm1::buildIdeasSection()
{
    m_ideas = new IdeasSection(*this, m_boxes.value(QStringLiteral("IdeaBox")));
}

IdeasSection* TForm1::ideasSection() const
{
    buildNow(QStringLiteral("IdeaBox"));
    return m_ideas;
}
