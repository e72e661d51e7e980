#pragma once

#include "main_window.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "settings.h"
#include "test_home.h"

#include <functional>
#include <memory>

// A fresh home with first-run settings and a main window on it.
struct WindowFixture
{
    explicit WindowFixture(const std::function<void(RegistryStore&)>& prepare = {})
    {
        registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        registry->load();
        Settings::writeFirstRunDefaults(*registry);
        if (prepare)
            prepare(*registry);
        window = std::make_unique<TForm1>(*registry);
        window->show();
    }
    ~WindowFixture()
    {
        window.reset();
        registry.reset();
    }
    Q_DISABLE_COPY_MOVE(WindowFixture)

    TestHome home;
    TestSeams seams;
    std::unique_ptr<RegistryStore> registry;
    std::unique_ptr<TForm1> window;
};
