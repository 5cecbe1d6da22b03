// Shared helpers of the support tests: string tables registered for one test,
// and a registry store of its own for every test binary.
#pragma once

#include "platform/registry/registry.h"
#include "platform/resources/resources.h"
#include "platform/temp_folder.h"

#include <map>
#include <string>
#include <vector>

namespace supporttest {

// String-table blocks built from texts by id, registered with the program's
// resources for the life of the object. Tests use ids far above the game's.
class StringTables {
public:
    // texts[language][id] = text
    explicit StringTables(const std::map<WORD, std::map<UINT, std::string>>& texts)
    {
        for (const auto& [language, table] : texts) {
            std::map<UINT, std::vector<std::string>> blocks;
            for (const auto& [id, text] : table) {
                std::vector<std::string>& block = blocks[id / 16 + 1];
                block.resize(16);
                block[id % 16] = text;
            }
            for (const auto& [blockId, entries] : blocks) {
                std::string bytes;
                for (const std::string& e : entries) {
                    bytes += static_cast<char>(e.size() & 0xFF);
                    bytes += static_cast<char>(e.size() >> 8);
                    bytes += e;
                }
                m_data.push_back(bytes);
                m_entries.push_back({6, nullptr, static_cast<WORD>(blockId), nullptr, language, nullptr, 0});
            }
        }
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            m_entries[i].data = reinterpret_cast<const unsigned char*>(m_data[i].data());
            m_entries[i].size = static_cast<DWORD>(m_data[i].size());
        }
        resources::RegisterTable(m_entries.data(), m_entries.size());
    }
    ~StringTables() { resources::UnregisterTable(m_entries.data()); }
    StringTables(const StringTables&) = delete;
    StringTables& operator=(const StringTables&) = delete;

private:
    std::vector<std::string> m_data;
    std::vector<resources::ResourceEntry> m_entries;
};

// A registry store in a fresh folder, read anew, for the life of the object.
class FreshRegistry {
public:
    FreshRegistry() { registry_store::Reload(); }
    ~FreshRegistry() { registry_store::Reload(); }

private:
    testfs::TempFolder m_config;
    testfs::EnvVar m_xdg{"XDG_CONFIG_HOME", m_config.path().c_str()};
};

} // namespace supporttest
