#pragma once
// Per-user settings: string values by name, directly under the application's
// key ("WinPosX", "RenderImageWidth", "ActualLanguage", ...). The desktop app
// stores them with QSettings("Talvenor", "Boxora"); the command line and the
// tests use a file of their own or memory.
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace boxora {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual std::string GetString(std::string_view name, std::string_view def) const = 0;
    virtual void SetString(std::string_view name, std::string_view value) = 0;
};

// Values kept in memory only.
class MemorySettingsStore : public ISettingsStore {
public:
    std::string GetString(std::string_view name, std::string_view def) const override;
    void SetString(std::string_view name, std::string_view value) override;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string, std::less<>> values_;
};

// Values in an INI file, section "General" (the layout QSettings uses for
// keys without a group). Each write is saved at once.
class FileSettingsStore : public ISettingsStore {
public:
    explicit FileSettingsStore(std::string path);
    std::string GetString(std::string_view name, std::string_view def) const override;
    void SetString(std::string_view name, std::string_view value) override;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    mutable std::mutex mutex_;
};

// The program-wide store. Until one is installed a MemorySettingsStore is used.
ISettingsStore& Settings();
// Installs store (not owned; must outlive its use). nullptr restores the default.
void SetSettingsStore(ISettingsStore* store);

}  // namespace boxora
