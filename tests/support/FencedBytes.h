// Bytes placed at the very end of readable memory, right before a page that
// may not be touched: a read of one byte beyond them crashes the test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ztest {

class FencedBytes {
public:
    explicit FencedBytes(const std::string& bytes);
    ~FencedBytes();
    FencedBytes(const FencedBytes&) = delete;
    FencedBytes& operator=(const FencedBytes&) = delete;

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_count; }

private:
    uint8_t* m_base = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_count = 0;
};

}  // namespace ztest
