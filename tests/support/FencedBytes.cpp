#include "FencedBytes.h"

#include <cstring>
#include <stdexcept>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace ztest {

namespace {

#if defined(_WIN32)
size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}
void* MapPages(size_t size) {
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}
bool ForbidPage(void* page, size_t size) {
    DWORD old = 0;
    return VirtualProtect(page, size, PAGE_NOACCESS, &old) != 0;
}
void UnmapPages(void* base, size_t) {
    VirtualFree(base, 0, MEM_RELEASE);
}
#else
size_t PageSize() {
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
void* MapPages(size_t size) {
    void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return map == MAP_FAILED ? nullptr : map;
}
bool ForbidPage(void* page, size_t size) {
    return mprotect(page, size, PROT_NONE) == 0;
}
void UnmapPages(void* base, size_t size) {
    munmap(base, size);
}
#endif

}  // namespace

FencedBytes::FencedBytes(const std::string& bytes) {
    const size_t page = PageSize();
    const size_t readable = (bytes.size() / page + 1) * page;
    m_size = readable + page;
    m_base = static_cast<uint8_t*>(MapPages(m_size));
    if (m_base == nullptr || !ForbidPage(m_base + readable, page)) {
        throw std::runtime_error("cannot set up a fenced page");
    }
    m_data = m_base + readable - bytes.size();
    memcpy(m_data, bytes.data(), bytes.size());
    m_count = bytes.size();
}

FencedBytes::~FencedBytes() {
    if (m_base != nullptr) {
        UnmapPages(m_base, m_size);
    }
}

}  // namespace ztest
