#include "platform/registry/registry.h"

#include "platform/files/files.h"

#include <sys/stat.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// The store file of one root, text, one item per line:
//
//   varno-registry 1
//   key<TAB>Software\Telmar\Varno
//   value<TAB>Settings<TAB>binary<TAB>54<TAB>00000300...
//
// A "value" line belongs to the "key" line before it and carries the value's
// name, its type ("binary", "dword", "string" or "type<n>"), its size in bytes
// and its bytes in hexadecimal. Names are written with "%", tab, line breaks
// and other control characters as "%" and two hexadecimal digits. Blank lines
// and lines starting with "#" are ignored. A line that does not read
// completely is skipped on its own; a value line after a skipped key line has
// no key and is skipped too.

namespace {

constexpr const char* kHeader = "varno-registry 1";
// The largest store file read: the game's holds a few hundred bytes. A
// larger file is left as it is, like one that cannot be read.
constexpr std::size_t kMaxStoreBytes = 4 * 1024 * 1024;
// Keys nest at most this deep; a deeper key line in a file is damaged.
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::uintptr_t kCurrentUser = 0x80000001u;
constexpr std::uintptr_t kLocalMachine = 0x80000002u;

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = Lower(c);
    return out;
}

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Key {
    std::string path; // as first spelled
    std::vector<Value> values;

    Value* Find(std::string_view name)
    {
        const std::string folded = Folded(name);
        for (Value& v : values)
            if (Folded(v.name) == folded)
                return &v;
        return nullptr;
    }
};

using KeyMap = std::map<std::string, Key>; // by folded path

struct Root {
    bool loaded = false;
    KeyMap keys;
    DWORD status = ERROR_SUCCESS;
    int damagedLines = 0;
    bool fileExists = false;
    std::string original; // the file's bytes as read, kept while damaged
    bool damagedSaved = false;
};

struct OpenKey {
    std::uintptr_t root;
    std::string path; // folded
};

std::mutex g_mutex;
std::string g_folder;
bool g_folderKnown = false;
Root g_roots[2];
std::set<OpenKey*> g_handles;

bool IsRoot(HKEY key)
{
    const auto v = reinterpret_cast<std::uintptr_t>(key);
    return v == kCurrentUser || v == kLocalMachine;
}

int RootIndex(std::uintptr_t root)
{
    return root == kCurrentUser ? 0 : 1;
}

const char* RootFileName(std::uintptr_t root)
{
    return root == kCurrentUser ? "current-user.registry" : "local-machine.registry";
}

std::string FolderFromEnvironment()
{
    // A relative XDG_CONFIG_HOME is not valid and is ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !home[0]) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        if (!home || !home[0])
            return {};
        base = std::string(home) + "/.config";
    }
    if (base.back() != '/')
        base += '/';
    return base + "varno/";
}

const std::string& StoreFolder()
{
    if (!g_folderKnown) {
        g_folder = FolderFromEnvironment();
        g_folderKnown = true;
    }
    return g_folder;
}

std::string RootFile(std::uintptr_t root)
{
    const std::string& folder = StoreFolder();
    return folder.empty() ? std::string() : folder + RootFileName(root);
}

// Splits a key path at its backslashes; empty components are dropped.
std::vector<std::string> KeyComponents(std::string_view path)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i <= path.size()) {
        const std::size_t end = std::min(path.find('\\', i), path.size());
        if (end > i)
            out.emplace_back(path.substr(i, end - i));
        i = end + 1;
    }
    return out;
}

std::string JoinKey(const std::vector<std::string>& parts, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            out += '\\';
        out += parts[i];
    }
    return out;
}

// --- the file format ---------------------------------------------------------

const char kHex[] = "0123456789abcdef";

std::string EscapeName(std::string_view s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '%' || c < 0x20 || c == 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool UnescapeName(std::string_view s, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        if (c != '%') {
            out += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        const int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string TypeWord(DWORD type)
{
    switch (type) {
    case REG_BINARY: return "binary";
    case REG_DWORD: return "dword";
    case REG_SZ: return "string";
    default: return "type" + std::to_string(type);
    }
}

bool ParseDecimal(std::string_view s, DWORD& out)
{
    if (s.empty() || s.size() > 10)
        return false;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    out = static_cast<DWORD>(v);
    return true;
}

bool ParseType(std::string_view s, DWORD& out)
{
    if (s == "binary")
        out = REG_BINARY;
    else if (s == "dword")
        out = REG_DWORD;
    else if (s == "string")
        out = REG_SZ;
    else if (s.starts_with("type"))
        return ParseDecimal(s.substr(4), out);
    else
        return false;
    return true;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', i);
        out.push_back(line.substr(i, tab == std::string_view::npos ? std::string_view::npos : tab - i));
        if (tab == std::string_view::npos)
            return out;
        i = tab + 1;
    }
}

bool ParseValue(const std::vector<std::string_view>& fields, Value& v)
{
    DWORD size = 0;
    if (fields.size() != 5 || !UnescapeName(fields[1], v.name) || !ParseType(fields[2], v.type) ||
        !ParseDecimal(fields[3], size) || fields[4].size() != std::size_t(size) * 2)
        return false;
    v.data.resize(size);
    for (DWORD i = 0; i < size; ++i) {
        const int hi = HexDigit(fields[4][2 * i]), lo = HexDigit(fields[4][2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        v.data[i] = static_cast<BYTE>(hi * 16 + lo);
    }
    return true;
}

// Reads what can be read of a store file into `root`.
void Parse(const std::string& text, Root& root)
{
    Key* current = nullptr;
    // The values already read, by key and folded name, so that a duplicate
    // is found without searching the key's values.
    std::set<std::pair<const Key*, std::string>> seen;
    bool headerSeen = false, firstItem = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (firstItem) {
            firstItem = false;
            if (line == kHeader) {
                headerSeen = true;
                continue;
            }
            if (line.starts_with("varno-registry ")) {
                // A later format: nothing in it can be read safely.
                root.keys.clear();
                root.damagedLines = 1;
                return;
            }
        }
        const std::vector<std::string_view> fields = SplitTabs(line);
        bool ok = false;
        if (fields[0] == "key" && fields.size() == 2) {
            std::string path;
            current = nullptr;
            if (UnescapeName(fields[1], path)) {
                const std::vector<std::string> parts = KeyComponents(path);
                if (!parts.empty() && parts.size() <= kMaxKeyDepth) {
                    // Every key above it exists too.
                    for (std::size_t n = 1; n <= parts.size(); ++n) {
                        const std::string spelled = JoinKey(parts, n);
                        Key& k = root.keys[Folded(spelled)];
                        if (k.path.empty())
                            k.path = spelled;
                        current = &k;
                    }
                    ok = true;
                }
            }
        } else if (fields[0] == "value" && current) {
            Value v;
            if (ParseValue(fields, v) && seen.emplace(current, Folded(v.name)).second) {
                current->values.push_back(std::move(v));
                ok = true;
            }
        } else if (fields[0] == "key") {
            current = nullptr;
        }
        if (!ok)
            ++root.damagedLines;
    }
    if (!headerSeen && !firstItem)
        ++root.damagedLines;
}

std::string Serialize(const KeyMap& keys)
{
    std::string out = "# Varno settings store. Written by the game; every change replaces the file.\n";
    out += kHeader;
    out += '\n';
    for (const auto& [folded, key] : keys) {
        out += "key\t" + EscapeName(key.path) + '\n';
        for (const Value& v : key.values) {
            out +=
                "value\t" + EscapeName(v.name) + '\t' + TypeWord(v.type) + '\t' + std::to_string(v.data.size()) + '\t';
            for (BYTE b : v.data) {
                out += kHex[b >> 4];
                out += kHex[b & 15];
            }
            out += '\n';
        }
    }
    return out;
}

Root& LoadedRoot(std::uintptr_t rootId)
{
    Root& root = g_roots[RootIndex(rootId)];
    if (root.loaded)
        return root;
    root = Root{};
    root.loaded = true;
    const std::string file = RootFile(rootId);
    if (file.empty())
        return root;
    // Temporary files of a rewrite that was cut short are removed.
    files::RemoveStaleTemporaryFiles(file);
    struct stat st;
    if (stat(file.c_str(), &st) != 0)
        return root; // a missing store is an empty one
    root.fileExists = true;
    std::string text;
    if (!S_ISREG(st.st_mode) || !files::ReadWholeFile(file, text, kMaxStoreBytes)) {
        root.status = S_ISREG(st.st_mode) ? GetLastError() : ERROR_ACCESS_DENIED;
        std::fprintf(stderr, "varno: settings store %s cannot be read; it is left as it is\n", file.c_str());
        return root;
    }
    Parse(text, root);
    if (root.damagedLines > 0) {
        root.status = ERROR_INVALID_DATA;
        root.original = std::move(text);
        std::fprintf(stderr,
                     "varno: settings store %s is damaged: %d line(s) skipped; the file will be kept as %s.damaged\n",
                     file.c_str(), root.damagedLines, file.c_str());
    }
    return root;
}

DWORD MakeFolder(const std::string& folder)
{
    // Creates the folder and those above it that are missing.
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return files::ErrorFromErrno(errno);
    }
    if (!files::IsFolder(folder))
        return ERROR_PATH_NOT_FOUND;
    return ERROR_SUCCESS;
}

// Keeps a damaged file whole under a name of its own before it is replaced.
DWORD SaveDamaged(const std::string& file, Root& root)
{
    for (int n = 0; n < 1000; ++n) {
        const std::string name = file + ".damaged" + (n ? "." + std::to_string(n) : std::string());
        struct stat st;
        if (lstat(name.c_str(), &st) == 0)
            continue;
        if (!files::WriteFileAtomically(name, root.original))
            return GetLastError();
        root.damagedSaved = true;
        root.original.clear();
        return ERROR_SUCCESS;
    }
    return ERROR_GEN_FAILURE;
}

// Writes a root's keys to its file; on failure the root is left as `before`.
LSTATUS Store(std::uintptr_t rootId, Root& root, KeyMap before)
{
    auto fail = [&](DWORD error) {
        root.keys = std::move(before);
        return static_cast<LSTATUS>(error);
    };
    if (root.fileExists && root.status != ERROR_SUCCESS && root.status != ERROR_INVALID_DATA)
        return fail(root.status); // never replace a file that could not be read
    const std::string file = RootFile(rootId);
    if (file.empty())
        return fail(ERROR_PATH_NOT_FOUND);
    if (const DWORD made = MakeFolder(StoreFolder()); made != ERROR_SUCCESS)
        return fail(made);
    if (root.status == ERROR_INVALID_DATA && !root.damagedSaved)
        if (const DWORD saved = SaveDamaged(file, root); saved != ERROR_SUCCESS)
            return fail(saved);
    if (!files::WriteFileAtomically(file, Serialize(root.keys)))
        return fail(GetLastError());
    root.fileExists = true;
    return ERROR_SUCCESS;
}

OpenKey* HandleOf(HKEY key)
{
    auto* open = reinterpret_cast<OpenKey*>(key);
    return g_handles.count(open) ? open : nullptr;
}

// The root and folded path a handle names; false for an unknown handle.
bool Resolve(HKEY key, std::uintptr_t& root, std::string& path)
{
    if (IsRoot(key)) {
        root = reinterpret_cast<std::uintptr_t>(key);
        path.clear();
        return true;
    }
    const OpenKey* open = HandleOf(key);
    if (!open)
        return false;
    root = open->root;
    path = open->path;
    return true;
}

// The key a handle refers to, or null when it is no longer stored. The root
// itself always exists; it holds no values of its own here.
Key* KeyOf(Root& root, const std::string& path)
{
    static Key rootKey;
    if (path.empty()) {
        rootKey = Key{};
        return &rootKey;
    }
    const auto it = root.keys.find(path);
    return it == root.keys.end() ? nullptr : &it->second;
}

std::string SubPath(const std::string& folded, const std::vector<std::string>& parts, std::size_t count)
{
    std::string sub = Folded(JoinKey(parts, count));
    if (folded.empty())
        return sub;
    return sub.empty() ? folded : folded + '\\' + sub;
}

HKEY NewHandle(std::uintptr_t root, std::string path)
{
    auto* open = new OpenKey{root, std::move(path)};
    g_handles.insert(open);
    return reinterpret_cast<HKEY>(open);
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard lock(g_mutex);
    std::uintptr_t rootId;
    std::string base;
    if (!Resolve(key, rootId, base))
        return ERROR_INVALID_HANDLE;
    const std::vector<std::string> parts = KeyComponents(subKey ? subKey : "");
    if (parts.empty() && IsRoot(key)) {
        *result = key;
        return ERROR_SUCCESS;
    }
    const std::string path = SubPath(base, parts, parts.size());
    if (!KeyOf(LoadedRoot(rootId), path))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(rootId, path);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM, const SECURITY_ATTRIBUTES*,
                        HKEY* result, DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard lock(g_mutex);
    std::uintptr_t rootId;
    std::string base;
    if (!Resolve(key, rootId, base))
        return ERROR_INVALID_HANDLE;
    Root& root = LoadedRoot(rootId);
    if (!KeyOf(root, base))
        return ERROR_KEY_DELETED;
    const std::vector<std::string> parts = KeyComponents(subKey ? subKey : "");
    if (parts.empty() && IsRoot(key)) {
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        *result = key;
        return ERROR_SUCCESS;
    }
    KeyMap before = root.keys;
    bool created = false;
    // The spelling of a new key is its parent's stored spelling plus the
    // components as given.
    std::string spelled = base.empty() ? std::string() : root.keys[base].path;
    for (std::size_t n = 1; n <= parts.size(); ++n) {
        spelled = spelled.empty() ? parts[n - 1] : spelled + '\\' + parts[n - 1];
        Key& k = root.keys[SubPath(base, parts, n)];
        if (k.path.empty()) {
            k.path = spelled;
            created = true;
        }
        spelled = k.path;
    }
    if (created)
        if (const LSTATUS stored = Store(rootId, root, std::move(before)); stored != ERROR_SUCCESS)
            return stored;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(rootId, SubPath(base, parts, parts.size()));
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (IsRoot(key))
        return ERROR_SUCCESS;
    std::lock_guard lock(g_mutex);
    OpenKey* open = HandleOf(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    g_handles.erase(open);
    delete open;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData)
{
    if (reserved || (data && !cbData))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(g_mutex);
    std::uintptr_t rootId;
    std::string path;
    if (!Resolve(key, rootId, path))
        return ERROR_INVALID_HANDLE;
    Key* k = KeyOf(LoadedRoot(rootId), path);
    if (!k)
        return ERROR_KEY_DELETED;
    const Value* v = k->Find(valueName ? valueName : "");
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    if (!cbData)
        return ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(v->data.size());
    const DWORD room = *cbData;
    *cbData = size;
    if (!data)
        return ERROR_SUCCESS;
    if (room < size)
        return ERROR_MORE_DATA;
    if (size)
        std::memcpy(data, v->data.data(), size);
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData)
{
    if (reserved || (!data && cbData))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(g_mutex);
    std::uintptr_t rootId;
    std::string path;
    if (!Resolve(key, rootId, path))
        return ERROR_INVALID_HANDLE;
    if (path.empty())
        return ERROR_ACCESS_DENIED; // the roots themselves hold no values
    Root& root = LoadedRoot(rootId);
    if (!KeyOf(root, path))
        return ERROR_KEY_DELETED;
    KeyMap before = root.keys;
    Key& k = root.keys[path];
    const std::string name = valueName ? valueName : "";
    Value* v = k.Find(name);
    if (!v) {
        k.values.push_back(Value{name, type, {}});
        v = &k.values.back();
    }
    v->type = type;
    v->data.assign(data, data + cbData);
    return Store(rootId, root, std::move(before));
}

LSTATUS RegDeleteValueA(HKEY key, const char* valueName)
{
    std::lock_guard lock(g_mutex);
    std::uintptr_t rootId;
    std::string path;
    if (!Resolve(key, rootId, path))
        return ERROR_INVALID_HANDLE;
    Root& root = LoadedRoot(rootId);
    Key* k = KeyOf(root, path);
    if (!k)
        return ERROR_KEY_DELETED;
    const Value* v = k->Find(valueName ? valueName : "");
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    KeyMap before = root.keys;
    k->values.erase(k->values.begin() + (v - k->values.data()));
    return Store(rootId, root, std::move(before));
}

namespace registry_store {

void Reload()
{
    std::lock_guard lock(g_mutex);
    g_folderKnown = false;
    g_folder.clear();
    for (Root& root : g_roots)
        root = Root{};
}

std::string Folder()
{
    std::lock_guard lock(g_mutex);
    return StoreFolder();
}

std::string FileOf(HKEY root)
{
    if (!IsRoot(root))
        return {};
    std::lock_guard lock(g_mutex);
    return RootFile(reinterpret_cast<std::uintptr_t>(root));
}

DWORD LoadStatus(HKEY rootKey, int* damagedLines)
{
    if (!IsRoot(rootKey))
        return ERROR_INVALID_HANDLE;
    std::lock_guard lock(g_mutex);
    const Root& root = LoadedRoot(reinterpret_cast<std::uintptr_t>(rootKey));
    if (damagedLines)
        *damagedLines = root.damagedLines;
    return root.status;
}

} // namespace registry_store
