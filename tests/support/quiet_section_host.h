#pragma once

#include "profile_database.h"
#include "registry_store.h"
#include "section_host.h"
#include "settings.h"

// Just what a section asks of its window, for sections tested without the
// main window: its own closed profile and settings record, the given store,
// and nothing shown.
class QuietSectionHost : public SectionHost
{
public:
    explicit QuietSectionHost(RegistryStore& registry) : m_registry(registry) {}
    ProfileDatabase& database() override { return m_database; }
    RegistryStore& registry() override { return m_registry; }
    Settings::Record& settings() override { return m_record; }
    void setStatusMessage(const QString&) override {}
    void showSection(int) override {}
    void showHelpPage(int) override {}
    bool startupFinished() const override { return true; }
    void markSettingsChanged() override {}
    void prepareSecondary(SkinnedDialog&) override {}

private:
    RegistryStore& m_registry;
    ProfileDatabase m_database;
    Settings::Record m_record;
};
