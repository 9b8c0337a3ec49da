#include "platform/Settings.h"

#include <atomic>
#include <filesystem>

#include "platform/ProfileFile.h"

namespace boxora {

std::string MemorySettingsStore::GetString(std::string_view name, std::string_view def) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(name);
    return it == values_.end() ? std::string(def) : it->second;
}

void MemorySettingsStore::SetString(std::string_view name, std::string_view value) {
    std::lock_guard lock(mutex_);
    values_[std::string(name)] = std::string(value);
}

FileSettingsStore::FileSettingsStore(std::string path) : path_(std::move(path)) {}

std::string FileSettingsStore::GetString(std::string_view name, std::string_view def) const {
    std::lock_guard lock(mutex_);
    ProfileDocument doc = ProfileDocument::Load(path_);
    if (!doc.HasKey("General", name)) return std::string(def);
    return doc.GetString("General", name, def, 32768);
}

void FileSettingsStore::SetString(std::string_view name, std::string_view value) {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    const auto parent = std::filesystem::path(path_).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    ProfileDocument doc = ProfileDocument::Load(path_);
    doc.SetString("General", name, value);
    doc.Save(path_);
}

namespace {
MemorySettingsStore& DefaultStore() {
    static MemorySettingsStore store;
    return store;
}
std::atomic<ISettingsStore*> g_store{nullptr};
}  // namespace

ISettingsStore& Settings() {
    ISettingsStore* s = g_store.load();
    return s ? *s : DefaultStore();
}

void SetSettingsStore(ISettingsStore* store) { g_store.store(store); }

}  // namespace boxora
