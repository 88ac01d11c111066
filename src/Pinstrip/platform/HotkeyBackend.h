#pragma once

#include <QKeyCombination>
#include <functional>
#include <memory>

// The platform half of a global shortcut: holds the registration while it lives and calls the
// press handler on the main thread, from inside the platform's event handling.
class HotkeyBackend {
public:
    virtual ~HotkeyBackend() = default;

    // The backend for this session, or none where global shortcuts cannot be registered.
    [[nodiscard]] static std::unique_ptr<HotkeyBackend> create(QKeyCombination combination,
                                                               std::function<void()> pressed);

    [[nodiscard]] virtual bool registered() const = 0;
};
