#pragma once

class QString;
class ProfileDatabase;
class RegistryStore;
class SkinnedDialog;
namespace Settings {
struct Record;
}

// What a section of the main window may ask of the window that holds it.
class SectionHost
{
public:
    virtual ~SectionHost() = default;

    virtual ProfileDatabase& database() = 0;
    virtual RegistryStore& registry() = 0;
    virtual Settings::Record& settings() = 0;

    // The second panel of the status bar.
    virtual void setStatusMessage(const QString& text) = 0;
    virtual void showSection(int number) = 0;
    // The help page of the given number, from a section's "?" button.
    virtual void showHelpPage(int page) = 0;
    virtual bool startupFinished() const = 0;
    virtual void markSettingsChanged() = 0;
    // Gives a secondary window the current main font and the window's colour.
    virtual void prepareSecondary(SkinnedDialog& window) = 0;
};
