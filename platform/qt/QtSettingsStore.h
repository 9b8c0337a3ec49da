#pragma once
// The desktop program's settings store: QSettings of organisation "Talvenor"
// and application "Boxora" (~/.config/Talvenor/Boxora.conf on Linux), values
// kept as strings directly under the application, without a group.
#include <memory>
#include <mutex>

#include "platform/Settings.h"

class QSettings;

namespace boxora {

class QtSettingsStore : public ISettingsStore {
public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::string GetString(std::string_view name, std::string_view def) const override;
    // Written through to the file at once.
    void SetString(std::string_view name, std::string_view value) override;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};

}  // namespace boxora
