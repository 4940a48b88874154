// FieldArray: one cache-line aligned, heap-allocated float field of a fixed cell count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace vornix {

class FieldArray {
public:
    static constexpr std::size_t Alignment = 64;

    FieldArray() = default;
    // Allocates (does not clear) count floats; throws std::bad_alloc like operator new.
    explicit FieldArray(std::size_t count)
        : data_(static_cast<float*>(::operator new[](bytesFor(count), std::align_val_t(Alignment)))), size_(count)
    {
    }

    float* data() { return data_.get(); }
    const float* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    float& operator[](std::size_t k) { return data_[k]; }
    float operator[](std::size_t k) const { return data_[k]; }

private:
    static std::size_t bytesFor(std::size_t count)
    {
        if (count > SIZE_MAX / sizeof(float))
            throw std::bad_array_new_length();
        return count * sizeof(float);
    }
    struct Release {
        void operator()(float* p) const { ::operator delete[](p, std::align_val_t(Alignment)); }
    };
    std::unique_ptr<float[], Release> data_;
    std::size_t size_ = 0;
};

} // namespace vornix
