// Linux: the registry functions that CRegistry uses, over one text file for
// HKEY_LOCAL_MACHINE. Every change is a read-modify-write under a lock that
// writes a new file and renames it over the old one, so that two installers
// at once lose nothing and a crash or a full disk leaves the old store whole.
#include "../RegistryStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

// What a handle from RegCreateKeyExA points to: the key's path, looked up
// again in the store by every call (another process may have changed it).
struct ZvdsRegistryKey {
    uint32_t magic;
    std::vector<std::string> path;  // components below HKEY_LOCAL_MACHINE
};

namespace zvds {
namespace registry {

namespace {

constexpr uint32_t kKeyMagic = 0x5A52474Bu;
constexpr uint32_t kKeyClosed = 0;
const char kHeader[] = "ZVDS Registry 1";
const char kRootName[] = "HKEY_LOCAL_MACHINE";
const char kStoreName[] = "machine.reg";
const char kLockName[] = "machine.lock";

struct Value {
    std::string name;
    DWORD type;
    std::string data;  // the exact bytes
};

struct Key {
    std::string name;
    std::vector<Value> values;                   // in the order they were first written
    std::vector<std::unique_ptr<Key>> children;  // sorted without regard to case
};

// Names compare as the Windows registry does for 8-bit text: ASCII letters
// without regard to case, everything else as it is.
unsigned char Fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

int CompareNames(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = Fold(static_cast<unsigned char>(a[i]));
        const unsigned char y = Fold(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

Key* FindChild(const Key& key, const std::string& name) {
    for (const auto& child : key.children) {
        if (CompareNames(child->name, name) == 0) {
            return child.get();
        }
    }
    return nullptr;
}

Key& AddChild(Key& key, const std::string& name, bool& created) {
    auto at = key.children.begin();
    while (at != key.children.end()) {
        const int order = CompareNames((*at)->name, name);
        if (order == 0) {
            created = false;
            return **at;
        }
        if (order > 0) {
            break;
        }
        ++at;
    }
    auto child = std::make_unique<Key>();
    child->name = name;
    created = true;
    return **key.children.insert(at, std::move(child));
}

Key* Find(Key& root, const std::vector<std::string>& path) {
    Key* key = &root;
    for (const std::string& name : path) {
        key = FindChild(*key, name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

Value* FindValue(Key& key, const std::string& name) {
    for (Value& value : key.values) {
        if (CompareNames(value.name, name) == 0) {
            return &value;
        }
    }
    return nullptr;
}

void SetValue(Key& key, const std::string& name, DWORD type, std::string data) {
    Value* value = FindValue(key, name);
    if (value == nullptr) {
        key.values.push_back(Value{name, type, std::move(data)});
    } else {
        value->type = type;
        value->data = std::move(data);
    }
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// A key name is printable and holds no backslash; "/" and blanks are
// ordinary characters.
bool ValidKeyName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    for (const char c : name) {
        if (c == '\\' || IsControl(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Appends the components of a backslash-separated path; one trailing
// backslash is allowed, empty components are not.
LONG AppendPath(const std::string& text, std::vector<std::string>& path) {
    if (text.empty()) {
        return ERROR_SUCCESS;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string name = text.substr(start, end - start);
        if (!ValidKeyName(name)) {
            return ERROR_BAD_PATHNAME;
        }
        path.push_back(std::move(name));
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

bool IsPredefined(HKEY key) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x800000FFu;
}

// The path of the key that a handle stands for.
LONG BasePath(HKEY key, std::vector<std::string>& path) {
    path.clear();
    if (key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    if (key == nullptr || IsPredefined(key) || key->magic != kKeyMagic) {
        return ERROR_INVALID_HANDLE;  // no other root has a store
    }
    path = key->path;
    return ERROR_SUCCESS;
}

// ---- the text form ----

void AppendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += ch;
        } else if (IsControl(c)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else {
            out += ch;
        }
    }
    out += '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads the quoted text that starts at line[pos]; pos ends after its quote.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& text) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    text.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++pos >= line.size()) {
            return false;
        }
        const char e = line[pos];
        if (e == '\\' || e == '"') {
            text += e;
        } else if (e == 'x' && pos + 2 < line.size() && HexDigit(line[pos + 1]) >= 0 &&
                   HexDigit(line[pos + 2]) >= 0) {
            text += static_cast<char>(HexDigit(line[pos + 1]) * 16 + HexDigit(line[pos + 2]));
            pos += 2;
        } else {
            return false;
        }
    }
    return false;
}

void AppendValue(std::string& out, const Value& value) {
    if (value.name.empty()) {
        out += '@';  // the key's default value
    } else {
        AppendQuoted(out, value.name);
    }
    out += '=';
    if (value.type == REG_SZ && !value.data.empty() && value.data.back() == '\0') {
        AppendQuoted(out, value.data.substr(0, value.data.size() - 1));
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
        out += prefix;
        for (size_t i = 0; i < value.data.size(); ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x",
                          static_cast<unsigned char>(value.data[i]));
            out += byte;
        }
    }
    out += '\n';
}

// Every key gets its own section, also an empty one; the root only when it
// has values.
void AppendKey(std::string& out, const Key& key, std::string& path, bool isRoot) {
    if (!isRoot || !key.values.empty()) {
        out += "\n[";
        out += path;
        out += "]\n";
        for (const Value& value : key.values) {
            AppendValue(out, value);
        }
    }
    for (const auto& child : key.children) {
        const size_t length = path.size();
        path += '\\';
        path += child->name;
        AppendKey(out, *child, path, false);
        path.resize(length);
    }
}

std::string Serialize(const Key& root) {
    std::string out = kHeader;
    out += '\n';
    std::string path = kRootName;
    AppendKey(out, root, path, true);
    return out;
}

// "hex(T):xx,xx,..." or "hex:xx,..." (REG_BINARY).
bool ParseHex(const std::string& line, size_t pos, DWORD& type, std::string& data) {
    if (line.compare(pos, 4, "hex:") == 0) {
        type = REG_BINARY;
        pos += 4;
    } else if (line.compare(pos, 4, "hex(") == 0) {
        pos += 4;
        unsigned long number = 0;
        size_t digits = 0;
        for (; pos < line.size() && HexDigit(line[pos]) >= 0; ++pos, ++digits) {
            number = number * 16 + static_cast<unsigned long>(HexDigit(line[pos]));
            if (digits >= 8) {
                return false;
            }
        }
        if (digits == 0 || line.compare(pos, 2, "):") != 0) {
            return false;
        }
        type = static_cast<DWORD>(number);
        pos += 2;
    } else {
        return false;
    }
    data.clear();
    while (pos < line.size()) {
        if (!data.empty()) {
            if (line[pos] != ',') {
                return false;
            }
            ++pos;
        }
        if (pos + 1 >= line.size() || HexDigit(line[pos]) < 0 || HexDigit(line[pos + 1]) < 0) {
            return false;
        }
        data += static_cast<char>(HexDigit(line[pos]) * 16 + HexDigit(line[pos + 1]));
        pos += 2;
    }
    return true;
}

bool ParseValueLine(const std::string& line, Key& key) {
    size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
        pos = 1;
    } else if (!ReadQuoted(line, pos, name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') {
        return false;
    }
    ++pos;
    DWORD type = REG_NONE;
    std::string data;
    if (pos < line.size() && line[pos] == '"') {
        if (!ReadQuoted(line, pos, data) || pos != line.size()) {
            return false;
        }
        type = REG_SZ;
        data += '\0';
    } else if (!ParseHex(line, pos, type, data)) {
        return false;
    }
    SetValue(key, name, type, std::move(data));
    return true;
}

bool ParseKeyLine(const std::string& line, Key& root, Key*& current) {
    if (line.size() < 2 || line.back() != ']') {
        return false;
    }
    const std::string inner = line.substr(1, line.size() - 2);
    const size_t end = inner.find('\\');
    if (CompareNames(inner.substr(0, end), kRootName) != 0) {
        return false;
    }
    std::vector<std::string> path;
    if (end != std::string::npos &&
        (end + 1 == inner.size() || AppendPath(inner.substr(end + 1), path) != ERROR_SUCCESS)) {
        return false;
    }
    current = &root;
    for (const std::string& name : path) {
        bool created = false;
        current = &AddChild(*current, name, created);
    }
    return true;
}

// False for anything that is not a store; an empty file is an empty store.
bool Parse(const std::string& text, Key& root) {
    Key* current = nullptr;
    bool first = true;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (first) {
            if (line != kHeader) {
                return false;
            }
            first = false;
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            if (!ParseKeyLine(line, root, current)) {
                return false;
            }
        } else if (line[0] == '"' || line[0] == '@') {
            if (current == nullptr || !ParseValueLine(line, *current)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// ---- the files ----

std::string Directory() {
    const char* dir = std::getenv(kDirectoryVariable);
    return (dir != nullptr && dir[0] != '\0') ? dir : kDefaultDirectory;
}

LONG FromErrno(int error, LONG otherwise) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return ERROR_DISK_FULL;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        default:
            return otherwise;
    }
}

// Creates the store's directory and its parents where they are missing;
// failures show in the lock or the write that follows.
void MakeDirectories(const std::string& dir) {
    for (size_t at = dir.find('/', 1);; at = dir.find('/', at + 1)) {
        mkdir(dir.substr(0, at).c_str(), 0755);
        if (at == std::string::npos) {
            break;
        }
    }
}

LONG ReadStore(const std::string& file, Key& root) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // No store yet is an empty store.
        return (errno == ENOENT) ? ERROR_SUCCESS : FromErrno(errno, ERROR_CANTREAD);
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            close(fd);
            return FromErrno(error, ERROR_CANTREAD);
        }
    }
    close(fd);
    return Parse(text, root) ? ERROR_SUCCESS : ERROR_BADDB;
}

LONG WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FromErrno(errno, ERROR_CANTWRITE);
        }
        done += static_cast<size_t>(n);
    }
    return ERROR_SUCCESS;
}

// Removes the new stores that writers killed before their rename left
// behind. Only a writer holding the lock makes one, so with the lock held
// every one found is stale.
void RemoveStaleTemps(const std::string& dir) {
    DIR* entries = opendir(dir.c_str());
    if (entries == nullptr) {
        return;
    }
    const std::string prefix = std::string(kStoreName) + ".";
    const size_t length = prefix.size() + 6;  // the six characters mkostemp adds
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name.size() == length && name.compare(0, prefix.size(), prefix) == 0) {
            unlink((dir + "/" + name).c_str());
        }
    }
    closedir(entries);
}

// One locked read-modify-write of the store. The lock goes with the object.
class Transaction {
public:
    Transaction() = default;
    ~Transaction() {
        if (m_lock >= 0) {
            close(m_lock);
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Takes the lock where it can and reads the store. Without the lock the
    // store can still be read (renames keep it whole); Commit then fails.
    LONG Begin() {
        m_dir = Directory();
        MakeDirectories(m_dir);
        const std::string lock = m_dir + "/" + kLockName;
        m_lock = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_lock < 0) {
            m_lock = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (m_lock < 0) {
            m_lockError = errno;
        } else {
            while (flock(m_lock, LOCK_EX) != 0) {
                if (errno != EINTR) {
                    m_lockError = errno;
                    close(m_lock);
                    m_lock = -1;
                    break;
                }
            }
        }
        return ReadStore(m_dir + "/" + kStoreName, m_root);
    }

    Key& Root() { return m_root; }

    // Writes the whole store to a new file, then puts it in place.
    LONG Commit() {
        if (m_lock < 0) {
            return FromErrno(m_lockError, ERROR_CANTWRITE);
        }
        RemoveStaleTemps(m_dir);
        const std::string text = Serialize(m_root);
        const std::string store = m_dir + "/" + kStoreName;
        std::string temp = store + ".XXXXXX";
        const int fd = mkostemp(&temp[0], O_CLOEXEC);
        if (fd < 0) {
            return FromErrno(errno, ERROR_CANTWRITE);
        }
        LONG status = WriteAll(fd, text);
        // Readable by hosts that run without root.
        if (status == ERROR_SUCCESS && fchmod(fd, 0644) != 0) {
            status = FromErrno(errno, ERROR_CANTWRITE);
        }
        if (status == ERROR_SUCCESS && fsync(fd) != 0) {
            status = FromErrno(errno, ERROR_CANTWRITE);
        }
        if (close(fd) != 0 && status == ERROR_SUCCESS) {
            status = FromErrno(errno, ERROR_CANTWRITE);
        }
        if (status == ERROR_SUCCESS && rename(temp.c_str(), store.c_str()) != 0) {
            status = FromErrno(errno, ERROR_CANTWRITE);
        }
        if (status != ERROR_SUCCESS) {
            unlink(temp.c_str());
            return status;
        }
        // Make the rename itself durable.
        const int dir = open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
        return ERROR_SUCCESS;
    }

private:
    std::string m_dir;
    int m_lock = -1;
    int m_lockError = 0;
    Key m_root;
};

// Runs a body of the layer; running out of memory becomes a status.
template <class Body>
LONG Guarded(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// Reads the store without the lock, for the read API.
LONG FindForReading(const std::string& keyPath, Key& root, Key*& key) {
    std::vector<std::string> path;
    LONG status = AppendPath(keyPath, path);
    if (status == ERROR_SUCCESS) {
        status = ReadStore(StorePath(), root);
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    key = Find(root, path);
    return key != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::string StorePath() {
    return Directory() + "/" + kStoreName;
}

LONG ListSubKeys(const std::string& keyPath, std::vector<std::string>& names) {
    return Guarded([&] {
        names.clear();
        Key root;
        Key* key = nullptr;
        const LONG status = FindForReading(keyPath, root, key);
        if (status == ERROR_SUCCESS) {
            for (const auto& child : key->children) {
                names.push_back(child->name);
            }
        }
        return status;
    });
}

LONG ListValues(const std::string& keyPath, std::vector<std::string>& names) {
    return Guarded([&] {
        names.clear();
        Key root;
        Key* key = nullptr;
        const LONG status = FindForReading(keyPath, root, key);
        if (status == ERROR_SUCCESS) {
            for (const Value& value : key->values) {
                names.push_back(value.name);
            }
        }
        return status;
    });
}

LONG ReadValue(const std::string& keyPath, const std::string& name, DWORD& type,
               std::vector<uint8_t>& data) {
    return Guarded([&] {
        data.clear();
        Key root;
        Key* key = nullptr;
        LONG status = FindForReading(keyPath, root, key);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        const Value* value = FindValue(*key, name);
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        type = value->type;
        data.assign(value->data.begin(), value->data.end());
        return ERROR_SUCCESS;
    });
}

}  // namespace registry
}  // namespace zvds

using namespace zvds::registry;

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM, void*, HKEY* result,
                     DWORD* disposition) {
    if (result == nullptr || subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    return Guarded([&] {
        std::vector<std::string> path;
        LONG status = BasePath(key, path);
        const size_t baseLength = path.size();
        if (status == ERROR_SUCCESS) {
            status = AppendPath(subKey, path);
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        Transaction store;
        status = store.Begin();
        if (status != ERROR_SUCCESS) {
            return status;
        }
        Key* at = &store.Root();
        bool createdAny = false;
        for (size_t i = 0; i < path.size(); ++i) {
            if (i < baseLength) {
                at = FindChild(*at, path[i]);
                if (at == nullptr) {
                    return ERROR_KEY_DELETED;  // the parent handle's key is gone
                }
                continue;
            }
            bool created = false;
            at = &AddChild(*at, path[i], created);
            createdAny = createdAny || created;
        }
        if (createdAny) {
            status = store.Commit();
            if (status != ERROR_SUCCESS) {
                return status;
            }
        }
        auto handle = std::make_unique<ZvdsRegistryKey>();
        handle->magic = kKeyMagic;
        handle->path = std::move(path);
        if (disposition != nullptr) {
            *disposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        }
        *result = handle.release();
        return ERROR_SUCCESS;
    });
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (data == nullptr && size != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return Guarded([&] {
        std::vector<std::string> path;
        LONG status = BasePath(key, path);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        Transaction store;
        status = store.Begin();
        if (status != ERROR_SUCCESS) {
            return status;
        }
        Key* at = Find(store.Root(), path);
        if (at == nullptr) {
            return ERROR_KEY_DELETED;
        }
        SetValue(*at, name != nullptr ? name : "", type,
                 std::string(reinterpret_cast<const char*>(data), size));
        return store.Commit();
    });
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
    if (subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return Guarded([&] {
        std::vector<std::string> path;
        LONG status = BasePath(key, path);
        if (status == ERROR_SUCCESS) {
            status = AppendPath(subKey, path);
        }
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (path.empty()) {
            return ERROR_ACCESS_DENIED;  // the root stays
        }
        Transaction store;
        status = store.Begin();
        if (status != ERROR_SUCCESS) {
            return status;
        }
        const std::string name = path.back();
        path.pop_back();
        Key* parent = Find(store.Root(), path);
        Key* victim = parent != nullptr ? FindChild(*parent, name) : nullptr;
        if (victim == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!victim->children.empty()) {
            return ERROR_ACCESS_DENIED;  // as on Windows: sub keys go first
        }
        for (auto at = parent->children.begin(); at != parent->children.end(); ++at) {
            if (at->get() == victim) {
                parent->children.erase(at);
                break;
            }
        }
        return store.Commit();
    });
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    if (key == nullptr || IsPredefined(key) || key->magic != kKeyMagic) {
        return ERROR_INVALID_HANDLE;
    }
    key->magic = kKeyClosed;
    delete key;
    return ERROR_SUCCESS;
}
