#include "platform/resources/resources.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>

namespace {

using resources::ResourceEntry;

struct Table {
    const ResourceEntry* entries;
    std::size_t count;
};

struct Module {
    std::string name; // empty for the program
    std::vector<Table> tables;
};

struct State {
    std::mutex mutex;
    std::vector<std::unique_ptr<Module>> modules;
    State() { modules.push_back(std::make_unique<Module>()); }
};

State& state()
{
    static State s;
    return s;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (Lower(*a) != Lower(*b))
            return false;
    return *a == *b;
}

// A type or name as asked for: a number, or a text ("#<n>" is the number n).
struct Wanted {
    bool isId = true;
    unsigned id = 0;
    const char* text = nullptr;

    explicit Wanted(LPCSTR p)
    {
        if (IS_INTRESOURCE(p)) {
            id = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p));
            return;
        }
        if (p[0] == '#' && p[1]) {
            unsigned long v = 0;
            const char* q = p + 1;
            while (*q >= '0' && *q <= '9' && v <= 0xFFFF)
                v = v * 10 + static_cast<unsigned>(*q++ - '0');
            if (!*q && v <= 0xFFFF) {
                id = static_cast<unsigned>(v);
                return;
            }
        }
        isId = false;
        text = p;
    }

    bool Matches(WORD entryId, const char* entryText) const
    {
        if (entryId)
            return isId && id == entryId;
        return !isId && entryText && EqualNoCase(text, entryText);
    }
};

Module* ModuleOf(State& s, HMODULE module)
{
    if (!module)
        return s.modules.front().get();
    for (const auto& m : s.modules)
        if (reinterpret_cast<HMODULE>(m.get()) == module)
            return m.get();
    return nullptr;
}

bool Owns(const Module& m, const ResourceEntry* e)
{
    return std::any_of(m.tables.begin(), m.tables.end(),
                       [&](const Table& t) { return e >= t.entries && e < t.entries + t.count; });
}

// Every entry of a type and name; on none, sets the last error to what was
// missing.
std::vector<const ResourceEntry*> Matching(const Module& m, LPCSTR type, LPCSTR name)
{
    std::vector<const ResourceEntry*> out;
    if (!type || !name) {
        SetLastError(!type ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
        return out;
    }
    const Wanted wantedType(type), wantedName(name);
    bool typeSeen = false;
    for (const Table& t : m.tables)
        for (std::size_t i = 0; i < t.count; ++i) {
            const ResourceEntry& e = t.entries[i];
            if (!wantedType.Matches(e.typeId, e.typeName))
                continue;
            typeSeen = true;
            if (wantedName.Matches(e.nameId, e.nameText))
                out.push_back(&e);
        }
    if (out.empty())
        SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return out;
}

HRSRC AsHandle(const ResourceEntry* e)
{
    return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(e));
}

const ResourceEntry* FromHandle(State& s, HMODULE module, HRSRC resource)
{
    const Module* m = ModuleOf(s, module);
    const auto* e = reinterpret_cast<const ResourceEntry*>(resource);
    if (!m || !e || !Owns(*m, e))
        return nullptr;
    return e;
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!moduleName)
        return reinterpret_cast<HMODULE>(s.modules.front().get());
    for (const auto& m : s.modules)
        if (!m->name.empty() && EqualNoCase(m->name.c_str(), moduleName))
            return reinterpret_cast<HMODULE>(m.get());
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Module* m = ModuleOf(s, module);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const std::vector<const ResourceEntry*> found = Matching(*m, type, name);
    for (const ResourceEntry* e : found)
        if (e->language == language)
            return AsHandle(e);
    if (!found.empty())
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
    return nullptr;
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Module* m = ModuleOf(s, module);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const std::vector<const ResourceEntry*> found = Matching(*m, type, name);
    const ResourceEntry* best = nullptr;
    for (const ResourceEntry* e : found) {
        if (e->language == 1033)
            return AsHandle(e);
        if (!best || e->language < best->language)
            best = e;
    }
    return AsHandle(best);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    static const unsigned char kNothing = 0;
    State& s = state();
    std::lock_guard lock(s.mutex);
    const ResourceEntry* e = FromHandle(s, module, resource);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const unsigned char* data = e->data ? e->data : &kNothing;
    return reinterpret_cast<HGLOBAL>(const_cast<unsigned char*>(data));
}

void* LockResource(HGLOBAL data)
{
    return data;
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const ResourceEntry* e = FromHandle(s, module, resource);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return e->size;
}

BOOL EnumResourceLanguagesA(HMODULE module, LPCSTR type, LPCSTR name, ENUMRESLANGPROCA proc, LONG_PTR param)
{
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::vector<WORD> languages = resources::Languages(module, type, name);
    if (languages.empty())
        return FALSE;
    for (WORD language : languages)
        if (!proc(module ? module : GetModuleHandleA(nullptr), type, name, language, param))
            break;
    return TRUE;
}

namespace resources {

HMODULE RegisterTable(const ResourceEntry* entries, std::size_t count, const char* moduleName)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Module* target = nullptr;
    if (!moduleName || !*moduleName) {
        target = s.modules.front().get();
    } else {
        for (const auto& m : s.modules)
            if (!m->name.empty() && EqualNoCase(m->name.c_str(), moduleName))
                target = m.get();
        if (!target) {
            s.modules.push_back(std::make_unique<Module>());
            target = s.modules.back().get();
            target->name = moduleName;
        }
    }
    if (entries && count)
        target->tables.push_back(Table{entries, count});
    return reinterpret_cast<HMODULE>(target);
}

void UnregisterTable(const ResourceEntry* entries)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    for (const auto& m : s.modules)
        std::erase_if(m->tables, [&](const Table& t) { return t.entries == entries; });
}

std::vector<WORD> Languages(HMODULE module, LPCSTR type, LPCSTR name)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<WORD> out;
    const Module* m = ModuleOf(s, module);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return out;
    }
    for (const ResourceEntry* e : Matching(*m, type, name))
        out.push_back(e->language);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace resources
